#include "emu_options.h"

#include "control_command.h"

namespace notarel::emu {

const char* const kUsage =
    "usage: rud003-emu [--link PATH] [--control-tcp PORT] [--script FILE] [--log FILE]\n"
    "                  [--model TEXT] [--boot TEXT] [--wire 0|9600|19200] [--seed N]\n"
    "                  [--start-state powerup|enabled|inhibited]\n"
    "                  [--soak SEED] [--soak-rates NAME=VALUE,...] [--realtime PRIORITY]\n";

namespace {

bool ParseStartState(const std::string& text, StartState& start) {
  if (text == "powerup") start = StartState::kPowerUp;
  else if (text == "enabled") start = StartState::kEnabled;
  else if (text == "inhibited") start = StartState::kInhibited;
  else return false;
  return true;
}

// Stores one option's value; returns false when the value is not acceptable.
bool ApplyOption(const std::string& name, const std::string& value, EmulatorOptions& o) {
  std::uint32_t number = 0;
  if (name == "--link") o.link_path = value;
  else if (name == "--script") o.script_path = value;
  else if (name == "--log") o.log_path = value;
  else if (name == "--model") o.identity.model_id = value;
  else if (name == "--boot") o.identity.boot_version = value;
  else if (name == "--start-state") return ParseStartState(value, o.start);
  else if (name == "--control-tcp") {
    if (!ParseNumber(value, 65535, number)) return false;
    o.control_port = static_cast<std::uint16_t>(number);
  } else if (name == "--wire") {
    if (!ParseNumber(value, 19200, number) || (number != 0 && number != 9600 && number != 19200)) return false;
    o.wire_baud = number;
  } else if (name == "--soak") {
    if (!ParseNumber(value, 0xFFFFFFFFU, number)) return false;
    o.soak_seed = number;
  } else if (name == "--soak-rates") {
    std::string error;
    return ApplySoakRates(SplitSoakRates(value), o.soak_rates, error);
  } else if (name == "--realtime") {
    if (!ParseNumber(value, 99, number)) return false;
    o.realtime_priority = number;
  } else if (name == "--seed") {
    if (!ParseNumber(value, 0xFFFFFFFFU, number)) return false;
    o.seed = number;
  } else {
    return false;
  }
  return true;
}

}  // namespace

bool ParseOptions(int argc, const char* const* argv, EmulatorOptions& options, std::string& error) {
  static const char* const kNames[] = {"--link", "--control-tcp", "--script", "--log", "--model",
                                       "--boot", "--wire", "--seed", "--start-state",
                                       "--soak", "--soak-rates", "--realtime"};
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    bool known = false;
    for (const char* n : kNames) known = known || name == n;
    if (!known) {
      error = "unknown option " + name;
      return false;
    }
    if (i + 1 >= argc) {
      error = name + " needs a value";
      return false;
    }
    const std::string value = argv[++i];
    if (!ApplyOption(name, value, options)) {
      error = "bad value for " + name + ": " + value;
      return false;
    }
  }
  return true;
}

}  // namespace notarel::emu
