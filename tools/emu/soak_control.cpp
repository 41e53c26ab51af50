#include "soak_control.h"

#include "device_commands.h"

namespace notarel::emu {

std::optional<Bytes> SoakAnswerRequest(SoakScenario& soak, DeviceModel& model, FaultInjector& faults,
                                       const Bytes& body, std::chrono::milliseconds& silence) {
  silence = soak.SilenceAt();
  if (silence.count() > 0) return std::nullopt;
  soak.BeforeRequest(body, model);
  std::optional<Bytes> reply = model.HandleRequest(body);
  if (reply) {
    for (Fault& fault : soak.FaultsFor(*reply)) faults.Add(std::move(fault));
  }
  return reply;
}

std::string HostStatement(bool polling, InhibitLedger& inhibits, SoakScenario* soak) {
  if (!polling) return inhibits.HostStopped();
  inhibits.HostPolling();
  if (soak) soak->HostPolling();
  return {};
}

std::string DeviceCountersText(const DeviceModel& model, const InhibitLedger& inhibits,
                               const SoakScenario* soak) {
  const InhibitCounters& inhibit = inhibits.Counters();
  std::string text = FormatCounters(model.Counters());
  if (inhibits.InUse()) {
    text += " last_inhibit_on=" + std::to_string(inhibits.LastInhibitOn() ? 1 : 0) +
            " stops=" + std::to_string(inhibit.stops) +
            " stop_not_inhibited=" + std::to_string(inhibit.stop_not_inhibited) +
            " enabled_after_stop=" + std::to_string(inhibit.enabled_after_stop);
  }
  if (soak) text += " " + soak->FormatCounters();
  return text;
}

}  // namespace notarel::emu
