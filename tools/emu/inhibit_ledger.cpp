#include "inhibit_ledger.h"

#include "device_model.h"

namespace notarel::emu {

std::string InhibitLedger::Request(const Bytes& body) {
  if (body.empty()) return {};
  bool enabling = false;
  if (body[0] == kCommandWriteInhibit && body.size() >= 2) {
    last_inhibit_ = body[1] & 1;
    enabling = last_inhibit_ == 0;
  } else if (body[0] == kCommandWriteEnabled) {
    enabling = true;
  }
  if (!enabling || !stopped_) return {};
  ++counters_.enabled_after_stop;
  return "enabling command after the host stopped polling";
}

std::string InhibitLedger::HostStopped() {
  ++counters_.stops;
  stopped_ = true;
  in_use_ = true;
  if (last_inhibit_ == 1) return {};
  ++counters_.stop_not_inhibited;
  return "host stopped with the device not told to inhibit";
}

}  // namespace notarel::emu
