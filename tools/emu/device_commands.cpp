#include "device_commands.h"

#include <cstdio>

namespace notarel::emu {
namespace {

std::string Hex(unsigned value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", digits, value);
  return text;
}

std::string Outcome(const std::string& refusal) { return refusal.empty() ? "OK" : "ERR " + refusal; }

std::optional<Fault> FaultFor(const ControlCommand& command) {
  switch (command.verb) {
    case Verb::kGarbage: return Fault{FaultKind::kGarbage, command.number, {}};
    case Verb::kCorrupt: return Fault{FaultKind::kCorrupt, 0, {}};
    case Verb::kSwapCrc: return Fault{FaultKind::kSwapCrc, 0, {}};
    case Verb::kTruncate: return Fault{FaultKind::kTruncate, command.number, {}};
    case Verb::kRaw: return Fault{FaultKind::kRaw, 0, command.bytes};
    case Verb::kReply: return Fault{FaultKind::kReply, 0, command.bytes};
    case Verb::kTrailing: return Fault{FaultKind::kTrailing, 0, command.bytes};
    default: return std::nullopt;
  }
}

}  // namespace

std::optional<std::string> ApplyDeviceCommand(const ControlCommand& command, DeviceModel& model,
                                              FaultInjector& faults) {
  const auto code = static_cast<std::uint8_t>(command.number);
  if (auto fault = FaultFor(command)) {
    faults.Add(std::move(*fault));
    return "OK";
  }
  switch (command.verb) {
    case Verb::kInsert: return Outcome(model.Insert(code));
    case Verb::kReject: return Outcome(model.Reject(code));
    case Verb::kFail: model.Fail(code); return "OK";
    case Verb::kState: return Outcome(model.Force(code));
    case Verb::kClear: model.Clear(); return "OK";
    case Verb::kPowerUp: model.PowerUp(code); return "OK";
    case Verb::kRestart:
      model.Restart();
      faults.ClearPending();
      return "OK";
    case Verb::kCounters: return "OK " + FormatCounters(model.Counters());
    case Verb::kStatus: return "OK " + FormatStatus(model);
    default: return std::nullopt;
  }
}

std::string FormatCounters(const DeviceCounters& c) {
  auto field = [](const char* name, unsigned long value) {
    return std::string(name) + "=" + std::to_string(value);
  };
  return field("escrowed", c.escrowed) + " " + field("stacked", c.stacked) + " " +
         field("returned", c.returned) + " " + field("rejected", c.rejected) + " " +
         field("failures", c.failures) + " " + field("stack1", c.stack1) + " " +
         field("stack2", c.stack2) + " " + field("return", c.returns) + " " + field("ack", c.acks) +
         " " + field("requests", c.requests) + " " + field("badcrc", c.badcrc) + " " +
         field("unknown", c.unknown);
}

std::string FormatStatus(const DeviceModel& model) {
  const DeviceSettings& s = model.Settings();
  return "state=" + Hex(model.CurrentStatus().front(), 2) + " inhibit=" + (s.inhibit ? "1" : "0") +
         " enabled=" + Hex(s.enabled, 2) + " validated=" + Hex(s.validated, 2) +
         " direction=" + Hex(s.direction, 2) + " optional=" + Hex(s.optional, 4);
}

}  // namespace notarel::emu
