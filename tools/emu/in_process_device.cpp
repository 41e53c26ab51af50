#include "in_process_device.h"

#include "control_command.h"
#include "device_commands.h"
#include "soak_control.h"

namespace notarel::emu {

InProcessDevice::InProcessDevice(std::uint32_t noise_seed, StartState start)
    : model_(DeviceIdentity{}, start), faults_(noise_seed) {}

InProcessDevice::Reply InProcessDevice::Serve(const Bytes& written, Clock::time_point now) {
  Reply reply;
  for (const FrameRead& frame : frames_.Feed(written)) ServeFrame(frame, now, reply);
  return reply;
}

// As the emulator program serves a frame: the ledgers book every well-formed
// request, a silent device answers none, a bad CRC gets the device's own
// answer, and the soak may silence the request or spoil its reply.
void InProcessDevice::ServeFrame(const FrameRead& frame, Clock::time_point now, Reply& reply) {
  const bool bad = frame.kind == FrameRead::Kind::kBadCrc;
  if (frame.kind != FrameRead::Kind::kFrame && !bad) return;
  const Bytes body = frame.Body();
  if (!bad) {
    inhibits_.Request(body);
    if (soak_) soak_->Heard(body);
  }
  if (now < silent_until_) {
    ++reply.silenced;
    return;
  }
  if (bad) {
    SendReply(body, model_.HandleCorruptRequest(), reply);
    return;
  }
  std::optional<Bytes> answer;
  if (soak_) {
    std::chrono::milliseconds silence{0};
    answer = SoakAnswerRequest(*soak_, model_, faults_, body, silence);
    if (silence.count() > 0) {
      silent_until_ = now + silence;
      ++reply.silenced;
      return;
    }
  } else {
    answer = model_.HandleRequest(body);
  }
  if (answer) SendReply(body, *answer, reply);
}

void InProcessDevice::SendReply(const Bytes& request, const Bytes& body, Reply& reply) {
  const Bytes frame = BuildFrame(body);
  // The scenario draws a delay as it does for the line; here it costs nothing.
  if (soak_) soak_->ReplyDelay(request);
  Bytes sent = frame;
  if (faults_.HasPending()) {
    ShapedReply shaped = faults_.Shape(frame);
    sent = std::move(shaped.bytes);
    reply.faults.insert(reply.faults.end(), shaped.kinds.begin(), shaped.kinds.end());
  }
  if (soak_) soak_->AfterReply(request, body, ReachesHostIntact(sent, frame));
  reply.bytes.insert(reply.bytes.end(), sent.begin(), sent.end());
}

std::string InProcessDevice::SoakCommand(bool on, std::uint32_t seed, const SoakRates& rates) {
  if (on) {
    soak_ = std::make_unique<SoakScenario>(seed, rates);
    return "OK";
  }
  if (!soak_) return "ERR no soak running";
  soak_->Drain();
  return "OK";
}

std::string InProcessDevice::Command(const std::string& line, Clock::time_point now) {
  const ParsedLine parsed = ParseControlLine(line);
  if (parsed.kind == ParsedLine::Kind::kError) return "ERR " + parsed.error;
  if (parsed.kind == ParsedLine::Kind::kNothing) return "ERR empty line";
  const ControlCommand& command = parsed.command;
  switch (command.verb) {
    case Verb::kSoak:
      return SoakCommand(command.on, command.number, command.rates);
    case Verb::kAnswer:
      return soak_ ? soak_->Answer(command.on, model_) : "ERR no soak running";
    case Verb::kHost:
      HostStatement(command.on, inhibits_, soak_.get());
      return "OK";
    case Verb::kCounters:
      return "OK " + DeviceCountersText(model_, inhibits_, soak_.get());
    case Verb::kSilent:
      silent_until_ = now + std::chrono::milliseconds(command.number);
      return "OK";
    case Verb::kRestart:
      soak_.reset();
      inhibits_ = InhibitLedger{};
      frames_.Reset();
      silent_until_ = {};
      break;
    case Verb::kStream: case Verb::kWire: case Verb::kHangup: case Verb::kDelay:
    case Verb::kSlow: case Verb::kSleep: case Verb::kQuit:
      return "ERR not available in process";
    default:
      break;
  }
  const auto reply = ApplyDeviceCommand(command, model_, faults_);
  return reply ? *reply : "ERR not available";
}

}  // namespace notarel::emu
