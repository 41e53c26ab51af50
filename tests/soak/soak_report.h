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

// The figures of both sides, a few lines for a person to read.
void PrintFigures(const EmuCounters& emu, const HostTally& host, double seconds);

// Prints each check; returns how many failed.
int PrintChecks(const std::vector<SoakCheck>& checks);

}  // namespace notarel::soak
