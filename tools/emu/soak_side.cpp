// The soak scenario's place in the event loop: it sees each request that the
// device would serve, may silence it, acts on the device before it answers,
// spoils replies, and is told what reached the host.
#include "device_commands.h"
#include "emulator.h"
#include "soak_control.h"

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
  std::chrono::milliseconds silence{0};
  std::optional<Bytes> reply = SoakAnswerRequest(*soak_, model_, faults_, body, silence);
  if (silence.count() > 0) silent_until_ = now + silence;
  LogSoakNotes();
  return reply;
}

void Emulator::LogSoakNotes() {
  if (!soak_) return;
  for (const std::string& note : soak_->TakeNotes()) log_.Line(note);
}

std::string Emulator::CountersText() const {
  return DeviceCountersText(model_, inhibits_, soak_.get());
}

}  // namespace notarel::emu
