// Four acceptors in one process, as a kiosk carries them: four drivers, each
// polling its own emulator on its own pseudo-terminal, with bills going in on
// all four at once. What each driver reported is held against what its own
// emulator booked, so an event that reached the wrong driver, or a bill lost
// or counted twice, shows. Then one line hangs up and its name goes away for
// a while: the other three go on taking bills untouched, and the lost one,
// once back, counts its next bill once.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "acceptor_feed.h"
#include "driver.h"
#include "emulator_peer.h"

namespace notarel {
namespace {

using feed::WaitFor;

constexpr int kAcceptors = 4;
constexpr int kLost = 2;  // the acceptor whose line goes away

// One acceptor: its emulator behind a link of its own, its driver, and what
// the driver's handlers were told.
struct Acceptor {
  int index = 0;
  std::string link;
  std::unique_ptr<EmulatorPeer> peer;
  std::unique_ptr<TDriver> driver;
  std::mutex lock;
  std::vector<std::int32_t> offered;     // Bill sums, in order
  std::vector<std::int32_t> rejections;  // Reject extended codes
  std::vector<std::int32_t> errorCodes;  // Error codes (the extended code must match)
  std::atomic<int> stacked{0};
  std::atomic<int> misdelivered{0};      // handler called for another driver, or malformed
  std::vector<int> inserted;             // bill codes the test put in

  void Attach() {
    driver->SetOnBill([this](std::int32_t summ, std::int16_t& accept) {
      std::lock_guard<std::mutex> hold(lock);
      offered.push_back(summ);
      accept = -1;
    });
    driver->SetOnStacked([this](TDriver& from) {
      if (&from != driver.get()) ++misdelivered;
      ++stacked;
    });
    driver->SetOnReject([this](std::int32_t code, std::int32_t ext, const std::string&) {
      if (code != 23) ++misdelivered;
      std::lock_guard<std::mutex> hold(lock);
      rejections.push_back(ext);
    });
    driver->SetOnError([this](std::int32_t code, std::int32_t ext, const std::string&) {
      if (code != ext || code >= 0) ++misdelivered;
      std::lock_guard<std::mutex> hold(lock);
      errorCodes.push_back(code);
    });
  }
  int Errors() {
    std::lock_guard<std::mutex> hold(lock);
    return static_cast<int>(errorCodes.size());
  }
  int Rejections() {
    std::lock_guard<std::mutex> hold(lock);
    return static_cast<int>(rejections.size());
  }
  bool Bill(int code) {
    if (!feed::Feed(*peer, "insert " + std::to_string(code), [this] { return stacked.load(); })) return false;
    inserted.push_back(code);
    return true;
  }
  bool Reject(int code) {
    return feed::Feed(*peer, "reject " + std::to_string(code), [this] { return Rejections(); });
  }
  bool Bills(int count) {
    for (int i = 0; i < count; ++i) {
      if (!Bill(feed::BillCode(index, i))) return false;
    }
    return true;
  }
};

class MultiAcceptor : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("notarel-multi-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
    for (int i = 0; i < kAcceptors; ++i) {
      auto& a = acceptors_[i];
      a.index = i;
      a.link = (dir_ / ("ttyUSB" + std::to_string(i))).string();
      a.peer = EmulatorPeer::Start({"--link", a.link});
      ASSERT_TRUE(a.peer);
      a.driver = std::make_unique<TDriver>();
      a.driver->SetDefaults();  // the built-in country tables, as without a settings file
      a.driver->SetPortPath(a.link);
      a.driver->SetCountryIndex(0);
      ASSERT_TRUE(a.driver->CountryByIndex());
      a.driver->SetPollingInterval(10);
      a.driver->SetErrorTimeout(200);
      a.driver->SetBillEnabled(true);
      a.Attach();
    }
  }
  void TearDown() override {
    for (auto& a : acceptors_) a.driver.reset();
    for (auto& a : acceptors_) a.peer.reset();
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  // Runs the work on every acceptor but the skipped one, all at once.
  template <class Work>
  void OnAll(Work work, int skip = -1) {
    std::vector<std::thread> threads;
    std::atomic<int> failed{0};
    for (auto& a : acceptors_) {
      if (a.index == skip) continue;
      threads.emplace_back([&a, &work, &failed] {
        if (!work(a)) ++failed;
      });
    }
    for (auto& t : threads) t.join();
    ASSERT_EQ(failed.load(), 0) << "a bill or rejection did not go through";
  }
  // What the driver reported against what its emulator booked.
  void CheckLedger(Acceptor& a, int rejectCode) {
    SCOPED_TRACE("acceptor " + std::to_string(a.index));
    std::vector<std::int32_t> expected;
    for (int code : a.inserted) expected.push_back(feed::ValueOf(code));
    const std::string counters = a.peer->Command("counters");
    const int bills = static_cast<int>(a.inserted.size());
    std::lock_guard<std::mutex> hold(a.lock);
    EXPECT_EQ(a.offered, expected) << "each offer came from this driver's own emulator, once";
    EXPECT_EQ(a.stacked.load(), bills);
    EXPECT_EQ(feed::Counter(counters, "escrowed"), bills) << counters;
    EXPECT_EQ(feed::Counter(counters, "stacked"), bills) << counters;
    EXPECT_EQ(feed::Counter(counters, "stack1"), bills) << counters;
    EXPECT_EQ(feed::Counter(counters, "return"), 0) << counters;
    EXPECT_EQ(feed::Counter(counters, "rejected"), 1) << counters;
    EXPECT_EQ(a.rejections, std::vector<std::int32_t>{rejectCode});
    EXPECT_EQ(a.misdelivered.load(), 0);
  }

  std::filesystem::path dir_;
  Acceptor acceptors_[kAcceptors];
};

TEST_F(MultiAcceptor, FourDriversAgreeWithTheirOwnDevicesAndOneLostLineDisturbsNoOther) {
  for (auto& a : acceptors_) ASSERT_TRUE(a.driver->StartPolling());
  for (auto& a : acceptors_) ASSERT_TRUE(WaitFor([&] { return feed::Idle(*a.peer); })) << a.index;

  // Bills and a rejection of its own on every acceptor at once.
  OnAll([](Acceptor& a) { return a.Bills(2) && a.Reject(0x71 + a.index) && a.Bills(2); });

  // One line hangs up and its name goes away; the others keep taking bills.
  Acceptor& lost = acceptors_[kLost];
  ASSERT_EQ(lost.peer->Command("hangup").rfind("OK PTY", 0), 0u);
  const std::filesystem::path away = dir_ / "away";
  std::filesystem::rename(lost.link, away);
  OnAll([](Acceptor& a) { return a.Bills(3); }, kLost);
  EXPECT_TRUE(WaitFor([&] { return lost.Errors() >= 2 && !lost.driver->PortOpened(); }));
  EXPECT_FALSE(lost.driver->PortOpened()) << "nothing to open while the name is gone";
  for (auto& a : acceptors_) {
    if (a.index == kLost) continue;
    EXPECT_EQ(a.Errors(), 0) << "acceptor " << a.index << " saw the other line's loss";
    EXPECT_TRUE(a.driver->PortOpened()) << a.index;
  }

  // Back under the same name: its next bill is offered, stacked and counted once.
  std::filesystem::rename(away, lost.link);
  ASSERT_TRUE(WaitFor([&] { return lost.driver->PortOpened() && feed::Idle(*lost.peer); }))
      << lost.driver->ResultDescription();
  ASSERT_TRUE(lost.Bill(103));
  for (auto& a : acceptors_) EXPECT_TRUE(a.driver->StopPolling());
  for (auto& a : acceptors_) CheckLedger(a, 0x71 + a.index);
  for (auto& a : acceptors_) {
    EXPECT_EQ(a.inserted.size(), a.index == kLost ? 5u : 7u);
  }
}

}  // namespace
}  // namespace notarel
