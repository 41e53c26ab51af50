// One request frame out, one checked reply frame in.
#include "driver.h"
#include "frame_reader.h"
#include "result_codes.h"

namespace notarel {
namespace {

// A line that streams bytes without ever sending a sync would keep the sync
// search reading while the driver's lock is held. After this many skipped bytes
// (the size of the input queue, far more than any reply) the reply is taken as
// not of this protocol.
constexpr std::size_t kMaxSkippedBeforeSync = 1024;

}  // namespace

bool TDriver::SendFrame(const Bytes& command) {
  input_.Set({});
  output_.Set({});
  const Bytes frame = BuildFrame(command);
  output_.Set(HexDump(frame));
  return WritePort(frame);
}

bool TDriver::ReceiveFrame() {
  replyData_.Set({});
  FrameReader reader(kMaxSkippedBeforeSync);
  std::optional<FrameRead> read;
  // The sync and the length byte one read each, then the rest of the frame in one read.
  while (!read) {
    const std::size_t wanted = reader.Missing();
    Bytes chunk(1);
    if (!reader.LengthKnown()) {
      if (!ReadByte(chunk[0])) return false;  // -1: silence
    } else if (!ReadBytes(wanted, chunk)) {
      return false;  // -8
    }
    for (FrameRead& each : reader.Feed(chunk)) {
      if (each.kind != FrameRead::Kind::kNoise) read = std::move(each);
    }
    // A read that a time-out ended short leaves the frame cut off.
    if (!read && chunk.size() < wanted) read = reader.Silence();
    if (!read && reader.FrameBegun()) input_.Set(HexDump(reader.Partial()));
  }
  if (read->kind == FrameRead::Kind::kGaveUp) {
    SetResult(kResultBadFrame);
    return false;
  }
  // Too short to hold a status byte: the caller's length check reports it.
  if (read->kind == FrameRead::Kind::kTooShort) {
    input_.Set(HexDump(read->bytes));
    return true;
  }
  replyData_.Set(read->Body());
  input_.Set(HexDump(read->bytes));
  // A frame cut short by a silent line ends in data bytes, not a CRC, and fails here.
  if (FrameCrcMatches(read->bytes)) return true;
  SetResult(kResultCrcError);
  return false;
}

bool TDriver::Exchange(const Bytes& command) {
  ClearResult();
  execTime_.store(0);
  const std::uint32_t start = TickCount();
  if (!Purge() || !SendFrame(command) || !ReceiveFrame() || !CheckReplyLength(1)) return false;
  execTime_.store(static_cast<std::int32_t>(TicksSince(start)));
  return true;
}

bool TDriver::ExchangeEcho(const Bytes& command) {
  if (!Exchange(command)) return false;
  if (ReplyData()[0] == command[0]) return true;
  SetResult(kResultBadFrame);
  return false;
}

bool TDriver::CheckReplyLength(std::size_t minimum) {
  if (ReplyData().size() >= minimum) return true;
  SetResult(kResultBadFrame);
  return false;
}

}  // namespace notarel
