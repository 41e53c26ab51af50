#include "request_reader.h"

#include <utility>

namespace notarel::emu {
namespace {

constexpr std::size_t kMinRequestLength = 5;

}  // namespace

Bytes RequestEvent::Body() const {
  if (bytes.size() < kFrameOverhead) return {};
  return Bytes(bytes.begin() + 2, bytes.end() - 2);
}

std::vector<RequestEvent> RequestReader::Feed(const Bytes& bytes, Clock::time_point now) {
  std::vector<RequestEvent> events;
  if (bytes.empty()) return events;
  if (!partial_.empty() && now - last_byte_ > kInterByteTimeout) {
    events.push_back({RequestEvent::Kind::kIncomplete, std::move(partial_)});
    partial_.clear();
  }
  last_byte_ = now;
  for (std::uint8_t b : bytes) Take(b, events);
  if (!noise_.empty()) {
    events.push_back({RequestEvent::Kind::kNoise, std::move(noise_)});
    noise_.clear();
  }
  return events;
}

void RequestReader::Take(std::uint8_t byte, std::vector<RequestEvent>& events) {
  if (partial_.empty()) {
    if (byte != kFrameSync) {
      noise_.push_back(byte);
      return;
    }
    if (!noise_.empty()) {
      events.push_back({RequestEvent::Kind::kNoise, std::move(noise_)});
      noise_.clear();
    }
  }
  partial_.push_back(byte);
  if (partial_.size() < 2) return;
  const std::size_t length = partial_[1];
  if (length < kMinRequestLength) {
    events.push_back({RequestEvent::Kind::kShortLength, std::move(partial_)});
    partial_.clear();
    return;
  }
  if (partial_.size() < length) return;
  const auto kind = FrameCrcMatches(partial_) ? RequestEvent::Kind::kFrame : RequestEvent::Kind::kBadCrc;
  events.push_back({kind, std::move(partial_)});
  partial_.clear();
}

}  // namespace notarel::emu
