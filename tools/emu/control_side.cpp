// The control side of the event loop: reading command lines from standard
// input, TCP clients and the script, carrying them out and answering each
// with one line.
#include <cerrno>
#include <fstream>
#include <stdexcept>
#include <system_error>
#include <sys/socket.h>
#include <unistd.h>

#include "device_commands.h"
#include "emulator.h"
#include "soak_control.h"
#include "tcp_control.h"

namespace notarel::emu {

void Emulator::LoadScript() {
  if (options_.script_path.empty()) return;
  std::ifstream file(options_.script_path);
  if (!file) throw std::runtime_error("cannot read script " + options_.script_path);
  script_ = std::make_unique<ControlChannel>(ControlChannel::Kind::kScript, -1, "script");
  for (std::string line; std::getline(file, line);) {
    line += '\n';
    script_->Append(line.data(), line.size());
  }
  script_->EndOfInput();
}

void Emulator::AcceptClients() {
  for (int fd; (fd = AcceptControlClient(listen_fd_)) >= 0;) {
    const std::string name = "tcp" + std::to_string(fd);
    clients_.push_back(std::make_unique<ControlChannel>(ControlChannel::Kind::kTcp, fd, name));
    log_.Line(name + " connected");
  }
}

void Emulator::ReadChannel(ControlChannel& channel) {
  char buffer[4096];
  const ssize_t n = ::read(channel.fd(), buffer, sizeof buffer);
  if (n > 0) {
    channel.Append(buffer, static_cast<std::size_t>(n));
  } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
    channel.EndOfInput();
  }
}

void Emulator::ServeChannels(TimePoint now) {
  ServeChannel(*stdin_, now);
  if (script_) ServeChannel(*script_, now);
  for (auto& client : clients_) ServeChannel(*client, now);
  // A client that hung up and has nothing left to do is closed.
  for (auto it = clients_.begin(); it != clients_.end();) {
    if ((*it)->Finished()) {
      log_.Line((*it)->name() + " disconnected");
      ::close((*it)->fd());
      it = clients_.erase(it);
    } else {
      ++it;
    }
  }
}

void Emulator::ServeChannel(ControlChannel& channel, TimePoint now) {
  if (channel.Wake(now)) Answer(channel, "sleep", "OK");
  std::string line;
  while (!quit_ && channel.NextLine(line)) {
    const ParsedLine parsed = ParseControlLine(line);
    if (parsed.kind == ParsedLine::Kind::kNothing) continue;
    if (parsed.kind == ParsedLine::Kind::kError) {
      Answer(channel, line, "ERR " + parsed.error);
      continue;
    }
    if (parsed.command.verb == Verb::kSleep) {
      // The answer comes when the sleep ends, so a waiting client knows it has.
      channel.SleepUntil(now + std::chrono::milliseconds(parsed.command.number));
      return;
    }
    Answer(channel, line, Execute(parsed.command, now));
  }
}

std::string Emulator::Execute(const ControlCommand& command, TimePoint now) {
  const std::chrono::milliseconds millis(command.number);
  switch (command.verb) {
    case Verb::kSilent:
      silent_until_ = now + millis;
      return "OK";
    case Verb::kDelay:
      delay_ = millis;
      return "OK";
    case Verb::kStream:
      if (streaming_ && !command.on) {
        pacer_.DropSend();
        line_out_.clear();
      }
      streaming_ = command.on;
      return "OK";
    case Verb::kWire:
      pacer_.SetBaud(command.number);
      return "OK";
    case Verb::kHangup:
      return Hangup(std::chrono::milliseconds(command.number), now);
    case Verb::kHost:
      return HostCommand(command.on);
    case Verb::kSlow:
      slow_[command.bytes.front()] = millis;
      return "OK";
    case Verb::kQuit:
      quit_ = true;
      return "OK";
    case Verb::kRestart:
      RestartLink();
      soak_.reset();
      inhibits_ = InhibitLedger{};
      break;
    case Verb::kSoak:
    case Verb::kAnswer:
      return SoakCommand(command);
    case Verb::kCounters:
      return "OK " + CountersText();
    default:
      break;
  }
  const auto reply = ApplyDeviceCommand(command, model_, faults_);
  return reply ? *reply : "ERR not available";
}

// The line goes away at once. It comes back under the same link either at
// once or, as a replugged adapter does, after `away`, the link missing until
// then.
std::string Emulator::Hangup(std::chrono::milliseconds away, TimePoint now) {
  pty_.Close();
  ResetLine();
  if (away.count() > 0) {
    pty_.RemoveLink();
    line_back_at_ = now + away;
    log_.Line("hangup: line away for " + std::to_string(away.count()) + " ms");
    return "OK AWAY " + std::to_string(away.count());
  }
  return OpenNewLine();
}

std::string Emulator::OpenNewLine() {
  line_back_at_.reset();
  try {
    pty_.Open();
  } catch (const std::system_error& e) {
    log_.Line(std::string("hangup: ") + e.what());
    return std::string("ERR ") + e.what();
  }
  log_.Line("hangup: new PTY " + pty_.slave_path());
  return "OK PTY " + pty_.slave_path();
}

std::string Emulator::HostCommand(bool polling) {
  const std::string fault = HostStatement(polling, inhibits_, soak_.get());
  if (!fault.empty()) log_.Line("LEDGER " + fault);
  return "OK";
}

// The link's part of restart: nothing in flight, no silence, delay or stream,
// and the wire speed the emulator was started with.
void Emulator::RestartLink() {
  ResetLine();
  silent_until_ = TimePoint{};
  delay_ = std::chrono::milliseconds{0};
  slow_.clear();
  streaming_ = false;
  pacer_.SetBaud(options_.wire_baud);
}

void Emulator::Answer(ControlChannel& channel, const std::string& line, const std::string& reply) {
  log_.Line(channel.name() + ": " + line + " -> " + reply);
  switch (channel.kind()) {
    case ControlChannel::Kind::kStdin:
      PrintLine(reply);
      break;
    case ControlChannel::Kind::kTcp: {
      const std::string text = reply + "\n";
      ::send(channel.fd(), text.data(), text.size(), MSG_NOSIGNAL);
      break;
    }
    case ControlChannel::Kind::kScript:
      break;  // the log line above is a script's only answer
  }
}

}  // namespace notarel::emu
