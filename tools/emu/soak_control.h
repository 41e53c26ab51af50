#pragma once
// The device side's handling that does not depend on the line: a request
// answered with the soak scenario's part in it, the host's statements about
// its polling, and the counters line. The emulator program and the
// in-process device both use these, so the two serve the host alike.
#include <chrono>
#include <optional>
#include <string>

#include "device_model.h"
#include "fault_injector.h"
#include "inhibit_ledger.h"
#include "soak_scenario.h"

namespace notarel::emu {

// The device's answer to a well-formed request while a soak runs: nothing
// when the device does not answer or the request begins a silence (its length
// is then in `silence`, else zero). The faults chosen for the reply are queued
// on `faults`.
std::optional<Bytes> SoakAnswerRequest(SoakScenario& soak, DeviceModel& model, FaultInjector& faults,
                                       const Bytes& body, std::chrono::milliseconds& silence);

// `host polling` (true) or `host stopped`; returns why the device is not
// safe at the stop, or an empty text. soak may be null.
std::string HostStatement(bool polling, InhibitLedger& inhibits, SoakScenario* soak);

// The device's counters, then the inhibit ledger's once a host has spoken,
// then the soak's when one runs (soak may be null).
std::string DeviceCountersText(const DeviceModel& model, const InhibitLedger& inhibits,
                               const SoakScenario* soak);

}  // namespace notarel::emu
