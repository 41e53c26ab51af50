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
};

// Fills options from argv; on a bad command line returns false with the reason in error.
bool ParseOptions(int argc, const char* const* argv, EmulatorOptions& options, std::string& error);

extern const char* const kUsage;

}  // namespace notarel::emu
