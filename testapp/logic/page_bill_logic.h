#pragma once
// What the bill page does with the control: the eight denomination flags go
// to the control's Denomination1..8 before a write and come back after a
// read or write, for both the accepted and the validated set.
#include <array>

#include "notarel2.h"

// The eight check boxes, index 0 for Denomination1.
using TDenominationFlags = std::array<bool, 8>;

enum class TDenominationSet { Enabled, Validated };

class TBillLogic {
 public:
  explicit TBillLogic(TNotarel2& driver) : FDriver(driver) {}

  // The flags into Denomination1..8, in that order.
  void CheckBoxesToDriver(const TDenominationFlags& boxes);
  // Denomination1..8 when ResultCode is 0; otherwise `boxes` unchanged.
  TDenominationFlags DriverToCheckBoxes(const TDenominationFlags& boxes);

  // The write button: flags to the control, the write command, flags back.
  // Returns what the check boxes show afterwards.
  TDenominationFlags Write(TDenominationSet set, const TDenominationFlags& boxes);
  // The read button: the read command, flags back.
  TDenominationFlags Read(TDenominationSet set, const TDenominationFlags& boxes);

 private:
  TNotarel2& FDriver;
};
