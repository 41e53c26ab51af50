#include "emulator.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <unistd.h>

#include "device_commands.h"
#include "tcp_control.h"

namespace notarel::emu {

void PrintLine(const std::string& line) {
  std::fputs(line.c_str(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

Emulator::Emulator(EmulatorOptions options, std::uint32_t seed, EmuLog& log)
    : options_(std::move(options)),
      log_(log),
      model_(options_.identity, options_.start),
      faults_(seed),
      pty_(options_.link_path) {
  pacer_.SetBaud(options_.wire_baud);
  log_.Line("seed " + std::to_string(seed));
}

Emulator::~Emulator() {
  if (listen_fd_ >= 0) ::close(listen_fd_);
  for (auto& client : clients_) ::close(client->fd());
}

void Emulator::Start() {
  LoadScript();
  if (options_.soak_seed) StartSoak(*options_.soak_seed, options_.soak_rates);
  pty_.Open();
  log_.Line("PTY " + pty_.slave_path());
  PrintLine("PTY " + pty_.slave_path());
  if (options_.control_port) {
    std::uint16_t port = 0;
    listen_fd_ = OpenControlListener(*options_.control_port, port);
    PrintLine("CONTROL 127.0.0.1:" + std::to_string(port));
    log_.Line("CONTROL 127.0.0.1:" + std::to_string(port));
  }
  stdin_ = std::make_unique<ControlChannel>(ControlChannel::Kind::kStdin, STDIN_FILENO, "stdin");
  // The script's lines up to its first sleep set the device up before anyone is told it is ready.
  if (script_) ServeChannel(*script_, Clock::now());
  PrintLine("READY");
}

void Emulator::Finish() {
  pty_.RemoveLink();
  const std::string counters = CountersText();
  log_.Line("exit: " + counters);
  PrintLine("COUNTERS " + counters);
}

bool Emulator::ShouldEnd() const {
  if (quit_) return true;
  // With TCP control the emulator may run with standard input at end of file.
  return listen_fd_ < 0 && stdin_->Finished();
}

constexpr int kSpinMarginUs = 150;

timespec Emulator::PollTimeout(TimePoint now) const {
  std::optional<TimePoint> next = pacer_.NextDue();
  auto consider = [&](std::optional<TimePoint> t) {
    if (t && (!next || *t < *next)) next = t;
  };
  if (!replies_.empty()) consider(replies_.front().release);
  consider(line_back_at_);
  if (streaming_ && pacer_.Baud() == 0) consider(next_stream_chunk_);
  consider(stdin_->WakeAt());
  if (script_) consider(script_->WakeAt());
  for (const auto& client : clients_) consider(client->WakeAt());
  constexpr auto kIdleWake = std::chrono::seconds(1);
  auto wait = next ? std::min<Clock::duration>(*next - now, kIdleWake) : kIdleWake;
  // With wire time on, the last stretch before a byte falls due is spent polling
  // without sleeping: a wake-up from sleep comes tens of microseconds late, and
  // that lateness would count against every byte of the emulated line.
  if (pacer_.Baud() != 0) wait -= std::chrono::microseconds(kSpinMarginUs);
  if (wait < Clock::duration::zero()) wait = Clock::duration::zero();
  // Nanoseconds, not milliseconds: wire time at 19200 baud is 0.57 ms a byte,
  // and a wake-up rounded to whole milliseconds would stretch every reply.
  const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
  return timespec{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
}

void Emulator::Run(const volatile std::sig_atomic_t& stop_requested, int wake_fd) {
  std::vector<pollfd> fds;
  std::vector<ControlChannel*> polled;  // the channel behind each fd from index 3 on
  while (!stop_requested && !ShouldEnd()) {
    fds.clear();
    polled.clear();
    const short line_events = static_cast<short>(POLLIN | (line_out_.empty() ? 0 : POLLOUT));
    fds.push_back({wake_fd, POLLIN, 0});
    fds.push_back({pty_.master_fd(), line_events, 0});
    fds.push_back({listen_fd_, POLLIN, 0});  // a negative fd is skipped by poll
    if (!stdin_->InputEnded()) polled.push_back(stdin_.get());
    for (auto& client : clients_) {
      if (!client->InputEnded()) polled.push_back(client.get());
    }
    for (ControlChannel* channel : polled) fds.push_back({channel->fd(), POLLIN, 0});

    const timespec timeout = PollTimeout(Clock::now());
    const int ready = ::ppoll(fds.data(), fds.size(), &timeout, nullptr);
    if (ready < 0 && errno != EINTR) {
      log_.Line(std::string("poll failed: ") + std::strerror(errno));
      return;
    }
    if (ready > 0) {
      if (fds[1].revents & (POLLIN | POLLERR | POLLHUP)) ReadLine(Clock::now());
      if (fds[2].revents & POLLIN) AcceptClients();
      for (std::size_t i = 0; i < polled.size(); ++i) {
        if (fds[3 + i].revents != 0) ReadChannel(*polled[i]);
      }
    }
    const TimePoint now = Clock::now();
    if (line_back_at_ && now >= *line_back_at_) OpenNewLine();
    ServeRequests(now);
    ServeChannels(now);
    ReleaseReplies(now);
    FeedStream(now);
    FlushLine(now);
  }
}

}  // namespace notarel::emu
