// Control, setting and identification commands.
#include "device_vocabulary.h"
#include "driver.h"
#include "result_codes.h"

namespace notarel {
namespace {

std::string AfterEcho(const Bytes& reply) { return std::string(reply.begin() + 1, reply.end()); }

}  // namespace

bool TDriver::ControlCommand(std::uint8_t code) {
  return DeviceOperation([&] {
    if (!Exchange({code}) || !CheckReplyLength(MinimumReply(code))) return false;
    const std::uint8_t answer = ReplyData()[0];
    if (answer == kAnswerAck) return true;
    SetResult(answer == kAnswerUnknownCommand ? kResultUnknownCommand : kResultUnknownReply);
    return false;
  });
}

bool TDriver::Ack() {
  std::lock_guard<std::recursive_mutex> hold(DriverLock);
  return SendFrame({kCommandAck});
}

bool TDriver::EchoCommand(const Bytes& command) {
  return ExchangeEcho(command) && CheckReplyLength(MinimumReply(command[0]));
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
    return EchoCommand({kCommandWriteEnabled, inverted, 0x00}) && ReadDenominationReply(true);
  });
}

bool TDriver::ReadEnabledDenominations() {
  return DeviceOperation(
      [&] { return EchoCommand({kCommandReadEnabled}) && ReadDenominationReply(true); });
}

bool TDriver::WriteValidatedDenominations() {
  return DeviceOperation([&] {
    return EchoCommand({kCommandWriteValidated, DenominationMask(), 0x00}) &&
           ReadDenominationReply(false);
  });
}

bool TDriver::ReadValidatedDenominations() {
  return DeviceOperation(
      [&] { return EchoCommand({kCommandReadValidated}) && ReadDenominationReply(false); });
}

bool TDriver::WriteInhibitStatus() { return SendInhibit(InhibitStatus()); }

bool TDriver::SendInhibit(bool inhibit) {
  return DeviceOperation([&] {
    const std::uint8_t flag = inhibit ? 0x01 : 0x00;
    if (!EchoCommand({kCommandWriteInhibit, flag})) return false;
    inhibitStatus_.store(ReplyData()[1] & 1U);
    return true;
  });
}

bool TDriver::ReadInhibitStatus() {
  return DeviceOperation([&] {
    if (!EchoCommand({kCommandReadInhibit})) return false;
    inhibitStatus_.store(ReplyData()[1] & 1U);
    return true;
  });
}

bool TDriver::WriteDirection() {
  return DeviceOperation([&] {
    if (!EchoCommand({kCommandWriteDirection, DirectionValue()})) return false;
    directionValue_.store(ReplyData()[1]);
    return true;
  });
}

bool TDriver::ReadDirection() {
  return DeviceOperation([&] {
    if (!EchoCommand({kCommandReadDirection})) return false;
    directionValue_.store(ReplyData()[1]);
    return true;
  });
}

bool TDriver::WriteOptionalSettings() {
  return DeviceOperation([&] {
    const std::uint16_t value = OptionalSettings();
    const Bytes command{kCommandWriteOptional, static_cast<std::uint8_t>(value >> 8),
                        static_cast<std::uint8_t>(value & 0xFF)};
    return EchoCommand(command) && ReadOptionalSettingsReply();
  });
}

bool TDriver::ReadOptionalSettings() {
  return DeviceOperation(
      [&] { return EchoCommand({kCommandReadOptional}) && ReadOptionalSettingsReply(); });
}

bool TDriver::ReadModelID() {
  return DeviceOperation([&] {
    if (!EchoCommand({kCommandReadModelId})) return false;
    modelId_.Set(AfterEcho(ReplyData()));
    return true;
  });
}

bool TDriver::ReadBootVersion() {
  return DeviceOperation([&] {
    if (!EchoCommand({kCommandReadBootVersion})) return false;
    bootVersion_.Set(AfterEcho(ReplyData()));
    return true;
  });
}

}  // namespace notarel
