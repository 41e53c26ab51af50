// Two threads on one driver: exchanges never interleave on the wire, and the
// fields the other thread reads meanwhile are always whole values.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "device_test.h"

namespace notarel {
namespace {

using Concurrency = DeviceTest;

TEST_F(Concurrency, CommandsFromTwoThreadsNeverInterleave) {
  constexpr int kRounds = 150;
  std::atomic<int> statusFailures{0};
  std::atomic<int> modelFailures{0};
  std::thread poller([&] {
    for (int i = 0; i < kRounds; ++i) {
      if (!driver().ReadStatus()) ++statusFailures;
    }
  });
  for (int i = 0; i < kRounds; ++i) {
    if (!driver().ReadModelID()) ++modelFailures;
  }
  poller.join();
  EXPECT_EQ(statusFailures.load(), 0);
  EXPECT_EQ(modelFailures.load(), 0);
  EXPECT_EQ(driver().ModelID(), "RDRUB003");
  EXPECT_EQ(driver().StatusDescription(), "POWER UP");
}

TEST_F(Concurrency, FieldsReadDuringExchangesAreConsistent) {
  std::atomic<bool> done{false};
  std::atomic<int> torn{0};
  std::thread worker([&] {
    for (int i = 0; i < 150; ++i) driver().ReadStatus();
    done = true;
  });
  const std::string expectedOutput = "FC 05 11 27 56";
  while (!done) {
    const std::string output = driver().Output();
    const std::string description = driver().StatusDescription();
    if (!output.empty() && output != expectedOutput) ++torn;
    if (!description.empty() && description != "POWER UP") ++torn;
    (void)driver().ResultDescription();
    (void)driver().Input();
  }
  worker.join();
  EXPECT_EQ(torn.load(), 0);
}

}  // namespace
}  // namespace notarel
