#include "noise_source.h"

namespace notarel::emu {

Bytes NoiseSource::Take(std::size_t count) {
  // 255 possible values: every byte but the sync, which the draw skips over.
  std::uniform_int_distribution<unsigned> draw(0, 254);
  Bytes bytes(count);
  for (auto& b : bytes) {
    unsigned v = draw(rng_);
    if (v >= kFrameSync) ++v;
    b = static_cast<std::uint8_t>(v);
  }
  return bytes;
}

}  // namespace notarel::emu
