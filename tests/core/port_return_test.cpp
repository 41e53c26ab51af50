// A port whose device goes away and comes back under the same name, as a
// USB-serial adapter that is reset or replugged: the driver lets go of the dead
// handle and the next command, the polling loop's included, opens the port
// again. Over the in-memory link the error that says "gone" is told apart from
// other failures; over a pseudo-terminal the emulator hangs its line up and
// opens a new one behind the same link.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include <unistd.h>

#include "driver.h"
#include "emulator_peer.h"
#include "serial_memory.h"

namespace notarel {
namespace {

using namespace std::chrono_literals;

template <class Condition>
void WaitUntil(Condition condition, int tenths = 1000) {
  for (int i = 0; i < tenths && !condition(); ++i) std::this_thread::sleep_for(10ms);
}

int Counter(const std::string& counters, const std::string& name) {
  const auto at = counters.find(name + "=");
  return at == std::string::npos ? -1 : std::stoi(counters.substr(at + name.size() + 1));
}

// The link's failures, each followed by a good status read: only a device
// that is gone costs the handle, whether the read or the write said so.
TEST(PortGone, OnlyAnErrorThatSaysGoneClosesThePortAndTheNextCommandReopensIt) {
  auto line = std::make_shared<TMemorySerial>();
  TDriver driver(line);
  const Bytes idle = BuildFrame({0x11});
  line->ScriptBytes(idle);
  ASSERT_TRUE(driver.ReadStatus());
  ASSERT_EQ(line->OpenCount(), 1);

  line->Script({TMemorySerial::Data({0xFC, 0x06}), TMemorySerial::ReadError(0x1234)});
  EXPECT_FALSE(driver.ReadStatus());
  EXPECT_EQ(driver.ResultCode(), -8);
  EXPECT_TRUE(line->IsOpen()) << "an error that is not about the device kept the handle";

  line->Script({TMemorySerial::Data({0xFC, 0x06}),
                TMemorySerial::ReadError(TMemorySerial::kDeviceGoneError)});
  EXPECT_FALSE(driver.ReadStatus());
  EXPECT_EQ(driver.ResultCode(), -8);
  EXPECT_EQ(driver.ResultDescription(), line->ErrorText(TMemorySerial::kDeviceGoneError));
  EXPECT_FALSE(line->IsOpen());
  EXPECT_FALSE(driver.PortOpened());

  line->ScriptBytes(idle);
  EXPECT_TRUE(driver.ReadStatus()) << driver.ResultDescription();
  EXPECT_EQ(line->OpenCount(), 2);

  line->FailWrites(TMemorySerial::kDeviceGoneError);
  EXPECT_FALSE(driver.ReadStatus());
  EXPECT_FALSE(line->IsOpen());
  line->FailWrites(0);
  line->ScriptBytes(idle);
  EXPECT_TRUE(driver.ReadStatus()) << driver.ResultDescription();
  EXPECT_EQ(line->OpenCount(), 3);
}

// The emulator behind a link of the test's own, which its hang-up moves to
// the new line; the link is taken away for a while to stand for an adapter
// that is unplugged, then put back.
class PortReturn : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("notarel-return-" + std::to_string(::getpid()) + "-" + std::to_string(GetParam()));
    std::filesystem::create_directories(dir_);
    link_ = (dir_ / "ttyACM0").string();
    peer_ = EmulatorPeer::Start({"--link", link_});
    ASSERT_TRUE(peer_);
    driver_ = std::make_unique<TDriver>();
    driver_->SetPortPath(link_);
    driver_->SetPollingInterval(5);
    driver_->SetErrorTimeout(200);
    driver_->SetBillEnabled(true);
    driver_->SetOnBill([this](std::int32_t, std::int16_t& accept) {
      ++offers_;
      accept = -1;
    });
    driver_->SetOnStacked([this](TDriver&) { ++stacked_; });
    driver_->SetOnError([this](std::int32_t, std::int32_t, const std::string&) { ++errors_; });
  }
  void TearDown() override {
    driver_.reset();
    peer_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  bool Idle() { return peer_->Command("status").find("state=0x11") != std::string::npos; }

  std::filesystem::path dir_;
  std::string link_;
  std::unique_ptr<EmulatorPeer> peer_;
  std::unique_ptr<TDriver> driver_;
  std::atomic<int> offers_{0};
  std::atomic<int> stacked_{0};
  std::atomic<int> errors_{0};
};

TEST_P(PortReturn, ABillAfterTheLineCameBackIsOfferedStackedAndCountedOnce) {
  ASSERT_TRUE(driver_->StartPolling());
  WaitUntil([&] { return Idle(); });
  ASSERT_TRUE(Idle()) << peer_->Command("status");
  ASSERT_TRUE(driver_->PortOpened());

  // The line hangs up and its name goes away for a while.
  ASSERT_EQ(peer_->Command("hangup").substr(0, 2), "OK");
  const std::filesystem::path away = dir_ / "away";
  std::filesystem::rename(link_, away);
  WaitUntil([&] { return errors_ > 0 && !driver_->PortOpened(); });
  EXPECT_GT(errors_.load(), 0) << "a device that is gone is reported";
  EXPECT_FALSE(driver_->PortOpened()) << "the dead handle was let go";
  std::this_thread::sleep_for(std::chrono::milliseconds(GetParam()));
  EXPECT_FALSE(driver_->PortOpened()) << "nothing to open while the name is gone";

  // Back under the same name: the loop opens it and takes a bill again.
  std::filesystem::rename(away, link_);
  WaitUntil([&] { return driver_->PortOpened() && Idle(); });
  ASSERT_TRUE(Idle()) << peer_->Command("status") << " / " << driver_->ResultDescription();
  EXPECT_TRUE(driver_->PortOpened());
  ASSERT_EQ(peer_->Command("insert 101").substr(0, 2), "OK");
  WaitUntil([&] { return stacked_ == 1; });
  EXPECT_TRUE(driver_->StopPolling());
  EXPECT_EQ(offers_, 1);
  EXPECT_EQ(stacked_, 1);
  const std::string counters = peer_->Command("counters");
  EXPECT_EQ(Counter(counters, "stacked"), 1) << counters;
  EXPECT_EQ(Counter(counters, "stack1"), 1) << counters;
  EXPECT_NE(peer_->Command("status").find("inhibit=1"), std::string::npos);
}

// Back after a second, and after half a minute (as an adapter replugged by hand).
INSTANTIATE_TEST_SUITE_P(Away, PortReturn, ::testing::Values(1000, 30000));

}  // namespace
}  // namespace notarel
