#pragma once
// Feeding bills and rejections into an emulator from a test thread, one at a
// time, each waited for until the driver's side has reported it; shared by
// the tests and benchmarks of several acceptors in one process, natively and
// under Wine.
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "emulator_peer.h"

namespace notarel::feed {

// Waits (asserting nothing about time) until the condition holds or a generous
// limit passes. A condition that acts (an insert) is not tried again once it
// held, so the answer is the last try's.
template <class Condition>
bool WaitFor(Condition condition, int tenMs = 1500) {
  for (int i = 0; i < tenMs; ++i) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

// A field of the emulator's "counters" reply; -1 when it is missing.
inline int Counter(const std::string& counters, const std::string& name) {
  const std::string spaced = " " + counters;
  const auto at = spaced.find(" " + name + "=");
  return at == std::string::npos ? -1 : std::stoi(spaced.substr(at + name.size() + 2));
}

inline bool Idle(EmulatorPeer& peer) {
  return peer.Command("status").find("state=0x11") != std::string::npos;
}

// Sends the control command once the device takes it (an insert or a reject
// needs the device idle and enabled), then waits for the count to go up by one.
inline bool Feed(EmulatorPeer& peer, const std::string& command, const std::function<int()>& count) {
  const int before = count();
  if (!WaitFor([&] { return peer.Command(command).rfind("OK", 0) == 0; })) return false;
  return WaitFor([&] { return count() == before + 1; });
}

// The Ith bill code of acceptor A: every acceptor has a sequence of its own.
inline int BillCode(int acceptor, int i) { return 99 + (acceptor + i * (acceptor + 1)) % 6; }

// The value of bill codes 99 to 104 in the first built-in country table.
inline std::int32_t ValueOf(int code) {
  static const std::int32_t kValues[] = {10, 50, 100, 500, 1000, 5000};
  return kValues[code - 99];
}

}  // namespace notarel::feed
