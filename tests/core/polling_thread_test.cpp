// The polling thread against the emulator: the whole bill cycle, stop and
// start in quick alternation while bills flow, and destruction while polling.
// Run under ThreadSanitizer by the test command.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <thread>

#include "device_test.h"

namespace notarel {
namespace {

using namespace std::chrono_literals;

// Waits (without asserting anything about time) until the condition holds or
// a generous limit passes; the caller checks the condition afterwards.
template <class Condition>
void WaitUntil(Condition condition) {
  for (int i = 0; i < 1000 && !condition(); ++i) std::this_thread::sleep_for(10ms);
}

int Counter(const std::string& counters, const std::string& name) {
  const auto at = counters.find(name + "=");
  return at == std::string::npos ? -1 : std::stoi(counters.substr(at + name.size() + 1));
}

class PollingThread : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    if (HasFatalFailure()) return;
    driver().SetPollingInterval(2);
    driver().SetBillEnabled(true);
    driver().SetOnStacked([this](TDriver&) { ++stacked_; });
    driver().SetOnBill([this](std::int32_t, std::int16_t& accept) {
      // Two loops at once would show here as two offers at the same time.
      if (++inside_ > 1) ++overlaps_;
      std::this_thread::sleep_for(1ms);
      ++offers_;
      accept = -1;
      --inside_;
    });
  }
  std::atomic<int> stacked_{0};
  std::atomic<int> offers_{0};
  std::atomic<int> inside_{0};
  std::atomic<int> overlaps_{0};
};

TEST_F(PollingThread, RunsTheBillCycleByItself) {
  EXPECT_TRUE(driver().StartPolling());
  EXPECT_TRUE(driver().StartPolling());  // one loop for two starts
  EXPECT_TRUE(driver().PollingStarted());
  WaitUntil([&] { return peer_->Command("status").find("state=0x11") != std::string::npos; });
  Emu("insert 101");
  WaitUntil([&] { return stacked_ == 1; });
  EXPECT_EQ(stacked_, 1) << peer_->Command("status") << " / " << peer_->Command("counters")
                         << " / last status " << int(driver().LastPollStatus()) << " "
                         << driver().ResultDescription();
  EXPECT_TRUE(driver().StopPolling());
  EXPECT_FALSE(driver().PollingStarted());
  EXPECT_EQ(offers_, 1);
  const std::string counters = peer_->Command("counters");
  EXPECT_EQ(Counter(counters, "stacked"), 1) << counters;
  EXPECT_EQ(Counter(counters, "stack1"), 1) << counters;
  EXPECT_NE(peer_->Command("status").find("inhibit=1"), std::string::npos);
}

TEST_F(PollingThread, StopAndStartInQuickAlternationNeverRunTwoLoops) {
  ASSERT_TRUE(driver().StartPolling());
  std::atomic<bool> feeding{true};
  std::thread feeder([&] {  // the only user of the emulator's control meanwhile
    for (int i = 0; feeding; ++i) {
      peer_->Command("insert " + std::to_string(97 + i % 8));  // refused unless idle
      std::this_thread::sleep_for(1ms);
    }
  });
  for (int round = 0; round < 120; ++round) {
    std::this_thread::sleep_for(std::chrono::milliseconds(round % 12));
    EXPECT_TRUE(driver().StopPolling());
    if (round % 3 == 0) std::this_thread::sleep_for(3ms);
    EXPECT_TRUE(driver().StartPolling());
  }
  feeding = false;
  feeder.join();
  // Let the last bill finish its way into the box, then stop for good.
  WaitUntil([&] {
    const std::string status = peer_->Command("status");
    return status.find("state=0x11") != std::string::npos;
  });
  std::this_thread::sleep_for(50ms);
  EXPECT_TRUE(driver().StopPolling());
  const std::string counters = peer_->Command("counters");
  EXPECT_EQ(overlaps_, 0);
  EXPECT_GT(Counter(counters, "stacked"), 0) << counters;
  EXPECT_EQ(Counter(counters, "return"), 0) << counters;  // every bill was accepted
  EXPECT_EQ(Counter(counters, "stacked"), stacked_.load()) << counters;
}

TEST_F(PollingThread, DestructionWhilePollingStopsAndInhibits) {
  for (int round = 0; round < 5; ++round) {
    auto driver = std::make_unique<TDriver>();
    peer_->Attach(*driver);
    driver->SetPollingInterval(1);
    driver->SetBillEnabled(true);
    driver->SetOnBill([](std::int32_t, std::int16_t& accept) { accept = 1; });
    ASSERT_TRUE(driver->StartPolling());
    peer_->Command("insert 100");
    std::this_thread::sleep_for(std::chrono::milliseconds(5 * round));
    driver.reset();
    EXPECT_NE(peer_->Command("status").find("inhibit=1"), std::string::npos) << round;
  }
}

// The device inhibited, its replies to the enable and inhibit writes slowed:
// StopPolling comes at every point of the loop's enable-then-lift sequence.
// Once it has returned, the last inhibit command the device received must be
// inhibit-on, and nothing enabling may follow from the stopped loop (the
// emulator's ledger, told `host stopped`, counts both).
TEST_F(PollingThread, StopPollingLeavesTheDeviceInhibitedWhateverTheLoopWasDoing) {
  driver().SetPollingInterval(10);
  Emu("slow C0 100");
  Emu("slow C3 60");
  for (int run = 0; run < 10; ++run) {
    Emu("host polling");
    ASSERT_TRUE(driver().StartPolling());
    std::this_thread::sleep_for(std::chrono::milliseconds(run * 23));
    EXPECT_TRUE(driver().StopPolling());
    EXPECT_EQ(driver().ResultCode(), 0);
    Emu("host stopped");
    EXPECT_TRUE(driver().InhibitStatus()) << run;
  }
  std::this_thread::sleep_for(300ms);  // a stopped loop that still sent would have by now
  const std::string counters = peer_->Command("counters");
  EXPECT_EQ(Counter(counters, "stops"), 10) << counters;
  EXPECT_EQ(Counter(counters, "stop_not_inhibited"), 0) << counters;
  EXPECT_EQ(Counter(counters, "enabled_after_stop"), 0) << counters;
  EXPECT_NE(peer_->Command("status").find(" inhibit=1 "), std::string::npos);
}

// A handler that starts polling again while its driver is being destroyed
// must not revive the loop that the destruction waits for.
TEST_F(PollingThread, AHandlerStartingPollingDuringDestructionDoesNotKeepTheLoopAlive) {
  auto driver = std::make_unique<TDriver>();
  peer_->Attach(*driver);
  driver->SetPollingInterval(2);
  driver->SetBillEnabled(true);
  std::atomic<bool> inHandler{false};
  std::atomic<bool> destroying{false};
  std::atomic<int> restartResult{-1};
  TDriver* self = driver.get();
  driver->SetOnBill([&](std::int32_t, std::int16_t& accept) {
    inHandler = true;
    while (!destroying) std::this_thread::sleep_for(1ms);
    std::this_thread::sleep_for(100ms);  // the destruction's StopPolling comes meanwhile
    restartResult = self->StartPolling() ? 1 : 0;
    accept = 0;
  });
  ASSERT_TRUE(driver->StartPolling());
  WaitUntil([&] { return peer_->Command("status").find("state=0x11") != std::string::npos; });
  Emu("insert 100");
  WaitUntil([&] { return inHandler.load(); });
  ASSERT_TRUE(inHandler);
  auto destruction = std::async(std::launch::async, [&] {
    destroying = true;
    driver.reset();
  });
  if (destruction.wait_for(30s) != std::future_status::ready) {
    // The future would wait for ever too: end the program with the reason.
    std::fprintf(stderr, "DEADLOCK: the destruction waits for a loop its handler revived\n");
    std::abort();
  }
  EXPECT_EQ(restartResult, 0);
  EXPECT_NE(peer_->Command("status").find(" inhibit=1 "), std::string::npos);
}

}  // namespace
}  // namespace notarel
