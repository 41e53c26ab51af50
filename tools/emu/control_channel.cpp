#include "control_channel.h"

namespace notarel::emu {

void ControlChannel::Append(const char* data, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == '\n' || partial_.size() >= kMaxLine) {
      lines_.push_back(std::move(partial_));
      partial_.clear();
      if (data[i] == '\n') continue;
    }
    partial_ += data[i];
  }
}

void ControlChannel::EndOfInput() {
  if (!partial_.empty()) lines_.push_back(std::move(partial_));
  partial_.clear();
  ended_ = true;
}

bool ControlChannel::NextLine(std::string& line) {
  if (sleep_until_ || lines_.empty()) return false;
  line = std::move(lines_.front());
  lines_.pop_front();
  return true;
}

bool ControlChannel::Wake(Clock::time_point now) {
  if (!sleep_until_ || now < *sleep_until_) return false;
  sleep_until_.reset();
  return true;
}

}  // namespace notarel::emu
