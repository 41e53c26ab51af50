// TfmBill: the bill page. Two sets of eight denomination flags (accepted and
// validated bills) read from and written to the device through the control.
#include <windows.h>

#include "notarel2.h"
#include "page_bill_logic.h"
#include "page_classes.h"

namespace {

enum : int {
  idDenomination1 = 101,  // ... idDenomination1 + 7
  idSetEnabled = 111,
  idGetEnabled,
  idSetValidated,
  idGetValidated,
  idResetAll,
  idSetAll,
};

// Designed outer size 439 × 301; the client area is the frame and caption less.
constexpr int kDesignWidth = 431;
constexpr int kDesignHeight = 274;

class TfmBill : public TPage {
 public:
  TfmBill() : TPage(L"Купюры", kDesignWidth, kDesignHeight, true) {}

 protected:
  void CreateControls(HWND) override {
    for (int n = 0; n < 8; ++n) {
      const std::wstring caption = L"Denomination" + std::to_wstring(n + 1);
      chbDenomination[n] = AddControl(L"BUTTON", caption.c_str(), BS_AUTOCHECKBOX | WS_TABSTOP, 8,
                                      8 + 24 * n, 97, 17, idDenomination1 + n);
    }
    AddControl(L"BUTTON", L"Записать принимаемые купюры", BS_PUSHBUTTON | WS_TABSTOP, 120, 8, 257, 25,
               idSetEnabled);
    AddControl(L"BUTTON", L"Прочитать принимаемые купюры", BS_PUSHBUTTON | WS_TABSTOP, 120, 40, 257, 25,
               idGetEnabled);
    AddControl(L"BUTTON", L"Записать проверяемые купюры", BS_PUSHBUTTON | WS_TABSTOP, 120, 72, 257, 25,
               idSetValidated);
    AddControl(L"BUTTON", L"Прочитать проверяемые купюры", BS_PUSHBUTTON | WS_TABSTOP, 120, 104, 257, 25,
               idGetValidated);
    AddControl(L"BUTTON", L"Сбросить все", BS_PUSHBUTTON | WS_TABSTOP, 120, 168, 121, 25, idResetAll);
    AddControl(L"BUTTON", L"Установить все", BS_PUSHBUTTON | WS_TABSTOP, 256, 168, 121, 25, idSetAll);
  }

  void OnCommand(int id, int code, HWND) override {
    if (code != BN_CLICKED) return;
    TBillLogic logic(Driver());
    switch (id) {
      case idSetEnabled:
        RunBracket([&] { SetBoxes(logic.Write(TDenominationSet::Enabled, Boxes())); });
        break;
      case idGetEnabled:
        RunBracket([&] { SetBoxes(logic.Read(TDenominationSet::Enabled, Boxes())); });
        break;
      case idSetValidated:
        RunBracket([&] { SetBoxes(logic.Write(TDenominationSet::Validated, Boxes())); });
        break;
      case idGetValidated:
        RunBracket([&] { SetBoxes(logic.Read(TDenominationSet::Validated, Boxes())); });
        break;
      case idResetAll:
        SetBoxes(TDenominationFlags{});
        break;
      case idSetAll:
        SetBoxes(TDenominationFlags{true, true, true, true, true, true, true, true});
        break;
      default:
        break;
    }
  }

 private:
  TDenominationFlags Boxes() const {
    TDenominationFlags flags{};
    for (int n = 0; n < 8; ++n)
      flags[static_cast<size_t>(n)] = SendMessageW(chbDenomination[n], BM_GETCHECK, 0, 0) == BST_CHECKED;
    return flags;
  }

  void SetBoxes(const TDenominationFlags& flags) {
    for (int n = 0; n < 8; ++n)
      SendMessageW(chbDenomination[n], BM_SETCHECK, flags[static_cast<size_t>(n)] ? BST_CHECKED : BST_UNCHECKED,
                   0);
  }

  HWND chbDenomination[8] = {};
};

}  // namespace

std::unique_ptr<TPage> CreateBillPage() { return std::make_unique<TfmBill>(); }
