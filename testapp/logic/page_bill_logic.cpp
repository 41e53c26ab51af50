#include "page_bill_logic.h"

void TBillLogic::CheckBoxesToDriver(const TDenominationFlags& boxes) {
  for (int n = 0; n < 8; ++n) FDriver.SetBool(kDispDenomination1 + n, boxes[static_cast<std::size_t>(n)]);
}

TDenominationFlags TBillLogic::DriverToCheckBoxes(const TDenominationFlags& boxes) {
  if (FDriver.GetLong(kDispResultCode) != 0) return boxes;
  TDenominationFlags flags{};
  for (int n = 0; n < 8; ++n) flags[static_cast<std::size_t>(n)] = FDriver.GetBool(kDispDenomination1 + n);
  return flags;
}

// The commands' success flags are not looked at: ResultCode alone decides
// whether the check boxes are refreshed.
TDenominationFlags TBillLogic::Write(TDenominationSet set, const TDenominationFlags& boxes) {
  CheckBoxesToDriver(boxes);
  if (set == TDenominationSet::Enabled)
    FDriver.Call(&IWBA003_4::WriteEnabledDenominations, L"WriteEnabledDenominations");
  else
    FDriver.Call(&IWBA003_4::WriteValidatedDenominations, L"WriteValidatedDenominations");
  return DriverToCheckBoxes(boxes);
}

TDenominationFlags TBillLogic::Read(TDenominationSet set, const TDenominationFlags& boxes) {
  if (set == TDenominationSet::Enabled)
    FDriver.Call(&IWBA003_4::ReadEnabledDenominations, L"ReadEnabledDenominations");
  else
    FDriver.Call(&IWBA003_4::ReadValidatedDenominations, L"ReadValidatedDenominations");
  return DriverToCheckBoxes(boxes);
}
