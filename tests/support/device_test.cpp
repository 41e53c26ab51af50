#include "device_test.h"

namespace notarel {

void DeviceTest::EnableDevice() {
  ASSERT_TRUE(driver().Reset());
  for (int i = 1; i <= 8; ++i) driver().SetDenomination(i, true);
  ASSERT_TRUE(driver().WriteEnabledDenominations());
  driver().SetInhibitStatus(false);
  ASSERT_TRUE(driver().WriteInhibitStatus());
  // Past INITIALIZE to the idle state.
  for (int i = 0; i < 4 && driver().StatusCode() != kEnabledStatus; ++i) {
    ASSERT_TRUE(driver().ReadStatus());
  }
  ASSERT_EQ(driver().StatusCode(), kEnabledStatus);
}

}  // namespace notarel
