#pragma once
// Fixture for tests that talk to the emulator through a real serial link.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "cp1251.h"
#include "driver.h"
#include "emulator_peer.h"

namespace notarel {

class DeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    peer_ = EmulatorPeer::Start();
    ASSERT_TRUE(peer_);
    driver_ = std::make_unique<TDriver>();
    peer_->Attach(*driver_);
  }
  void TearDown() override { driver_.reset(); }

  // Sends an emulator command that must be accepted.
  void Emu(const std::string& line) {
    const std::string reply = peer_->Command(line);
    ASSERT_EQ(reply.substr(0, 2), "OK") << line << " -> " << reply;
  }
  // Takes the emulator through reset to an enabled, uninhibited idle state.
  void EnableDevice();

  static constexpr std::uint8_t kEnabledStatus = 0x11;

  static std::string Cp(const char* utf8) { return Utf8ToCp1251(utf8); }

  TDriver& driver() { return *driver_; }

  std::unique_ptr<EmulatorPeer> peer_;
  std::unique_ptr<TDriver> driver_;
};

}  // namespace notarel
