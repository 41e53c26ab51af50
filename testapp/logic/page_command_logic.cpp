// TCommandLogic: the command page's status lines.
#include "page_command_logic.h"

#include "win_ui.h"

void TCommandLogic::ShowStatus() {
  long status = FDriver.GetLong(kDispStatusCode);
  FWrite(L"Код состояния: " + HexCode(status) + L"h");
  FWrite(L"Описание состояния: " + FDriver.GetString(kDispStatusDescription));
  switch (status) {
    case 0x13:  // ESCROW
      FWrite(notarel::ui::Format(L"Достоинство купюры: %ld", FDriver.GetLong(kDispDenomination)));
      break;
    case 0x17:  // REJECTING
      FWrite(notarel::ui::Format(L"Код отказа: %ld", FDriver.GetLong(kDispRejectionCode)));
      FWrite(L"Описание отказа: " + FDriver.GetString(kDispRejectionDescription));
      break;
    case 0x49:  // FAILURE
      FWrite(notarel::ui::Format(L"Код ошибки: %ld", FDriver.GetLong(kDispFailureCode)));
      FWrite(L"Описание ошибки: " + FDriver.GetString(kDispFailureDescription));
      break;
    default:
      break;
  }
}

void TCommandLogic::PollPass(long& lastCode) {
  if (!FDriver.Call(&IWBA003_4::ReadStatus, L"ReadStatus")) return;
  long status = FDriver.GetLong(kDispStatusCode);
  if (status == lastCode) return;
  lastCode = status;
  FWrite(HexCode(status) + L"h, " + FDriver.GetString(kDispStatusDescription));
}
