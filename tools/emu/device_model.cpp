#include "device_model.h"

#include <utility>

namespace notarel::emu {
namespace {

Bytes Ack() { return Bytes{kAnswerAck}; }

}  // namespace

DeviceModel::DeviceModel(DeviceIdentity identity, StartState start) : identity_(std::move(identity)) {
  switch (start) {
    case StartState::kPowerUp:
      break;
    case StartState::kEnabled:
      settings_.inhibit = false;
      settings_.enabled = 0xFF;
      phase_ = Phase::kIdle;
      break;
    case StartState::kInhibited:
      phase_ = Phase::kIdle;
      break;
  }
}

std::optional<Bytes> DeviceModel::HandleRequest(const Bytes& body) {
  if (body.empty()) return HandleCorruptRequest();
  ++counters_.requests;
  const std::uint8_t code = body[0];
  const CommandRow* row = FindCommand(code);
  switch (row ? row->reply : ReplyKind::kEcho) {
    case ReplyKind::kStatus:
      return StatusReply();
    case ReplyKind::kNone:
      HandleAck();
      return std::nullopt;
    case ReplyKind::kAcknowledge:
      return HandleControl(code);
    case ReplyKind::kEcho:
      break;
  }
  // Setting and identification commands; the unknown ones come back as such.
  return HandleSetting(body);
}

void DeviceModel::HandleAck() {
  ++counters_.acks;
  if (phase_ == Phase::kVendValid) {
    // The host has seen VEND VALID: the bill is in the box now.
    ++counters_.stacked;
    phase_ = Phase::kStacked;
  }
}

Bytes DeviceModel::HandleCorruptRequest() {
  ++counters_.badcrc;
  return Bytes{kStatusCommunicationError};
}

std::optional<Bytes> DeviceModel::HandleControl(std::uint8_t code) {
  switch (code) {
    case kCommandReset:
      // Any bill in the transport is given up; the device reinitialises.
      phase_ = Phase::kInitializing;
      break;
    case kCommandStack1:
    case kCommandStack2:
      Stack(code);
      break;
    case kCommandReturn:
      ++counters_.returns;
      if (HoldsBillInEscrow()) {
        ++counters_.returned;
        phase_ = Phase::kReturning;
      }
      break;
    case kCommandHold:
      if (phase_ == Phase::kEscrow) phase_ = Phase::kHolding;
      break;
    default:  // Wait: acknowledged, nothing changes.
      break;
  }
  return Ack();
}

void DeviceModel::Stack(std::uint8_t code) {
  if (code == kCommandStack1) {
    ++counters_.stack1;
  } else {
    ++counters_.stack2;
  }
  if (HoldsBillInEscrow()) phase_ = Phase::kStacking;
}

std::optional<Bytes> DeviceModel::HandleSetting(const Bytes& body) {
  const std::uint8_t code = body[0];
  const std::size_t data = body.size() - 1;
  auto needs = [&](std::size_t n) { return data >= n; };
  switch (code) {
    case kCommandWriteEnabled:
      if (!needs(1)) break;
      settings_.enabled = static_cast<std::uint8_t>(~body[1]);
      return Bytes{code, body[1], 0x00};
    case kCommandReadEnabled:
      return Bytes{code, static_cast<std::uint8_t>(~settings_.enabled), 0x00};
    case kCommandWriteValidated:
      if (!needs(1)) break;
      settings_.validated = body[1];
      return Bytes{code, settings_.validated, 0x00};
    case kCommandReadValidated:
      return Bytes{code, settings_.validated, 0x00};
    case kCommandWriteInhibit:
      if (!needs(1)) break;
      settings_.inhibit = (body[1] & 0x01) != 0;
      return Bytes{code, static_cast<std::uint8_t>(settings_.inhibit ? 1 : 0)};
    case kCommandReadInhibit:
      return Bytes{code, static_cast<std::uint8_t>(settings_.inhibit ? 1 : 0)};
    case kCommandWriteDirection:
      if (!needs(1)) break;
      settings_.direction = body[1];
      return Bytes{code, settings_.direction};
    case kCommandReadDirection:
      return Bytes{code, settings_.direction};
    case kCommandWriteOptional:
      if (!needs(2)) break;
      settings_.optional = static_cast<std::uint16_t>(body[1] << 8 | body[2]);
      return Bytes{code, body[1], body[2]};
    case kCommandReadOptional:
      return Bytes{code, static_cast<std::uint8_t>(settings_.optional >> 8),
                   static_cast<std::uint8_t>(settings_.optional & 0xFF)};
    case kCommandReadModelId: {
      Bytes reply{code};
      reply.insert(reply.end(), identity_.model_id.begin(), identity_.model_id.end());
      return reply;
    }
    case kCommandReadBootVersion: {
      Bytes reply{code};
      reply.insert(reply.end(), identity_.boot_version.begin(), identity_.boot_version.end());
      return reply;
    }
    default:
      ++counters_.unknown;
      return Bytes{kAnswerUnknownCommand};
  }
  // A known setting command without its data bytes is a malformed frame.
  return Bytes{kStatusCommunicationError};
}

Bytes DeviceModel::StatusReply() {
  Bytes reply = CurrentStatus();
  AdvanceAfterStatus();
  return reply;
}

Bytes DeviceModel::CurrentStatus() const {
  switch (phase_) {
    case Phase::kPowerUp:
    case Phase::kForced:
      return Bytes{held_status_};
    case Phase::kInitializing:
      return Bytes{kStatusInitialize};
    case Phase::kIdle:
      return Bytes{IdleStatus()};
    case Phase::kAccepting:
      return Bytes{kStatusAccepting};
    case Phase::kEscrow:
      return Bytes{kStatusEscrow, bill_code_};
    case Phase::kHolding:
      return Bytes{kStatusHolding};
    case Phase::kStacking:
      return Bytes{kStatusStacking};
    case Phase::kVendValid:
      return Bytes{kStatusVendValid};
    case Phase::kStacked:
      return Bytes{kStatusStacked};
    case Phase::kReturning:
      return Bytes{kStatusReturning};
    case Phase::kRejecting:
      return Bytes{kStatusRejecting, rejection_code_};
    case Phase::kFailure:
      return Bytes{kStatusFailure, failure_code_};
  }
  return Bytes{kStatusFailure, failure_code_};
}

// Passing states are reported once (REJECTING as often as its rejection asked); the next
// status request sees the following one.
void DeviceModel::AdvanceAfterStatus() {
  switch (phase_) {
    case Phase::kAccepting:
      if (rejects_at_escrow_) {
        rejects_at_escrow_ = false;
        phase_ = Phase::kRejecting;
        break;
      }
      ++counters_.escrowed;
      phase_ = Phase::kEscrow;
      break;
    case Phase::kStacking:
      phase_ = Phase::kVendValid;
      break;
    case Phase::kRejecting:
      if (--rejecting_left_ > 0) break;
      phase_ = Phase::kIdle;
      break;
    case Phase::kInitializing:
    case Phase::kStacked:
    case Phase::kReturning:
      phase_ = Phase::kIdle;
      break;
    default:
      break;
  }
}

std::uint8_t DeviceModel::IdleStatus() const {
  return !settings_.inhibit && settings_.enabled != 0 ? kStatusEnable : kStatusInhibit;
}

std::string DeviceModel::InsertRefusal() const {
  switch (phase_) {
    case Phase::kIdle:
      return IdleStatus() == kStatusEnable ? "" : "device not enabled";
    case Phase::kPowerUp:
    case Phase::kInitializing:
    case Phase::kFailure:
    case Phase::kForced:
      return "device not enabled";
    default:
      return "device busy";  // a bill is on its way
  }
}

std::string DeviceModel::Insert(std::uint8_t bill_code) {
  std::string refusal = InsertRefusal();
  if (!refusal.empty()) return refusal;
  bill_code_ = bill_code;
  rejects_at_escrow_ = false;
  phase_ = Phase::kAccepting;
  return {};
}

std::string DeviceModel::InsertToReject(std::uint8_t bill_code, std::uint8_t rejection_code,
                                        unsigned replies) {
  std::string refusal = Insert(bill_code);
  if (!refusal.empty()) return refusal;
  rejection_code_ = rejection_code;
  rejecting_left_ = replies == 0 ? 1 : replies;
  rejects_at_escrow_ = true;
  ++counters_.rejected;
  return {};
}

std::string DeviceModel::Reject(std::uint8_t rejection_code) {
  switch (phase_) {
    case Phase::kIdle:
    case Phase::kAccepting:
    case Phase::kEscrow:
    case Phase::kHolding:
      break;
    default:
      return "no bill can be rejected now";
  }
  rejection_code_ = rejection_code;
  rejecting_left_ = 1;
  phase_ = Phase::kRejecting;
  ++counters_.rejected;
  return {};
}

void DeviceModel::Fail(std::uint8_t failure_code) {
  failure_code_ = failure_code;
  phase_ = Phase::kFailure;
  ++counters_.failures;
}

std::string DeviceModel::Force(std::uint8_t status_byte) {
  if (status_byte < kStatusStackerFull || status_byte > kStatusCheated) {
    return "state must be 0x43 to 0x48";
  }
  held_status_ = status_byte;
  phase_ = Phase::kForced;
  return {};
}

void DeviceModel::Clear() {
  if (phase_ == Phase::kForced || phase_ == Phase::kFailure) phase_ = Phase::kIdle;
}

void DeviceModel::PowerUp(std::uint8_t power_up_status) {
  settings_ = DeviceSettings{};
  held_status_ = power_up_status;
  phase_ = Phase::kPowerUp;
}

void DeviceModel::Restart() {
  PowerUp(kStatusPowerUp);
  counters_ = DeviceCounters{};
}

}  // namespace notarel::emu
