#pragma once
// The acceptor as a pure state machine: request bodies in, reply bodies out.
// No I/O and no clocks: every step of the bill cycle is driven by a status
// request, so a test that sends the same requests always sees the same replies.
#include <cstdint>
#include <optional>
#include <string>

#include "device_vocabulary.h"
#include "frame_codec.h"

namespace notarel::emu {

struct DeviceCounters {
  unsigned long escrowed = 0;  // bills that reached escrow
  unsigned long stacked = 0;   // bills whose VEND VALID the host acknowledged
  unsigned long returned = 0;  // bills handed back on Return
  unsigned long rejected = 0;  // rejections ordered by the control side
  unsigned long failures = 0;  // failures ordered by the control side
  unsigned long stack1 = 0;    // Stack1 requests, in escrow or not
  unsigned long stack2 = 0;
  unsigned long returns = 0;   // Return requests, in escrow or not
  unsigned long acks = 0;      // ACKs from the host
  unsigned long requests = 0;  // well-formed request frames
  unsigned long badcrc = 0;    // request frames with a wrong CRC
  unsigned long unknown = 0;   // requests with a command byte the device does not know
};

// The settings a host can write; power-up restores these values.
struct DeviceSettings {
  bool inhibit = true;
  std::uint8_t enabled = 0x00;  // bit k-1 set: denomination k accepted
  std::uint8_t validated = 0x00;
  std::uint8_t direction = 0x00;
  std::uint16_t optional = 0x0000;
};

struct DeviceIdentity {
  std::string model_id = "RDRUB003";
  std::string boot_version = "V1.07";
};

enum class StartState { kPowerUp, kEnabled, kInhibited };

class DeviceModel {
 public:
  explicit DeviceModel(DeviceIdentity identity = {}, StartState start = StartState::kPowerUp);

  // Answers one well-formed request body (command byte, then data). Returns no
  // reply for the host's ACK, which the device never answers.
  std::optional<Bytes> HandleRequest(const Bytes& body);
  // Answers a request frame whose CRC did not match.
  Bytes HandleCorruptRequest();

  // Control side. Each returns an empty text on success, else why it refused.
  std::string Insert(std::uint8_t bill_code);
  // A bill that goes in and is refused by the device itself: ACCEPTING, then
  // REJECTING with the rejection code instead of ESCROW.
  // REJECTING shows for `replies` status requests (at least one), as a
  // device does while it pushes the bill out.
  std::string InsertToReject(std::uint8_t bill_code, std::uint8_t rejection_code, unsigned replies = 1);
  std::string Reject(std::uint8_t rejection_code);
  void Fail(std::uint8_t failure_code);
  std::string Force(std::uint8_t status_byte);
  void Clear();
  // power_up_status is one of the three POWER UP status bytes.
  void PowerUp(std::uint8_t power_up_status);
  // Power-up plus zeroed counters.
  void Restart();

  // The reply the next status request would get, without advancing the cycle.
  Bytes CurrentStatus() const;
  const DeviceCounters& Counters() const { return counters_; }
  const DeviceSettings& Settings() const { return settings_; }
  // REJECTING replies still to come, this one included; 0 when not rejecting.
  unsigned RejectingRepliesLeft() const { return phase_ == Phase::kRejecting ? rejecting_left_ : 0; }

 private:
  enum class Phase {
    kPowerUp, kInitializing, kIdle, kAccepting, kEscrow, kHolding, kStacking,
    kVendValid, kStacked, kReturning, kRejecting, kFailure, kForced,
  };

  void HandleAck();
  std::optional<Bytes> HandleControl(std::uint8_t code);
  std::optional<Bytes> HandleSetting(const Bytes& body);
  Bytes StatusReply();
  void Stack(std::uint8_t code);
  void AdvanceAfterStatus();
  std::uint8_t IdleStatus() const;
  // Why no bill can go in now, or an empty text.
  std::string InsertRefusal() const;
  bool HoldsBillInEscrow() const { return phase_ == Phase::kEscrow || phase_ == Phase::kHolding; }

  DeviceIdentity identity_;
  DeviceSettings settings_;
  DeviceCounters counters_;
  Phase phase_ = Phase::kPowerUp;
  std::uint8_t held_status_ = kStatusPowerUp;  // POWER UP variant or forced status
  std::uint8_t bill_code_ = 0;
  std::uint8_t rejection_code_ = 0;
  std::uint8_t failure_code_ = 0;
  bool rejects_at_escrow_ = false;  // the bill being accepted is to be rejected
  unsigned rejecting_left_ = 1;     // REJECTING replies still to come
};

}  // namespace notarel::emu
