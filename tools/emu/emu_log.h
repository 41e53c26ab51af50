#pragma once
// The emulator's log: one line per frame, fault and control command, each
// with a wall-clock time to the millisecond, flushed at once so that a test
// reading the log while the emulator runs sees every line.
#include <cstdio>
#include <string>

namespace notarel::emu {

class EmuLog {
 public:
  explicit EmuLog(std::FILE* out) : out_(out) {}

  void Line(const std::string& text);

 private:
  std::FILE* out_;
};

}  // namespace notarel::emu
