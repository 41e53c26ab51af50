#pragma once
// The soak program's command line.
#include <cstdint>
#include <string>

namespace notarel::soak {

enum class SoakLinkKind { kPty, kMemory };

struct SoakOptions {
  SoakLinkKind link = SoakLinkKind::kPty;  // --link pty|memory
  unsigned cycles = 200;            // plain bills the emulator puts in
  std::uint32_t seed = 1;           // the emulator's scenario and the handler's answers
  std::uint32_t interval = 2;       // PollingInterval, ms; over memory 0 unless given
  std::uint32_t errorTimeout = 150; // ErrorTimeout, ms; over memory 5 unless given
  unsigned acceptPerMille = 700;    // share of bills the Bill handler accepts
  unsigned watchdogSeconds = 0;     // bound of the whole run; 0: 120 s and 1 s a cycle
  unsigned progressSeconds = 0;     // a progress line this often; 0: none
  std::string rates;                // NAME=VALUE words for the scenario, blank-separated;
                                    // over memory after the shorter silences of kMemoryRates
  std::string emuLog;               // the emulator's log file; empty: none
  std::string recordPath;           // the Bill handler's answers, one line a bill; empty: none
};

// Over memory a read that finds nothing fails at once, so silences are cut
// to fit the memory defaults' ErrorTimeout of 5 ms: a short one costs a few
// failed reads and no report, a long one outlasts the time-out and is reported.
extern const char* const kMemoryRates;

// Fills options from argv; on a bad command line returns false with the reason in error.
bool ParseSoakOptions(int argc, const char* const* argv, SoakOptions& options, std::string& error);

extern const char* const kSoakUsage;

}  // namespace notarel::soak
