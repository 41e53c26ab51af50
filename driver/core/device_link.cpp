// The device link: one request frame out, one checked reply frame in, and the
// acceptor's commands on top of that exchange.
#include "device_link.h"

#include "device_vocabulary.h"
#include "frame_reader.h"
#include "result_codes.h"

namespace notarel {
namespace {

// A line that streams bytes without ever sending a sync would keep the sync
// search reading while the driver's lock is held. After this many skipped bytes
// (the size of the input queue, far more than any reply) the reply is taken as
// not of this protocol.
constexpr std::size_t kMaxSkippedBeforeSync = 1024;

std::string AfterEcho(const Bytes& reply) { return std::string(reply.begin() + 1, reply.end()); }

}  // namespace

bool TDeviceLink::SendFrame(const Bytes& command) {
  input_.Set({});
  output_.Set({});
  const Bytes frame = BuildFrame(command);
  output_.Set(HexDump(frame));
  return WritePort(frame);
}

bool TDeviceLink::ReceiveFrame() {
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
  // A frame cut short by a silent line ends in data bytes, not a CRC, and fails
  // here even when those two bytes happen to match the CRC of the rest.
  if (read->kind == FrameRead::Kind::kFrame) return true;
  SetResult(kResultCrcError);
  return false;
}

bool TDeviceLink::Exchange(const Bytes& command) {
  ClearResult();
  execTime_.store(0);
  const std::uint32_t start = TickCount();
  if (!Purge() || !SendFrame(command) || !ReceiveFrame() || !CheckReplyLength(1)) return false;
  execTime_.store(static_cast<std::int32_t>(TicksSince(start)));
  return true;
}

bool TDeviceLink::ExchangeEcho(const Bytes& command) {
  if (!Exchange(command)) return false;
  if (ReplyData()[0] == command[0]) return true;
  SetResult(kResultBadFrame);
  return false;
}

bool TDeviceLink::CheckReplyLength(std::size_t minimum) {
  if (ReplyData().size() >= minimum) return true;
  SetResult(kResultBadFrame);
  return false;
}

bool TDeviceLink::Control(std::uint8_t code) {
  if (!Exchange({code}) || !CheckReplyLength(MinimumReply(code))) return false;
  const std::uint8_t answer = ReplyData()[0];
  if (answer == kAnswerAck) return true;
  SetResult(answer == kAnswerUnknownCommand ? kResultUnknownCommand : kResultUnknownReply);
  return false;
}

bool TDeviceLink::SendAck() { return SendFrame({kCommandAck}); }

bool TDeviceLink::EchoCommand(const Bytes& command) {
  return ExchangeEcho(command) && CheckReplyLength(MinimumReply(command[0]));
}

bool TDeviceLink::ByteSetting(const Bytes& command, std::uint8_t& value) {
  if (!EchoCommand(command)) return false;
  value = ReplyData()[1];
  return true;
}

bool TDeviceLink::WordSetting(const Bytes& command, std::uint16_t& value) {
  if (!EchoCommand(command)) return false;
  const Bytes reply = ReplyData();
  value = static_cast<std::uint16_t>(reply[1] * 256 + reply[2]);
  return true;
}

bool TDeviceLink::TextSetting(std::uint8_t command, std::string& text) {
  if (!EchoCommand({command})) return false;
  text = AfterEcho(ReplyData());
  return true;
}

// The enabled mask travels inverted (a set bit disables), the validated mask as it is.
bool TDeviceLink::WriteEnabledMask(std::uint8_t mask, std::uint8_t& echo) {
  const auto inverted = static_cast<std::uint8_t>(~mask);
  if (!EchoCommand({kCommandWriteEnabled, inverted, 0x00})) return false;
  echo = static_cast<std::uint8_t>(~ReplyData()[1]);
  return true;
}

bool TDeviceLink::ReadEnabledMask(std::uint8_t& mask) {
  if (!EchoCommand({kCommandReadEnabled})) return false;
  mask = static_cast<std::uint8_t>(~ReplyData()[1]);
  return true;
}

bool TDeviceLink::WriteValidatedMask(std::uint8_t mask, std::uint8_t& echo) {
  if (!EchoCommand({kCommandWriteValidated, mask, 0x00})) return false;
  echo = ReplyData()[1];
  return true;
}

bool TDeviceLink::ReadValidatedMask(std::uint8_t& mask) {
  if (!EchoCommand({kCommandReadValidated})) return false;
  mask = ReplyData()[1];
  return true;
}

bool TDeviceLink::WriteInhibit(bool inhibit, bool& echo) {
  const std::uint8_t flag = inhibit ? 0x01 : 0x00;
  std::uint8_t reply = 0;
  if (!ByteSetting({kCommandWriteInhibit, flag}, reply)) return false;
  echo = reply & 1U;
  return true;
}

bool TDeviceLink::ReadInhibit(bool& inhibit) {
  std::uint8_t reply = 0;
  if (!ByteSetting({kCommandReadInhibit}, reply)) return false;
  inhibit = reply & 1U;
  return true;
}

bool TDeviceLink::WriteDirection(std::uint8_t direction, std::uint8_t& echo) {
  return ByteSetting({kCommandWriteDirection, direction}, echo);
}

bool TDeviceLink::ReadDirection(std::uint8_t& direction) {
  return ByteSetting({kCommandReadDirection}, direction);
}

bool TDeviceLink::WriteOptionalSettings(std::uint16_t settings, std::uint16_t& echo) {
  const Bytes command{kCommandWriteOptional, static_cast<std::uint8_t>(settings >> 8),
                      static_cast<std::uint8_t>(settings & 0xFF)};
  return WordSetting(command, echo);
}

bool TDeviceLink::ReadOptionalSettings(std::uint16_t& settings) {
  return WordSetting({kCommandReadOptional}, settings);
}

bool TDeviceLink::ReadModelID(std::string& model) { return TextSetting(kCommandReadModelId, model); }

bool TDeviceLink::ReadBootVersion(std::string& version) { return TextSetting(kCommandReadBootVersion, version); }

bool TDeviceLink::ReadStatus(TStatusReply& reply) {
  if (!Exchange({kCommandStatusRequest})) return false;
  const Bytes data = ReplyData();
  reply.status = data[0];
  reply.data = 0;
  reply.complete = true;
  if (!StatusCarriesData(reply.status)) return true;
  // A missing data byte is taken as 0; the result is then -6.
  reply.complete = CheckReplyLength(kStatusReplyWithData);
  if (reply.complete) reply.data = data[1];
  return true;
}

}  // namespace notarel
