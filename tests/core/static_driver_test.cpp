// A driver with static storage duration (a program's global) is destroyed at
// exit, after the statics the core makes on first use. Its destruction runs an
// inhibit exchange, which must still find the result messages.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "driver.h"
#include "serial_memory.h"

namespace notarel {
namespace {

TEST(StaticDriverDeathTest, DestroyedAtExitAfterTheMessageTable) {
  // A fresh process runs only this test, so the driver is made before any
  // message is looked up and outlives the table that lookup builds.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        static TDriver driver(std::make_shared<TMemorySerial>());
        driver.ReadStatus();
        std::exit(driver.ResultCode() == -1 ? 0 : 2);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace notarel
