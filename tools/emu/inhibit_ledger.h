#pragma once
// What the device was last told about taking bills, set against what the host
// says of its own polling, so that a test can tell whether a host that has
// stopped polling left the device inhibited, and whether a stopped loop still
// sent an enabling command afterwards.
//
// Every well-formed request that reaches the device counts, answered or not:
// the ledger is about what the host sent, not about what the device did. The
// host states `host stopped` once its StopPolling (or its driver's
// destruction) has returned and `host polling` before it starts polling
// again; the emulator serves the control side and the line from one loop, so
// a request sent before that statement is booked before it. Pure.
#include <cstdint>
#include <string>

#include "frame_codec.h"

namespace notarel::emu {

struct InhibitCounters {
  unsigned long stops = 0;               // `host stopped` statements
  unsigned long stop_not_inhibited = 0;  // ... when the last inhibit command was not inhibit-on
  unsigned long enabled_after_stop = 0;  // enabling commands between `host stopped` and `host polling`
};

class InhibitLedger {
 public:
  // A request the device received. Returns why it should not have come, or an empty text.
  std::string Request(const Bytes& body);
  // Returns why the device is not safe now, or an empty text.
  std::string HostStopped();
  void HostPolling() {
    stopped_ = false;
    in_use_ = true;
  }
  // Whether a host has made a statement: only then do its figures mean anything.
  bool InUse() const { return in_use_; }

  // Whether the last inhibit command received was inhibit-on (false before any).
  bool LastInhibitOn() const { return last_inhibit_ == 1; }
  const InhibitCounters& Counters() const { return counters_; }

 private:
  InhibitCounters counters_;
  int last_inhibit_ = -1;  // -1: none received yet
  bool stopped_ = false;
  bool in_use_ = false;
};

}  // namespace notarel::emu
