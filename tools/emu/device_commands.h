#pragma once
// Carries out the control commands that concern only the device model and the
// next reply, and formats the device's counters and settings for the control side.
#include <optional>
#include <string>

#include "control_command.h"
#include "device_model.h"
#include "fault_injector.h"

namespace notarel::emu {

// The reply line ("OK ..." or "ERR ..."), or nothing when the command belongs
// to the link or the event loop (silent, stream, delay, wire, hangup, sleep, quit).
// For restart this does the device's part: power-up, zeroed counters, no pending faults.
std::optional<std::string> ApplyDeviceCommand(const ControlCommand& command, DeviceModel& model,
                                              FaultInjector& faults);

// "escrowed=N stacked=N returned=N rejected=N failures=N stack1=N stack2=N return=N ack=N requests=N badcrc=N unknown=N"
std::string FormatCounters(const DeviceCounters& counters);

// "state=0x11 inhibit=0 enabled=0xFF validated=0x00 direction=0x00 optional=0x0000"
std::string FormatStatus(const DeviceModel& model);

}  // namespace notarel::emu
