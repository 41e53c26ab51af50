// The device link: one request frame out, one checked reply frame in, and the
// acceptor's commands on top of that exchange.
#include "device_link.h"

#include "result_codes.h"
#include "status_tables.h"

namespace notarel {
namespace {

// A line that streams bytes without ever sending a sync would keep the sync
// search reading while the driver's lock is held. After this many skipped bytes
// (the size of the input queue, far more than any reply) the reply is taken as
// not of this protocol.
constexpr std::size_t kMaxSkippedBeforeSync = 1024;

constexpr std::uint8_t kAckByte = 0x50;

std::string HexByte(std::uint8_t value) { return HexDump(&value, 1); }

std::string AfterEcho(const Bytes& reply) { return std::string(reply.begin() + 1, reply.end()); }

bool CarriesData(std::uint8_t status) {
  return status == kStatusEscrow || status == kStatusRejecting || status == kStatusFailure;
}

}  // namespace

bool TDeviceLink::SendFrame(const Bytes& command) {
  input_.Set({});
  output_.Set({});
  const Bytes frame = BuildFrame(command);
  output_.Set(HexDump(frame));
  return WritePort(frame);
}

bool TDeviceLink::ReceiveSync() {
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

bool TDeviceLink::ReceiveFrame() {
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
  if (!Exchange({code}) || !CheckReplyLength(1)) return false;
  const std::uint8_t answer = ReplyData()[0];
  if (answer == kAckByte) return true;
  SetResult(answer == kResultUnknownCommand ? kResultUnknownCommand : kResultUnknownReply);
  return false;
}

bool TDeviceLink::SendAck() { return SendFrame({kAckByte}); }

bool TDeviceLink::EchoCommand(const Bytes& command, std::size_t minimumReply) {
  return ExchangeEcho(command) && CheckReplyLength(minimumReply);
}

bool TDeviceLink::ByteSetting(const Bytes& command, std::uint8_t& value) {
  if (!EchoCommand(command, 2)) return false;
  value = ReplyData()[1];
  return true;
}

bool TDeviceLink::WordSetting(const Bytes& command, std::uint16_t& value) {
  if (!EchoCommand(command, 3)) return false;
  const Bytes reply = ReplyData();
  value = static_cast<std::uint16_t>(reply[1] * 256 + reply[2]);
  return true;
}

bool TDeviceLink::TextSetting(std::uint8_t command, std::string& text) {
  if (!EchoCommand({command}, 1)) return false;
  text = AfterEcho(ReplyData());
  return true;
}

// The enabled mask travels inverted (a set bit disables), the validated mask as it is.
bool TDeviceLink::WriteEnabledMask(std::uint8_t mask, std::uint8_t& echo) {
  const auto inverted = static_cast<std::uint8_t>(~mask);
  if (!EchoCommand({0xC0, inverted, 0x00}, 3)) return false;
  echo = static_cast<std::uint8_t>(~ReplyData()[1]);
  return true;
}

bool TDeviceLink::ReadEnabledMask(std::uint8_t& mask) {
  if (!EchoCommand({0x80}, 3)) return false;
  mask = static_cast<std::uint8_t>(~ReplyData()[1]);
  return true;
}

bool TDeviceLink::WriteValidatedMask(std::uint8_t mask, std::uint8_t& echo) {
  if (!EchoCommand({0xC1, mask, 0x00}, 3)) return false;
  echo = ReplyData()[1];
  return true;
}

bool TDeviceLink::ReadValidatedMask(std::uint8_t& mask) {
  if (!EchoCommand({0x81}, 3)) return false;
  mask = ReplyData()[1];
  return true;
}

bool TDeviceLink::WriteInhibit(bool inhibit, bool& echo) {
  const std::uint8_t flag = inhibit ? 0x01 : 0x00;
  std::uint8_t reply = 0;
  if (!ByteSetting({0xC3, flag}, reply)) return false;
  echo = reply & 1U;
  return true;
}

bool TDeviceLink::ReadInhibit(bool& inhibit) {
  std::uint8_t reply = 0;
  if (!ByteSetting({0x83}, reply)) return false;
  inhibit = reply & 1U;
  return true;
}

bool TDeviceLink::WriteDirection(std::uint8_t direction, std::uint8_t& echo) {
  return ByteSetting({0xC4, direction}, echo);
}

bool TDeviceLink::ReadDirection(std::uint8_t& direction) {
  return ByteSetting({0x84}, direction);
}

bool TDeviceLink::WriteOptionalSettings(std::uint16_t settings, std::uint16_t& echo) {
  const Bytes command{0xC5, static_cast<std::uint8_t>(settings >> 8),
                      static_cast<std::uint8_t>(settings & 0xFF)};
  return WordSetting(command, echo);
}

bool TDeviceLink::ReadOptionalSettings(std::uint16_t& settings) {
  return WordSetting({0x85}, settings);
}

bool TDeviceLink::ReadModelID(std::string& model) { return TextSetting(0x88, model); }

bool TDeviceLink::ReadBootVersion(std::string& version) { return TextSetting(0x89, version); }

bool TDeviceLink::ReadStatus(TStatusReply& reply) {
  if (!Exchange({0x11})) return false;
  const Bytes data = ReplyData();
  reply.status = data[0];
  reply.data = 0;
  reply.complete = true;
  if (!CarriesData(reply.status)) return true;
  // A missing data byte is taken as 0; the result is then -6.
  reply.complete = CheckReplyLength(2);
  if (reply.complete) reply.data = data[1];
  return true;
}

}  // namespace notarel
