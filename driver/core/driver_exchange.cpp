// One request frame out, one checked reply frame in.
#include "driver.h"
#include "result_codes.h"

namespace notarel {
namespace {

// A line that streams bytes without ever sending a sync would keep the sync
// search reading while the driver's lock is held. After this many skipped bytes
// (the size of the input queue, far more than any reply) the reply is taken as
// not of this protocol.
constexpr std::size_t kMaxSkippedBeforeSync = 1024;

std::string HexByte(std::uint8_t value) { return HexDump(&value, 1); }

}  // namespace

bool TDriver::SendFrame(const Bytes& command) {
  input_.Set({});
  output_.Set({});
  const Bytes frame = BuildFrame(command);
  output_.Set(HexDump(frame));
  return WritePort(frame);
}

bool TDriver::ReceiveSync() {
  std::uint8_t byte = 0;
  for (std::size_t skipped = 0;; ++skipped) {
    if (!ReadByte(byte)) return false;  // -1: silence
    if (byte == kFrameSync) return true;
    if (skipped == kMaxSkippedBeforeSync) {
      SetResult(kResultBadFrame);
      return false;
    }
  }
}

bool TDriver::ReceiveFrame() {
  replyData_.Set({});
  if (!ReceiveSync()) return false;
  input_.Set("FC");
  std::uint8_t length = 0;
  if (!ReadByte(length)) return false;
  input_.Set("FC " + HexByte(length));
  // Too short to hold a status byte: the caller's length check reports it.
  if (length <= kFrameOverhead) return true;

  Bytes rest;
  if (!ReadBytes(length - 2U, rest)) return false;
  Bytes frame;
  frame.reserve(rest.size() + 2);
  frame.push_back(kFrameSync);
  frame.push_back(length);
  for (std::uint8_t byte : rest) frame.push_back(byte);
  if (rest.size() >= 2) rest.resize(rest.size() - 2);
  else rest.clear();
  replyData_.Set(std::move(rest));
  input_.Set(HexDump(frame));
  // A frame cut short by a silent line ends in data bytes, not a CRC, and fails here.
  if (FrameCrcMatches(frame)) return true;
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
