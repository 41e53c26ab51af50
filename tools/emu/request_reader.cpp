#include "request_reader.h"

#include <utility>

namespace notarel::emu {

std::vector<FrameRead> RequestReader::Feed(const Bytes& bytes, Clock::time_point now) {
  std::vector<FrameRead> events;
  if (bytes.empty()) return events;
  if (frames_.FrameBegun() && now - last_byte_ > kInterByteTimeout) {
    if (auto cut = frames_.Silence()) events.push_back(std::move(*cut));
  }
  last_byte_ = now;
  for (FrameRead& read : frames_.Feed(bytes)) events.push_back(std::move(read));
  if (auto noise = frames_.TakeNoise()) events.push_back(std::move(*noise));
  return events;
}

}  // namespace notarel::emu
