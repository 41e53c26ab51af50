#pragma once
// The soak's figures from both sides and the checks made on them.
#include <map>
#include <string>
#include <vector>

#include "soak_host.h"

namespace notarel::soak {

// The NAME=VALUE numbers of an emulator reply line ("OK escrowed=3 ...").
using EmuCounters = std::map<std::string, unsigned long>;
EmuCounters ParseEmuCounters(const std::string& line);

struct SoakCheck {
  std::string what;    // the property, as a sentence
  bool passed = false;
  std::string detail;  // the figures it was decided on
};

// Every check of the soak on the final figures. finalStatus is the emulator's
// `status` line after the last driver was destroyed.
std::vector<SoakCheck> EvaluateSoak(const EmuCounters& emu, const HostTally& host,
                                    const std::string& finalStatus);

// The faults the scenario injected, by kind, against its rates: with enough
// cycles every kind whose rate is not zero must have come (a link that never
// brings one about does not test its path), and when the link sees the
// driver's line (`delivered`, by the same names) every one must have reached it.
void CheckFaults(const EmuCounters& emu, const EmuCounters& delivered, unsigned cycles,
                 const std::string& rates, std::vector<SoakCheck>& out);

// The figures of both sides, a few lines for a person to read; `delivered`
// is what the link saw on the driver's line (empty for the pty).
void PrintFigures(const EmuCounters& emu, const HostTally& host, const EmuCounters& delivered,
                  double seconds);

// Prints each check; returns how many failed.
int PrintChecks(const std::vector<SoakCheck>& checks);

}  // namespace notarel::soak
