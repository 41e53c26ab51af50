#pragma once
// The acceptor's vocabulary: the command bytes the host sends, the status and
// answer bytes the device replies with, and for each command the kind and the
// least length of the reply the host accepts. The driver and the device
// emulator both read the two sides of the conversation from here, so adding a
// command is one row in the table below plus the code on each side.
#include <cstddef>
#include <cstdint>

namespace notarel {

enum CommandByte : std::uint8_t {
  kCommandStatusRequest = 0x11,
  kCommandReset = 0x40,
  kCommandStack1 = 0x41,
  kCommandStack2 = 0x42,
  kCommandReturn = 0x43,
  kCommandHold = 0x44,
  kCommandWait = 0x45,
  kCommandAck = 0x50,
  kCommandReadEnabled = 0x80,
  kCommandReadValidated = 0x81,
  kCommandReadInhibit = 0x83,
  kCommandReadDirection = 0x84,
  kCommandReadOptional = 0x85,
  kCommandReadModelId = 0x88,
  kCommandReadBootVersion = 0x89,
  kCommandWriteEnabled = 0xC0,
  kCommandWriteValidated = 0xC1,
  kCommandWriteInhibit = 0xC3,
  kCommandWriteDirection = 0xC4,
  kCommandWriteOptional = 0xC5,
};

// The first byte of the reply to a status request.
enum StatusByte : std::uint8_t {
  kStatusEnable = 0x11,
  kStatusAccepting = 0x12,
  kStatusEscrow = 0x13,
  kStatusStacking = 0x14,
  kStatusVendValid = 0x15,
  kStatusStacked = 0x16,
  kStatusRejecting = 0x17,
  kStatusReturning = 0x18,
  kStatusHolding = 0x19,
  kStatusInhibit = 0x1A,
  kStatusInitialize = 0x1B,
  kStatusPowerUp = 0x40,
  kStatusPowerUpBillInAcceptor = 0x41,
  kStatusPowerUpBillInStacker = 0x42,
  kStatusStackerFull = 0x43,
  kStatusStackerOpen = 0x44,
  kStatusJamInAcceptor = 0x45,
  kStatusJamInStacker = 0x46,
  kStatusPause = 0x47,
  kStatusCheated = 0x48,
  kStatusFailure = 0x49,
  kStatusCommunicationError = 0x4A,
};

// The answers to a control command.
enum AnswerByte : std::uint8_t {
  kAnswerAck = 0x50,
  // Also the whole reply to any command byte the device does not know.
  kAnswerUnknownCommand = 0x4B,
};

enum class ReplyKind : std::uint8_t {
  kNone,         // the device does not answer (the host's ACK)
  kAcknowledge,  // one answer byte: ACK, or the unknown-command byte
  kEcho,         // the command byte again, then the data
  kStatus,       // a status byte, then a data byte for the statuses that carry one
};

struct CommandRow {
  CommandByte code;
  const char* member;  // the automation member that sends it
  ReplyKind reply;
  // Reply bytes the host needs before it decodes (echo or status byte included).
  std::size_t minimumReply;
};

// Every command the device knows, in ascending code.
inline constexpr CommandRow kCommandTable[] = {
    {kCommandStatusRequest, "ReadStatus", ReplyKind::kStatus, 1},
    {kCommandReset, "Reset", ReplyKind::kAcknowledge, 1},
    {kCommandStack1, "Stack1", ReplyKind::kAcknowledge, 1},
    {kCommandStack2, "Stack2", ReplyKind::kAcknowledge, 1},
    {kCommandReturn, "Return", ReplyKind::kAcknowledge, 1},
    {kCommandHold, "Hold", ReplyKind::kAcknowledge, 1},
    {kCommandWait, "Wait", ReplyKind::kAcknowledge, 1},
    {kCommandAck, "Ack", ReplyKind::kNone, 0},
    {kCommandReadEnabled, "ReadEnabledDenominations", ReplyKind::kEcho, 3},
    {kCommandReadValidated, "ReadValidatedDenominations", ReplyKind::kEcho, 3},
    {kCommandReadInhibit, "ReadInhibitStatus", ReplyKind::kEcho, 2},
    {kCommandReadDirection, "ReadDirection", ReplyKind::kEcho, 2},
    {kCommandReadOptional, "ReadOptionalSettings", ReplyKind::kEcho, 3},
    {kCommandReadModelId, "ReadModelID", ReplyKind::kEcho, 1},
    {kCommandReadBootVersion, "ReadBootVersion", ReplyKind::kEcho, 1},
    {kCommandWriteEnabled, "WriteEnabledDenominations", ReplyKind::kEcho, 3},
    {kCommandWriteValidated, "WriteValidatedDenominations", ReplyKind::kEcho, 3},
    {kCommandWriteInhibit, "WriteInhibitStatus", ReplyKind::kEcho, 2},
    {kCommandWriteDirection, "WriteDirection", ReplyKind::kEcho, 2},
    {kCommandWriteOptional, "WriteOptionalSettings", ReplyKind::kEcho, 3},
};

// The row of a command byte, or null when the device does not know it.
constexpr const CommandRow* FindCommand(std::uint8_t code) {
  for (const CommandRow& row : kCommandTable) {
    if (row.code == code) return &row;
  }
  return nullptr;
}

// The row's minimum reply length; 1 for a byte outside the table.
constexpr std::size_t MinimumReply(std::uint8_t code) {
  const CommandRow* row = FindCommand(code);
  return row ? row->minimumReply : 1;
}

// ESCROW, REJECTING and FAILURE carry one data byte after the status byte
// (the bill, rejection or failure code).
constexpr bool StatusCarriesData(std::uint8_t status) {
  return status == kStatusEscrow || status == kStatusRejecting || status == kStatusFailure;
}
constexpr std::size_t kStatusReplyWithData = 2;

}  // namespace notarel
