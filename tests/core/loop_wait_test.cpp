// The owner's wait: a handler of a loop that was told to stop may be waiting
// for the very thread that waits for that loop to end (a window's thread,
// whose messages only it can serve). StartPolling and the destruction give
// that thread's time to the owner's wait, so the handler is served and both
// return. Run under ThreadSanitizer by the test command.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "device_test.h"

namespace notarel {
namespace {

using namespace std::chrono_literals;

// Requests that only the thread calling Serve can answer, as a window's
// sent messages are answered only by the window's thread.
class Mailbox {
 public:
  // A handler's request: returns once it has been served (or the box opened).
  void SendAndWait() {
    std::unique_lock<std::mutex> lock(lock_);
    const int ticket = ++sent_;
    changed_.notify_all();
    changed_.wait(lock, [&] { return served_ >= ticket || open_; });
  }
  // The owner's wait: serves what is pending, waiting at most ms for a request.
  void Serve(std::uint32_t ms) {
    std::unique_lock<std::mutex> lock(lock_);
    ++serveCalls_;
    changed_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return sent_ > served_; });
    if (sent_ == served_) return;
    served_ = sent_;
    servedOn_ = std::this_thread::get_id();
    changed_.notify_all();
  }
  // Waits, serving nothing, until a request is pending (or a generous bound passes).
  bool WaitForRequest() {
    std::unique_lock<std::mutex> lock(lock_);
    return changed_.wait_for(lock, 20s, [&] { return sent_ > served_; });
  }
  // Lets every request through from now on: how a deadlock is broken.
  void Open() {
    std::lock_guard<std::mutex> hold(lock_);
    open_ = true;
    changed_.notify_all();
  }
  int Served() {
    std::lock_guard<std::mutex> hold(lock_);
    return served_;
  }
  int ServeCalls() {
    std::lock_guard<std::mutex> hold(lock_);
    return serveCalls_;
  }
  std::thread::id ServedOn() {
    std::lock_guard<std::mutex> hold(lock_);
    return servedOn_;
  }

 private:
  std::mutex lock_;
  std::condition_variable changed_;
  int sent_ = 0;
  int served_ = 0;
  int serveCalls_ = 0;
  bool open_ = false;
  std::thread::id servedOn_;
};

// Opens the mailbox if the guarded calls have not returned after a generous
// bound, so that a deadlock fails the test instead of hanging it.
class DeadlockWatch {
 public:
  explicit DeadlockWatch(Mailbox& mailbox)
      : thread_([this, &mailbox] {
          std::unique_lock<std::mutex> lock(lock_);
          if (!done_cv_.wait_for(lock, 60s, [&] { return done_; })) {
            fired_ = true;
            lock.unlock();
            mailbox.Open();
          }
        }) {}
  ~DeadlockWatch() { Finish(); }
  DeadlockWatch(const DeadlockWatch&) = delete;
  DeadlockWatch& operator=(const DeadlockWatch&) = delete;
  // Ends the watch; true when it had to break a deadlock.
  bool Finish() {
    {
      std::lock_guard<std::mutex> hold(lock_);
      done_ = true;
    }
    done_cv_.notify_all();
    if (thread_.joinable()) thread_.join();
    return fired_;
  }

 private:
  std::mutex lock_;
  std::condition_variable done_cv_;
  bool done_ = false;
  bool fired_ = false;
  std::thread thread_;
};

class OwnersWait : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    if (HasFatalFailure()) return;
    driver().SetPollingInterval(2);
    driver().SetBillEnabled(true);
    driver().SetLoopWait([this](std::uint32_t ms) { mailbox_.Serve(ms); });
    driver().SetOnBill([this](std::int32_t, std::int16_t& accept) {
      ++offers_;
      mailbox_.SendAndWait();
      accept = 1;
      ++answered_;
    });
    ASSERT_TRUE(driver().StartPolling());
    // The emulator takes a bill once the loop has enabled it.
    bool taken = false;
    for (int i = 0; i < 1000 && !taken; ++i) {
      taken = peer_->Command("insert 102").substr(0, 2) == "OK";
      if (!taken) std::this_thread::sleep_for(10ms);
    }
    ASSERT_TRUE(taken);
    // From here on the handler waits for this thread, which serves nothing yet.
    ASSERT_TRUE(mailbox_.WaitForRequest());
    ASSERT_EQ(answered_, 0);
  }
  void TearDown() override {
    // A handler of a later loop may be waiting as well; the destruction serves it.
    DeadlockWatch watch(mailbox_);
    DeviceTest::TearDown();
    EXPECT_FALSE(watch.Finish()) << "destroying the driver deadlocked with its handler";
  }

  Mailbox mailbox_;
  std::atomic<int> offers_{0};
  std::atomic<int> answered_{0};
};

TEST_F(OwnersWait, StartPollingAfterStopPollingServesTheFinishingLoopsHandler) {
  bool started = false;
  {
    DeadlockWatch watch(mailbox_);
    EXPECT_TRUE(driver().StopPolling());
    started = driver().StartPolling();
    EXPECT_FALSE(watch.Finish()) << "StartPolling deadlocked with the stopped loop's handler";
  }
  EXPECT_TRUE(started);
  EXPECT_TRUE(driver().PollingStarted());
  // The stopped loop had ended before StartPolling returned: its handler was
  // served on this thread, through the owner's wait, and has answered.
  EXPECT_GE(mailbox_.ServeCalls(), 1);
  EXPECT_GE(mailbox_.Served(), 1);
  EXPECT_EQ(mailbox_.ServedOn(), std::this_thread::get_id());
  EXPECT_GE(answered_.load(), 1);
}

TEST_F(OwnersWait, DestructionServesTheRunningHandlerAndEndsItsLoopFirst) {
  {
    DeadlockWatch watch(mailbox_);
    driver_.reset();
    EXPECT_FALSE(watch.Finish()) << "destroying the driver deadlocked with its handler";
  }
  // Nothing the loop uses was freed under it: its handler had returned.
  EXPECT_EQ(answered_.load(), offers_.load());
  EXPECT_GE(mailbox_.Served(), 1);
  EXPECT_EQ(mailbox_.ServedOn(), std::this_thread::get_id());
  const std::string status = peer_->Command("status");
  EXPECT_NE(status.find("inhibit=1"), std::string::npos) << status;
}

}  // namespace
}  // namespace notarel
