#pragma once
// The control language: one command a line, from standard input, a TCP client
// or a script file. Parsing is pure; carrying a command out is elsewhere.
#include <cstdint>
#include <string>

#include "frame_codec.h"
#include "soak_rates.h"

namespace notarel::emu {

enum class Verb {
  kInsert, kReject, kFail, kState, kClear, kPowerUp, kRestart,
  kSilent, kGarbage, kCorrupt, kSwapCrc, kTruncate, kRaw, kReply, kTrailing,
  kStream, kDelay, kWire, kHangup, kCounters, kStatus, kSleep, kQuit,
  kSoak, kAnswer, kHost, kSlow,
};

struct ControlCommand {
  Verb verb = Verb::kStatus;
  // The numeric argument: a code, a count, milliseconds, a baud rate, the
  // POWER UP status byte that `powerup` asked for, or the soak's seed; 0 when
  // an optional number (hangup's) is left out.
  std::uint32_t number = 0;
  Bytes bytes;        // hex byte lists; slow: the command byte
  // stream on|off; soak SEED (on) or soak off; answer accept (on) or refuse;
  // host polling (on) or stopped
  bool on = false;
  SoakRates rates;    // soak SEED NAME=VALUE...: the defaults with these changes
};

struct ParsedLine {
  enum class Kind { kNothing, kCommand, kError };
  Kind kind = Kind::kNothing;
  ControlCommand command;
  std::string error;  // why the line was refused, for "ERR <reason>"
};

// Blank lines and lines starting with '#' are nothing; a trailing CR is ignored.
ParsedLine ParseControlLine(const std::string& line);

// Decimal or 0x-prefixed hexadecimal, no sign, at most max.
bool ParseNumber(const std::string& text, std::uint32_t max, std::uint32_t& value);

}  // namespace notarel::emu
