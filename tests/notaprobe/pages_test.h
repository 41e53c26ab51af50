#pragma once
// Shared parts of the page tests: the apartment, the emulator's COM port, a
// control wrapper pointed at the emulator, and waiting for conditions.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "emulator_peer.h"
#include "notarel2.h"

namespace pages_test {

// The emulator's COM number: NOTAREL_EMU_COM, 5 when unset.
int EmulatorCom();
// A COM number with no port behind it.
constexpr int kMissingCom = 29;

// Polls `cond` (handling this thread's window messages meanwhile) until it
// holds or `timeoutMs` passes; returns whether it holds.
bool WaitFor(const std::function<bool()>& cond, int timeoutMs = 20000);

// A fresh emulator (power-up state) and a control on its port.
class DeviceTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::string Emu(const std::string& line) { return peer_ ? peer_->Command(line) : std::string(); }
  // The emulator's "status" line, e.g. "OK state=40 inhibit=1 enabled=00 ...".
  std::string EmuStatus() { return Emu("status"); }
  TNotarel2& Driver() { return *driver_; }
  // Closes the port and points the control at a port that does not exist.
  void UseMissingPort();

  std::unique_ptr<notarel::EmulatorPeer> peer_;
  std::unique_ptr<TNotarel2> driver_;
};

}  // namespace pages_test
