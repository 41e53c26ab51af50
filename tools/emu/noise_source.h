#pragma once
// Random line noise that never contains the sync byte, so that it can only
// delay a reader's sync search and never start a false frame.
#include <cstddef>
#include <cstdint>
#include <random>

#include "frame_codec.h"

namespace notarel::emu {

class NoiseSource {
 public:
  explicit NoiseSource(std::uint32_t seed) : rng_(seed) {}

  Bytes Take(std::size_t count);

 private:
  std::mt19937 rng_;
};

}  // namespace notarel::emu
