#include "fault_injector.h"

#include <algorithm>
#include <utility>

namespace notarel::emu {

bool ReachesHostIntact(const Bytes& sent, const Bytes& frame) {
  const auto sync = std::find(sent.begin(), sent.end(), kFrameSync);
  if (static_cast<std::size_t>(sent.end() - sync) < frame.size()) return false;
  return std::equal(frame.begin(), frame.end(), sync);
}

ShapedReply FaultInjector::Shape(const Bytes& frame) {
  Bytes prefix;
  Bytes body = frame;
  Bytes suffix;
  std::vector<std::string> applied;
  std::vector<FaultKind> kinds;
  for (const Fault& fault : pending_) {
    kinds.push_back(fault.kind);
    switch (fault.kind) {
      case FaultKind::kGarbage: {
        const Bytes noise = noise_.Take(fault.count);
        prefix.insert(prefix.end(), noise.begin(), noise.end());
        applied.push_back("garbage " + HexDump(noise));
        break;
      }
      case FaultKind::kCorrupt:
        // The low bit of the high CRC byte: the frame stays the same length.
        if (body.size() >= 2) body[body.size() - 1] ^= 0x01;
        applied.push_back("corrupt CRC");
        break;
      case FaultKind::kSwapCrc:
        if (body.size() >= 2) std::swap(body[body.size() - 2], body[body.size() - 1]);
        applied.push_back("swapped CRC");
        break;
      case FaultKind::kTruncate:
        if (body.size() > fault.count) body.resize(fault.count);
        applied.push_back("truncate to " + std::to_string(fault.count) + " bytes");
        break;
      case FaultKind::kRaw:
        body = fault.bytes;
        applied.push_back("raw " + HexDump(fault.bytes));
        break;
      case FaultKind::kReply:
        body = BuildFrame(fault.bytes);
        applied.push_back("reply " + HexDump(fault.bytes));
        break;
      case FaultKind::kTrailing:
        suffix.insert(suffix.end(), fault.bytes.begin(), fault.bytes.end());
        applied.push_back("trailing " + HexDump(fault.bytes));
        break;
    }
  }
  pending_.clear();
  ShapedReply shaped;
  shaped.bytes = std::move(prefix);
  shaped.bytes.insert(shaped.bytes.end(), body.begin(), body.end());
  shaped.bytes.insert(shaped.bytes.end(), suffix.begin(), suffix.end());
  shaped.applied = std::move(applied);
  shaped.kinds = std::move(kinds);
  return shaped;
}

}  // namespace notarel::emu
