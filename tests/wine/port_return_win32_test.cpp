// A COM port whose line hangs up and comes back under the same name (the
// emulator opens a new pseudo-terminal behind the prefix's COM link): the
// driver lets go of the dead handle by itself, so that its next commands open
// the port again, with no ClosePort from the client.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "driver.h"
#include "emulator_peer.h"

namespace notarel {
namespace {

TEST(PortReturnWin32, CommandsAfterAHangUpOpenThePortAgainByThemselves) {
  auto peer = EmulatorPeer::Start();
  ASSERT_TRUE(peer);
  TDriver driver;
  peer->Attach(driver);
  ASSERT_TRUE(driver.ReadStatus()) << driver.ResultDescription();
  ASSERT_EQ(peer->Command("hangup").substr(0, 6), "OK PTY");

  // The first command on the old handle fails with what the platform said;
  // one of the next few finds the new line.
  int failures = 0;
  bool back = false;
  for (int i = 0; i < 20 && !back; ++i) {
    back = driver.ReadStatus();
    if (!back) {
      ++failures;
      std::printf("[ hang-up  ] %d: %s (port %s)\n", driver.ResultCode(),
                  driver.ResultDescription().c_str(), driver.PortOpened() ? "open" : "closed");
    }
  }
  EXPECT_GE(failures, 1) << "the old line cannot answer";
  EXPECT_TRUE(back) << driver.ResultCode() << " " << driver.ResultDescription();
  EXPECT_TRUE(driver.PortOpened());
}

}  // namespace
}  // namespace notarel
