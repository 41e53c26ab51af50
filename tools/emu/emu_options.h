#pragma once
// The emulator's command line.
#include <cstdint>
#include <optional>
#include <string>

#include "device_model.h"
#include "soak_rates.h"

namespace notarel::emu {

struct EmulatorOptions {
  std::string link_path;                     // symbolic link to the slave; empty: none
  std::optional<std::uint16_t> control_port; // 0 picks a free port
  std::string script_path;
  std::string log_path;                      // empty: standard error
  DeviceIdentity identity;
  unsigned wire_baud = 0;
  std::optional<std::uint32_t> seed;         // empty: drawn at start and logged
  StartState start = StartState::kPowerUp;
  std::optional<std::uint32_t> soak_seed;    // run the soak scenario from the start
  SoakRates soak_rates;
  // Real-time (round-robin) priority, 1 to 99, so that a loaded machine does
  // not hold replies back past the host's read time-out; 0: ordinary.
  unsigned realtime_priority = 0;
};

// Fills options from argv; on a bad command line returns false with the reason in error.
bool ParseOptions(int argc, const char* const* argv, EmulatorOptions& options, std::string& error);

extern const char* const kUsage;

}  // namespace notarel::emu
