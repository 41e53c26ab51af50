// The soak scenario's place in the event loop: it sees each request that the
// device would serve, may silence it, acts on the device before it answers,
// spoils replies, and is told what reached the host.
#include "device_commands.h"
#include "emulator.h"

namespace notarel::emu {

void Emulator::StartSoak(std::uint32_t seed, const SoakRates& rates) {
  soak_ = std::make_unique<SoakScenario>(seed, rates);
  log_.Line("SOAK seed " + std::to_string(seed) + " " + FormatSoakRates(rates));
}

std::string Emulator::SoakCommand(const ControlCommand& command) {
  if (command.verb == Verb::kSoak) {
    if (command.on) {
      StartSoak(command.number, command.rates);
      return "OK";
    }
    if (!soak_) return "ERR no soak running";
    soak_->Drain();
    return "OK";
  }
  // answer accept|refuse
  if (!soak_) return "ERR no soak running";
  const std::string reply = soak_->Answer(command.on, model_);
  LogSoakNotes();
  return reply;
}

std::optional<Bytes> Emulator::AnswerRequest(const Bytes& body, TimePoint now) {
  if (!soak_) return model_.HandleRequest(body);
  const std::chrono::milliseconds silence = soak_->SilenceAt();
  if (silence.count() > 0) {
    silent_until_ = now + silence;
    LogSoakNotes();
    return std::nullopt;
  }
  soak_->BeforeRequest(body, model_);
  std::optional<Bytes> reply = model_.HandleRequest(body);
  if (reply) {
    for (Fault& fault : soak_->FaultsFor(*reply)) faults_.Add(std::move(fault));
  }
  LogSoakNotes();
  return reply;
}

void Emulator::LogSoakNotes() {
  if (!soak_) return;
  for (const std::string& note : soak_->TakeNotes()) log_.Line(note);
}

std::string Emulator::CountersText() const {
  const InhibitCounters& inhibit = inhibits_.Counters();
  std::string text = FormatCounters(model_.Counters());
  if (inhibits_.InUse()) {
    text += " last_inhibit_on=" + std::to_string(inhibits_.LastInhibitOn() ? 1 : 0) +
          " stops=" + std::to_string(inhibit.stops) +
          " stop_not_inhibited=" + std::to_string(inhibit.stop_not_inhibited) +
          " enabled_after_stop=" + std::to_string(inhibit.enabled_after_stop);
  }
  if (soak_) text += " " + soak_->FormatCounters();
  return text;
}

}  // namespace notarel::emu
