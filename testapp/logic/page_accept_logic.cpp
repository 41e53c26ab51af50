// TAcceptLogic: the accept page's acceptance cycle on the control.
#include "page_accept_logic.h"

#include "win_ui.h"

using notarel::ui::Format;

namespace {

const long kEscrow = 0x13;
const long kVendValid = 0x15;
const long kRejecting = 0x17;
const long kDisableInhibit = 0x1A;
const long kPowerUp = 0x40;
const long kPowerUpBillInStacker = 0x42;
const long kFailure = 0x49;

}  // namespace

std::wstring TAcceptLogic::SummCaption() {
  FDriver.SetLong(kDispCurrencyIndex, 2);
  FDriver.Call(&IWBA003_4::GetCountryParams, L"GetCountryParams");
  return Format(L"Сумма, %ls:", FDriver.GetString(kDispCurrencyName).c_str());
}

bool TAcceptLogic::Start() {
  FTotal = 0;
  FLastStatus = 0;
  FAdded = 0;
  FDriver.Call(&IWBA003_4::ClosePort, L"ClosePort");
  return FDriver.Call(&IWBA003_4::OpenPort, L"OpenPort");
}

void TAcceptLogic::Finish() { FDriver.Call(&IWBA003_4::ClosePort, L"ClosePort"); }

void TAcceptLogic::WriteFailure() {
  long code = FDriver.GetLong(kDispResultCode);
  FWrite(Format(L"-> (%ld) %ls", code, FDriver.GetString(kDispResultDescription).c_str()));
}

void TAcceptLogic::AddResult(bool success) {
  if (success)
    FWrite(L"-> OK");
  else
    WriteFailure();
}

void TAcceptLogic::PollDevice(bool accept) {
  if (!FDriver.Call(&IWBA003_4::ReadStatus, L"ReadStatus")) WriteFailure();
  long status = FDriver.GetLong(kDispStatusCode);
  if (status == FLastStatus) return;
  FLastStatus = status;
  FWrite(HexCode(status) + L"h " + FDriver.GetString(kDispStatusDescription));
  switch (status) {
    case kEscrow:
      OnEscrow(accept);
      break;
    case kVendValid:
      OnVendValid();
      break;
    case kRejecting:
      FWrite(L"Отказ: " + HexCode(FDriver.GetLong(kDispRejectionCode)) + L"h " +
             FDriver.GetString(kDispRejectionDescription));
      break;
    case kDisableInhibit:
      OnInhibit();
      break;
    case kFailure:
      FWrite(L"Сбой: " + HexCode(FDriver.GetLong(kDispFailureCode)) + L"h " +
             FDriver.GetString(kDispFailureDescription));
      break;
    default:
      if (status >= kPowerUp && status <= kPowerUpBillInStacker) {
        FWrite(L"-> RESET");
        AddResult(FDriver.Call(&IWBA003_4::Reset, L"Reset"));
      }
      break;
  }
}

void TAcceptLogic::OnEscrow(bool accept) {
  FDriver.Call(&IWBA003_4::GetBillSumm, L"GetBillSumm");
  FDriver.SetLong(kDispCurrencyIndex, 13);
  FDriver.Call(&IWBA003_4::GetCountryParams, L"GetCountryParams");
  long summ = FDriver.GetLong(kDispBillSumm);
  FWrite(Format(L"Купюра: %ld %ls", summ, FDriver.GetString(kDispCurrencyName).c_str()));
  if (accept) {
    FWrite(L"-> STACK1");
    AddResult(FDriver.Call(&IWBA003_4::Stack1, L"Stack1"));
  } else {
    FWrite(L"-> RETURN");
    AddResult(FDriver.Call(&IWBA003_4::Return, L"Return"));
  }
}

void TAcceptLogic::OnVendValid() {
  FWrite(L"-> ACK");
  AddResult(FDriver.Call(&IWBA003_4::Ack, L"Ack"));
  FDriver.Call(&IWBA003_4::GetBillSumm, L"GetBillSumm");
  FTotal += FDriver.GetLong(kDispBillSumm);
  ++FAdded;
}

void TAcceptLogic::OnInhibit() {
  FWrite(L"-> WRITE DENOMINATION");
  for (DISPID id = kDispDenomination1; id < kDispDenomination1 + 8; ++id) FDriver.SetBool(id, true);
  AddResult(FDriver.Call(&IWBA003_4::WriteEnabledDenominations, L"WriteEnabledDenominations"));
  FWrite(L"-> DISABLE INHIBIT");
  FDriver.SetBool(kDispInhibitStatus, false);
  AddResult(FDriver.Call(&IWBA003_4::WriteInhibitStatus, L"WriteInhibitStatus"));
}
