#pragma once
// What the fuzz targets share: a check that stops the run with the failed
// condition's text (libFuzzer then saves the input), the hex form of bytes
// written here from its definition rather than taken from the code under
// test, and the watch that turns a slow input into a hang finding.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#define FUZZ_CHECK(condition)                                                       \
  do {                                                                              \
    if (!(condition)) {                                                             \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      __builtin_trap();                                                             \
    }                                                                               \
  } while (false)

namespace notarel::fuzz {

// Two upper-case hex digits per byte, one blank between bytes, none around.
inline std::string Hex(const std::vector<std::uint8_t>& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (std::uint8_t byte : bytes) {
    if (!text.empty()) text += ' ';
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0F];
  }
  return text;
}

// An input may not take longer than this in wall time. No part of the code
// under test waits on a clock when its line is in memory, and an input runs
// in milliseconds, so one that takes this long is a loop that does not end.
// The margin is for a machine shared with other work (2 s was once exceeded
// by a 24 ms input there).
class TWallClockWatch {
 public:
  static constexpr std::chrono::seconds kLimit{5};
  TWallClockWatch() : start_(std::chrono::steady_clock::now()) {}
  void Check() const { FUZZ_CHECK(std::chrono::steady_clock::now() - start_ < kLimit); }

 private:
  std::chrono::steady_clock::time_point start_;
};

}  // namespace notarel::fuzz
