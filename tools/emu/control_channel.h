#pragma once
// One source of control commands (standard input, a TCP client or a script
// file): splits its bytes into lines and holds back further lines while a
// `sleep` of that source runs. Other sources and the serial side carry on.
#include <chrono>
#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <utility>

namespace notarel::emu {

class ControlChannel {
 public:
  using Clock = std::chrono::steady_clock;
  enum class Kind { kStdin, kTcp, kScript };

  ControlChannel(Kind kind, int fd, std::string name) : kind_(kind), fd_(fd), name_(std::move(name)) {}

  Kind kind() const { return kind_; }
  int fd() const { return fd_; }
  const std::string& name() const { return name_; }

  // Bytes as they arrive; complete lines are queued, the rest waits for its newline.
  void Append(const char* data, std::size_t size);
  // No more bytes will come; an unterminated last line still counts.
  void EndOfInput();
  bool InputEnded() const { return ended_; }
  // Input ended, nothing queued and no sleep running: the source is done.
  bool Finished() const { return ended_ && lines_.empty() && !sleep_until_; }

  // The next queued line, unless a sleep is running.
  bool NextLine(std::string& line);

  void SleepUntil(Clock::time_point until) { sleep_until_ = until; }
  // True once, at the first call after a running sleep has ended.
  bool Wake(Clock::time_point now);
  std::optional<Clock::time_point> WakeAt() const { return sleep_until_; }

 private:
  // Longer lines are cut so that a source without newlines cannot grow memory without bound.
  static constexpr std::size_t kMaxLine = 4096;

  Kind kind_;
  int fd_;
  std::string name_;
  std::string partial_;
  std::deque<std::string> lines_;
  std::optional<Clock::time_point> sleep_until_;
  bool ended_ = false;
};

}  // namespace notarel::emu
