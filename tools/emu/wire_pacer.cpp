#include "wire_pacer.h"

#include <algorithm>

namespace notarel::emu {

WirePacer::Clock::duration WirePacer::ByteTime() const {
  if (baud_ == 0) return Clock::duration::zero();
  const std::chrono::nanoseconds byte_time{1'000'000'000LL * kBitsPerByte / baud_};
  return std::chrono::duration_cast<Clock::duration>(byte_time);
}

void WirePacer::Lane::Push(const Bytes& bytes, TimePoint now, Clock::duration byte_time) {
  // A byte starts when the line is free, which may be now or after the bytes still queued.
  TimePoint at = std::max(now, line_free);
  for (std::uint8_t b : bytes) {
    at += byte_time;
    queue.emplace_back(b, at);
  }
  line_free = at;
}

Bytes WirePacer::Lane::Take(TimePoint now) {
  Bytes due;
  while (!queue.empty() && queue.front().second <= now) {
    due.push_back(queue.front().first);
    queue.pop_front();
  }
  return due;
}

std::optional<WirePacer::TimePoint> WirePacer::NextDue() const {
  std::optional<TimePoint> next;
  for (const Lane* lane : {&in_, &out_}) {
    if (lane->queue.empty()) continue;
    const TimePoint t = lane->queue.front().second;
    if (!next || t < *next) next = t;
  }
  return next;
}

void WirePacer::Clear() {
  in_ = Lane{};
  out_ = Lane{};
}

}  // namespace notarel::emu
