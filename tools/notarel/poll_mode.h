#pragma once
// The tool's polling mode: run the words, start polling, print each event as
// the driver raises it, answer each bill by a policy, and stop after a time,
// on Ctrl-C or at the end of standard input.
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "report.h"

namespace notarel::cli {

// How a Bill event is answered.
struct AcceptPolicy {
  enum class Kind { All, None, UpTo, Refuse, Ask } kind = Kind::All;
  std::int64_t limit = 0;              // UpTo: the most that may be accepted in all
  std::vector<std::int64_t> refused;   // Refuse: the bill values turned down
};

// "all", "none", "upto:SUM", "refuse:VALUE,..." or "ask"; false when the text is none of them.
bool ParseAcceptPolicy(const std::string& text, AcceptPolicy& policy);

// Whether a status stops the device taking bills without an event of its own
// (stacker full or open, a jam, pause, cheated); polling prints a Status
// record when the device enters or leaves one.
bool IsInterruption(std::uint8_t status);

// Starts polling on a driver whose words have run, waits, stops; returns
// false when StartPolling or StopPolling failed. `seconds` 0 waits for Ctrl-C
// or the end of `in`.
bool RunPolling(TDriver& driver, const AcceptPolicy& policy, double seconds, Report& report,
                std::istream& in);

}  // namespace notarel::cli
