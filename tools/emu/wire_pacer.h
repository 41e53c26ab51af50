#pragma once
// Emulated wire time: at a set baud rate each byte takes 11 bit times (start,
// 8 data, parity, stop) to cross the line, in both directions. A byte is handed
// on only when its last bit would have arrived. At baud 0 pacing is off and
// every byte passes at once. Pure: the caller passes the time.
#include <chrono>
#include <cstddef>
#include <deque>
#include <optional>
#include <utility>

#include "frame_codec.h"

namespace notarel::emu {

class WirePacer {
 public:
  using Clock = std::chrono::steady_clock;
  using TimePoint = Clock::time_point;

  static constexpr unsigned kBitsPerByte = 11;

  void SetBaud(unsigned baud) { baud_ = baud; }
  unsigned Baud() const { return baud_; }
  Clock::duration ByteTime() const;

  // Host to device: bytes read from the line count as received when due.
  void Receive(const Bytes& bytes, TimePoint now) { in_.Push(bytes, now, ByteTime()); }
  Bytes TakeReceived(TimePoint now) { return in_.Take(now); }

  // Device to host: bytes may be written to the line when due.
  void Send(const Bytes& bytes, TimePoint now) { out_.Push(bytes, now, ByteTime()); }
  Bytes TakeSendable(TimePoint now) { return out_.Take(now); }
  std::size_t SendBacklog() const { return out_.queue.size(); }
  // Forgets the bytes not yet sent, as if they had never been queued.
  void DropSend() { out_ = Lane{}; }

  // When the next byte of either direction falls due; nothing when both are empty.
  std::optional<TimePoint> NextDue() const;

  void Clear();

 private:
  struct Lane {
    std::deque<std::pair<std::uint8_t, TimePoint>> queue;
    TimePoint line_free{};  // when the last queued byte has crossed

    void Push(const Bytes& bytes, TimePoint now, Clock::duration byte_time);
    Bytes Take(TimePoint now);
  };

  unsigned baud_ = 0;
  Lane in_;
  Lane out_;
};

}  // namespace notarel::emu
