#pragma once
// Cuts the bytes arriving from the host into request frames: find the sync,
// read the length, read the rest, check the CRC. Pure: the caller passes the
// time at which the bytes count as received.
#include <chrono>
#include <vector>

#include "frame_codec.h"

namespace notarel::emu {

struct RequestEvent {
  enum class Kind {
    kFrame,       // a whole frame with a matching CRC
    kBadCrc,      // a whole frame whose CRC does not match
    kShortLength, // sync and a length byte under 5, dropped
    kNoise,       // bytes before a sync, dropped
    kIncomplete,  // a frame begun but cut off by a pause, dropped
  };
  Kind kind;
  Bytes bytes;  // the frame, or the dropped bytes

  // The command byte and its data: the frame without sync, length and CRC.
  Bytes Body() const;
};

class RequestReader {
 public:
  using Clock = std::chrono::steady_clock;

  // A frame whose next byte is this late is abandoned: the host gave up on it,
  // and its remainder must not swallow the next request.
  static constexpr std::chrono::milliseconds kInterByteTimeout{100};

  std::vector<RequestEvent> Feed(const Bytes& bytes, Clock::time_point now);
  void Reset() { partial_.clear(); }

 private:
  void Take(std::uint8_t byte, std::vector<RequestEvent>& events);

  Bytes noise_;
  Bytes partial_;  // from the sync on
  Clock::time_point last_byte_{};
};

}  // namespace notarel::emu
