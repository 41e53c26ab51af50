#pragma once
// The device's status, rejection and failure codes and their English texts.
#include <cstdint>
#include <string>

namespace notarel {

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

// "UNKNOWN STATUS CODE" for a byte outside the table.
const char* StatusName(std::uint8_t status);
// "Unknown rejection code" outside the table; 0x7A is the one empty text.
const char* RejectionDescription(std::uint8_t code);
// "Unknown failure code" outside the table.
const char* FailureDescription(std::uint8_t code);

}  // namespace notarel
