#include "soak_options.h"

#include <cstdlib>

namespace notarel::soak {

const char* const kSoakUsage =
    "usage: polling_soak [--link pty|memory] [--cycles N] [--seed N] [--interval MS] [--error-timeout MS]\n"
    "                    [--accept PERMILLE] [--watchdog SECONDS] [--rates \"NAME=VALUE ...\"]\n"
    "                    [--emu-log FILE] [--record FILE] [--progress SECONDS]\n";

const char* const kMemoryRates = "short_ms=2 long_ms=16";

namespace {

constexpr std::uint32_t kMemoryInterval = 0;
constexpr std::uint32_t kMemoryErrorTimeout = 5;

bool ParseLink(const std::string& value, SoakOptions& o) {
  if (value == "pty") o.link = SoakLinkKind::kPty;
  else if (value == "memory") o.link = SoakLinkKind::kMemory;
  else return false;
  return true;
}

// The memory link's defaults for what the command line left out.
void ApplyMemoryDefaults(bool intervalGiven, bool timeoutGiven, SoakOptions& o) {
  if (o.link != SoakLinkKind::kMemory) return;
  if (!intervalGiven) o.interval = kMemoryInterval;
  if (!timeoutGiven) o.errorTimeout = kMemoryErrorTimeout;
  o.rates = o.rates.empty() ? kMemoryRates : std::string(kMemoryRates) + " " + o.rates;
}

bool ParseUnsigned(const std::string& text, unsigned long max, unsigned long& value) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
  char* end = nullptr;
  value = std::strtoul(text.c_str(), &end, 10);
  return *end == '\0' && value <= max;
}

// Stores one option's value; false when the name is unknown or the value bad.
bool ApplyOption(const std::string& name, const std::string& value, SoakOptions& o) {
  unsigned long n = 0;
  auto number = [&](unsigned long max) { return ParseUnsigned(value, max, n); };
  if (name == "--link") return ParseLink(value, o);
  if (name == "--cycles" && number(100000000)) o.cycles = static_cast<unsigned>(n);
  else if (name == "--seed" && number(0xFFFFFFFFUL)) o.seed = static_cast<std::uint32_t>(n);
  else if (name == "--interval" && number(10000)) o.interval = static_cast<std::uint32_t>(n);
  else if (name == "--error-timeout" && number(600000)) o.errorTimeout = static_cast<std::uint32_t>(n);
  else if (name == "--accept" && number(1000)) o.acceptPerMille = static_cast<unsigned>(n);
  else if (name == "--watchdog" && number(1000000)) o.watchdogSeconds = static_cast<unsigned>(n);
  else if (name == "--progress" && number(100000)) o.progressSeconds = static_cast<unsigned>(n);
  else if (name == "--rates") o.rates = value;
  else if (name == "--emu-log") o.emuLog = value;
  else if (name == "--record") o.recordPath = value;
  else return false;
  return true;
}

}  // namespace

bool ParseSoakOptions(int argc, const char* const* argv, SoakOptions& options, std::string& error) {
  bool intervalGiven = false;
  bool timeoutGiven = false;
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    intervalGiven = intervalGiven || name == "--interval";
    timeoutGiven = timeoutGiven || name == "--error-timeout";
    if (i + 1 >= argc) {
      error = name + " needs a value";
      return false;
    }
    const std::string value = argv[++i];
    if (!ApplyOption(name, value, options)) {
      error = "bad option or value: " + name + " " + value;
      return false;
    }
  }
  if (options.cycles == 0) {
    error = "--cycles must be at least 1";
    return false;
  }
  ApplyMemoryDefaults(intervalGiven, timeoutGiven, options);
  return true;
}

}  // namespace notarel::soak
