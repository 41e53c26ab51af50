#include "status_tables.h"

#include <iterator>

namespace notarel {
namespace {

struct CodeText {
  std::uint8_t code;
  const char* text;
};

template <std::size_t N>
const char* Lookup(const CodeText (&table)[N], std::uint8_t code, const char* unknown) {
  for (const CodeText& entry : table) {
    if (entry.code == code) return entry.text;
  }
  return unknown;
}

const CodeText kStatusNames[] = {
    {kStatusEnable, "ENABLE(HDLING)"},
    {kStatusAccepting, "ACCEPTING"},
    {kStatusEscrow, "ESCROW"},
    {kStatusStacking, "STACKING"},
    {kStatusVendValid, "VEND VALID"},
    {kStatusStacked, "STACKED"},
    {kStatusRejecting, "REJECTING"},
    {kStatusReturning, "RETURNING"},
    {kStatusHolding, "HOLDING"},
    {kStatusInhibit, "DISABLE(INHIBIT)"},
    {kStatusInitialize, "INITIALIZE"},
    {kStatusPowerUp, "POWER UP"},
    {kStatusPowerUpBillInAcceptor, "POWER UP WITH BILL IN ACCEPTOR"},
    {kStatusPowerUpBillInStacker, "POWER UP WITH BILL IN STACKER"},
    {kStatusStackerFull, "STACKER FULL"},
    {kStatusStackerOpen, "STACKER OPEN"},
    {kStatusJamInAcceptor, "JAM IN ACCEPTOR"},
    {kStatusJamInStacker, "JAM IN STACKER"},
    {kStatusPause, "PAUSE"},
    {kStatusCheated, "CHEATED"},
    {kStatusFailure, "FAILURE"},
    {kStatusCommunicationError, "COMMUNICATION ERROR"},
};

const CodeText kRejections[] = {
    {0x71, "Insertion error"},
    {0x72, "Mag error"},
    {0x73, "Rejection action by remaining of bills etc."},
    {0x74, "Compensation error multiplying factor error"},
    {0x75, "Conveying error"},
    {0x76, "Denomination assessing error"},
    {0x77, "Photo pattern error 1"},
    {0x78, "Photo level error"},
    {0x79, "Return by inhibit insertion direction, denominating error"},
    {0x7A, ""},
    {0x7B, "Operation error"},
    {0x7C, "Rejecting action by remaining of bills and such (stacker section)"},
    {0x7D, "Length error"},
    {0x7E, "Photo pattern error 2"},
};

const CodeText kFailures[] = {
    {0xA2, "Stack motor failure"},
    {0xA5, "Transport (feed) motor speed failure"},
    {0xA6, "Transport (feed) motor failure"},
    {0xAB, "Cash box not ready"},
    {0xAF, "Validator head remove"},
    {0xB0, "BOOT ROM failure"},
    {0xB1, "External ROM failure"},
    {0xB2, "ROM failure"},
    {0xB3, "External ROM writing failure"},
};

}  // namespace

const char* StatusName(std::uint8_t status) {
  return Lookup(kStatusNames, status, "UNKNOWN STATUS CODE");
}

const char* RejectionDescription(std::uint8_t code) {
  return Lookup(kRejections, code, "Unknown rejection code");
}

const char* FailureDescription(std::uint8_t code) {
  return Lookup(kFailures, code, "Unknown failure code");
}

}  // namespace notarel
