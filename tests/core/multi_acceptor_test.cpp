// Four acceptors in one process, as a kiosk carries them: four drivers, each
// polling its own emulator on its own pseudo-terminal, with bills going in on
// all four at once. What each driver reported is held against what its own
// emulator booked, so an event that reached the wrong driver, or a bill lost
// or counted twice, shows. Then one line hangs up and its name goes away for
// a while: the other three go on taking bills untouched, and the lost one,
// once back, counts its next bill once.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "driver.h"
#include "emulator_peer.h"

namespace notarel {
namespace {

using namespace std::chrono_literals;

constexpr int kAcceptors = 4;
constexpr int kLost = 2;  // the acceptor whose line goes away

// Waits (asserting nothing about time) until the condition holds or a generous
// limit passes. A condition that acts (an insert) is not tried again once it
// held, so the answer is the last try's.
template <class Condition>
bool WaitUntil(Condition condition, int tenMs = 1500) {
  for (int i = 0; i < tenMs; ++i) {
    if (condition()) return true;
    std::this_thread::sleep_for(10ms);
  }
  return false;
}

int Counter(const std::string& counters, const std::string& name) {
  const auto at = counters.find(" " + name + "=");
  return at == std::string::npos ? -1 : std::stoi(counters.substr(at + name.size() + 2));
}

// The value of a bill code in the first built-in country table.
std::int32_t ValueOf(int code) {
  static const std::int32_t kValues[] = {10, 50, 100, 500, 1000, 5000};  // codes 99 to 104
  return kValues[code - 99];
}

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
  bool Idle() { return peer->Command("status").find("state=0x11") != std::string::npos; }
  int Errors() {
    std::lock_guard<std::mutex> hold(lock);
    return static_cast<int>(errorCodes.size());
  }
  int Rejections() {
    std::lock_guard<std::mutex> hold(lock);
    return static_cast<int>(rejections.size());
  }
  // One bill in and stacked: the emulator takes it once the device is idle
  // and enabled again after the previous one.
  bool Bill(int code) {
    const int before = stacked;
    if (!WaitUntil([&] { return peer->Command("insert " + std::to_string(code)).rfind("OK", 0) == 0; })) {
      return false;
    }
    inserted.push_back(code);
    return WaitUntil([&] { return stacked == before + 1; });
  }
  bool Reject(int code) {
    const int before = Rejections();
    if (!WaitUntil([&] { return peer->Command("reject " + std::to_string(code)).rfind("OK", 0) == 0; })) {
      return false;
    }
    return WaitUntil([&] { return Rejections() == before + 1; });
  }
  // Each acceptor's own bill codes, so that its sequence of sums is its own.
  bool Bills(int count) {
    for (int i = 0; i < count; ++i) {
      if (!Bill(99 + (index + i * (index + 1)) % 6)) return false;
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
    for (int code : a.inserted) expected.push_back(ValueOf(code));
    const std::string counters = " " + a.peer->Command("counters");
    const int bills = static_cast<int>(a.inserted.size());
    std::lock_guard<std::mutex> hold(a.lock);
    EXPECT_EQ(a.offered, expected) << "each offer came from this driver's own emulator, once";
    EXPECT_EQ(a.stacked.load(), bills);
    EXPECT_EQ(Counter(counters, "escrowed"), bills) << counters;
    EXPECT_EQ(Counter(counters, "stacked"), bills) << counters;
    EXPECT_EQ(Counter(counters, "stack1"), bills) << counters;
    EXPECT_EQ(Counter(counters, "return"), 0) << counters;
    EXPECT_EQ(Counter(counters, "rejected"), 1) << counters;
    EXPECT_EQ(a.rejections, std::vector<std::int32_t>{rejectCode});
    EXPECT_EQ(a.misdelivered.load(), 0);
  }

  std::filesystem::path dir_;
  Acceptor acceptors_[kAcceptors];
};

TEST_F(MultiAcceptor, FourDriversAgreeWithTheirOwnDevicesAndOneLostLineDisturbsNoOther) {
  for (auto& a : acceptors_) ASSERT_TRUE(a.driver->StartPolling());
  for (auto& a : acceptors_) ASSERT_TRUE(WaitUntil([&] { return a.Idle(); })) << a.index;

  // Bills and a rejection of its own on every acceptor at once.
  OnAll([](Acceptor& a) { return a.Bills(2) && a.Reject(0x71 + a.index) && a.Bills(2); });

  // One line hangs up and its name goes away; the others keep taking bills.
  Acceptor& lost = acceptors_[kLost];
  ASSERT_EQ(lost.peer->Command("hangup").rfind("OK PTY", 0), 0u);
  const std::filesystem::path away = dir_ / "away";
  std::filesystem::rename(lost.link, away);
  OnAll([](Acceptor& a) { return a.Bills(3); }, kLost);
  EXPECT_TRUE(WaitUntil([&] { return lost.Errors() >= 2 && !lost.driver->PortOpened(); }));
  EXPECT_FALSE(lost.driver->PortOpened()) << "nothing to open while the name is gone";
  for (auto& a : acceptors_) {
    if (a.index == kLost) continue;
    EXPECT_EQ(a.Errors(), 0) << "acceptor " << a.index << " saw the other line's loss";
    EXPECT_TRUE(a.driver->PortOpened()) << a.index;
  }

  // Back under the same name: its next bill is offered, stacked and counted once.
  std::filesystem::rename(away, lost.link);
  ASSERT_TRUE(WaitUntil([&] { return lost.driver->PortOpened() && lost.Idle(); }))
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
