// Control, setting and identification commands.
#include "driver.h"
#include "result_codes.h"

namespace notarel {
namespace {

constexpr std::uint8_t kAckByte = 0x50;

std::string AfterEcho(const Bytes& reply) { return std::string(reply.begin() + 1, reply.end()); }

}  // namespace

bool TDriver::ControlCommand(std::uint8_t code) {
  return DeviceOperation([&] {
    if (!Exchange({code}) || !CheckReplyLength(1)) return false;
    const std::uint8_t answer = ReplyData()[0];
    if (answer == kAckByte) return true;
    SetResult(answer == kResultUnknownCommand ? kResultUnknownCommand : kResultUnknownReply);
    return false;
  });
}

bool TDriver::Ack() {
  std::lock_guard<std::recursive_mutex> hold(DriverLock);
  return SendFrame({kAckByte});
}

bool TDriver::EchoCommand(const Bytes& command, std::size_t minimumReply) {
  return ExchangeEcho(command) && CheckReplyLength(minimumReply);
}

// The enabled mask travels inverted (a set bit disables), the validated mask as it is.
bool TDriver::ReadDenominationReply(bool inverted) {
  const std::uint8_t byte = ReplyData()[1];
  denominationMask_.store(inverted ? static_cast<std::uint8_t>(~byte) : byte);
  return true;
}

// The word travels high byte first.
bool TDriver::ReadOptionalSettingsReply() {
  const Bytes reply = ReplyData();
  optionalSettings_.store(static_cast<std::uint16_t>(reply[1] * 256 + reply[2]));
  return true;
}

bool TDriver::WriteEnabledDenominations() { return SendEnabledMask(DenominationMask()); }

bool TDriver::SendEnabledMask(std::uint8_t mask) {
  return DeviceOperation([&] {
    const auto inverted = static_cast<std::uint8_t>(~mask);
    return EchoCommand({0xC0, inverted, 0x00}, 3) && ReadDenominationReply(true);
  });
}

bool TDriver::ReadEnabledDenominations() {
  return DeviceOperation([&] { return EchoCommand({0x80}, 3) && ReadDenominationReply(true); });
}

bool TDriver::WriteValidatedDenominations() {
  return DeviceOperation([&] {
    return EchoCommand({0xC1, DenominationMask(), 0x00}, 3) && ReadDenominationReply(false);
  });
}

bool TDriver::ReadValidatedDenominations() {
  return DeviceOperation([&] { return EchoCommand({0x81}, 3) && ReadDenominationReply(false); });
}

bool TDriver::WriteInhibitStatus() { return SendInhibit(InhibitStatus()); }

bool TDriver::SendInhibit(bool inhibit) {
  return DeviceOperation([&] {
    const std::uint8_t flag = inhibit ? 0x01 : 0x00;
    if (!EchoCommand({0xC3, flag}, 2)) return false;
    inhibitStatus_.store(ReplyData()[1] & 1U);
    return true;
  });
}

bool TDriver::ReadInhibitStatus() {
  return DeviceOperation([&] {
    if (!EchoCommand({0x83}, 2)) return false;
    inhibitStatus_.store(ReplyData()[1] & 1U);
    return true;
  });
}

bool TDriver::WriteDirection() {
  return DeviceOperation([&] {
    if (!EchoCommand({0xC4, DirectionValue()}, 2)) return false;
    directionValue_.store(ReplyData()[1]);
    return true;
  });
}

bool TDriver::ReadDirection() {
  return DeviceOperation([&] {
    if (!EchoCommand({0x84}, 2)) return false;
    directionValue_.store(ReplyData()[1]);
    return true;
  });
}

bool TDriver::WriteOptionalSettings() {
  return DeviceOperation([&] {
    const std::uint16_t value = OptionalSettings();
    const Bytes command{0xC5, static_cast<std::uint8_t>(value >> 8),
                        static_cast<std::uint8_t>(value & 0xFF)};
    return EchoCommand(command, 3) && ReadOptionalSettingsReply();
  });
}

bool TDriver::ReadOptionalSettings() {
  return DeviceOperation([&] {
    return EchoCommand({0x85}, 3) && ReadOptionalSettingsReply();
  });
}

bool TDriver::ReadModelID() {
  return DeviceOperation([&] {
    if (!EchoCommand({0x88}, 1)) return false;
    modelId_.Set(AfterEcho(ReplyData()));
    return true;
  });
}

bool TDriver::ReadBootVersion() {
  return DeviceOperation([&] {
    if (!EchoCommand({0x89}, 1)) return false;
    bootVersion_.Set(AfterEcho(ReplyData()));
    return true;
  });
}

}  // namespace notarel
