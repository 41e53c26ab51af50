#pragma once
// What happens to the next reply on its way to the line. Faults are queued by
// the control side and all apply, in the order given, to the next reply the
// device sends; a request that gets no reply (the host's ACK) leaves them waiting.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "frame_codec.h"
#include "noise_source.h"

namespace notarel::emu {

enum class FaultKind {
  kGarbage,   // count noise bytes in front of the frame
  kCorrupt,   // one bit of the CRC flipped
  kSwapCrc,   // the two CRC bytes exchanged
  kTruncate,  // only the first count bytes of the frame
  kRaw,       // the frame replaced by bytes, sent as they are
  kReply,     // the frame replaced by a correct frame around the body bytes
  kTrailing,  // bytes appended after the frame
};

struct Fault {
  FaultKind kind = FaultKind::kCorrupt;
  std::size_t count = 0;
  Bytes bytes;
};

// The bytes for the line and, for each fault applied, a text for the log and its kind.
struct ShapedReply {
  Bytes bytes;
  std::vector<std::string> applied;
  std::vector<FaultKind> kinds;
};

// Whether a host that skips everything before the sync byte reads `frame`
// whole from `sent`: noise in front (which never holds the sync) and bytes
// after the frame leave it readable; a changed or shortened frame does not.
bool ReachesHostIntact(const Bytes& sent, const Bytes& frame);

class FaultInjector {
 public:
  explicit FaultInjector(std::uint32_t seed) : noise_(seed) {}

  void Add(Fault fault) { pending_.push_back(std::move(fault)); }
  bool HasPending() const { return !pending_.empty(); }
  void ClearPending() { pending_.clear(); }

  // Applies every pending fault to the frame the device would send, then forgets them.
  ShapedReply Shape(const Bytes& frame);

  // Noise for a streaming line, from the same seeded source as the garbage prefixes.
  Bytes Noise(std::size_t count) { return noise_.Take(count); }

 private:
  std::vector<Fault> pending_;
  NoiseSource noise_;
};

}  // namespace notarel::emu
