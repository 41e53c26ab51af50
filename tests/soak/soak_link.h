#pragma once
// Where the soak's device is: the emulator program behind a pseudo-terminal
// (`--link pty`), or the emulator's device model and soak scenario in this
// process behind a serial link in memory (`--link memory`), which has no wire
// time, so that a million bill cycles take minutes. Both take the emulator's
// control lines and answer them alike.
#include <map>
#include <memory>
#include <string>

#include "driver.h"
#include "soak_options.h"

namespace notarel::soak {

class SoakLink {
 public:
  virtual ~SoakLink() = default;

  // One control line to the device; the one-line reply, "" when none came.
  virtual std::string Command(const std::string& line) = 0;
  // A driver whose port leads to the device (not set up otherwise).
  virtual std::unique_ptr<TDriver> NewDriver() = 0;
  // What the link itself saw put on the driver's line, by name; empty when
  // the link cannot see it (the pty).
  virtual std::map<std::string, unsigned long> Delivered() const { return {}; }
};

// Null, with the reason printed, when the device cannot be had.
std::unique_ptr<SoakLink> StartPtyLink(const SoakOptions& options);
std::unique_ptr<SoakLink> StartMemoryLink(const SoakOptions& options);

}  // namespace notarel::soak
