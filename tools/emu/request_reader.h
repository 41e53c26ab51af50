#pragma once
// Cuts the bytes arriving from the host into request frames with the shared
// frame reader, and decides when the host has paused long enough that a frame
// it began is abandoned. The caller passes the time at which the bytes count
// as received.
#include <chrono>
#include <vector>

#include "frame_reader.h"

namespace notarel::emu {

class RequestReader {
 public:
  using Clock = std::chrono::steady_clock;

  // A frame whose next byte is this late is abandoned: the host gave up on it,
  // and its remainder must not swallow the next request.
  static constexpr std::chrono::milliseconds kInterByteTimeout{100};

  // The outcomes in order; the noise of each call is reported by that call.
  // The device keeps hunting for a sync however long the noise goes on.
  std::vector<FrameRead> Feed(const Bytes& bytes, Clock::time_point now);
  void Reset() { frames_.Reset(); }

 private:
  FrameReader frames_;
  Clock::time_point last_byte_{};
};

}  // namespace notarel::emu
