// TfmParam: the parameter page. The inhibit flag, the direction value and the
// optional-settings value, each written to and read from the device.
#include <windows.h>
#include <commctrl.h>

#include "notarel2.h"
#include "page_classes.h"
#include "page_param_logic.h"

namespace {

enum : int {
  idInhibitStatus = 101,
  idSetInhibitStatus,
  idGetInhibitStatus,
  idDirection,
  idDirectionUpDown,
  idSetDirection,
  idGetDirection,
  idOptionalSettings,
  idOptionalSettingsUpDown,
  idSetOptionalSettings,
  idGetOptionalSettings,
};

// Designed outer size 375 × 170; the client area is the frame and caption less.
constexpr int kDesignWidth = 367;
constexpr int kDesignHeight = 143;

class TfmParam : public TPage {
 public:
  TfmParam() : TPage(L"Настройки", kDesignWidth, kDesignHeight, true) {}

 protected:
  void CreateControls(HWND) override {
    chbInhibitStatus = AddControl(L"BUTTON", L"Запрет приема купюр", BS_AUTOCHECKBOX | WS_TABSTOP, 8, 12, 177,
                                  17, idInhibitStatus);
    AddButton(L"Записать", 192, 8, idSetInhibitStatus);
    AddButton(L"Прочитать", 280, 8, idGetInhibitStatus);
    AddControl(L"STATIC", L"", SS_ETCHEDHORZ, 8, 40, 353, 2, 0);
    AddControl(L"STATIC", L"Направление:", SS_LEFT, 8, 60, 100, 16, 0);
    udDirection = AddValue(56, idDirection, idDirectionUpDown);
    AddButton(L"Записать", 192, 56, idSetDirection);
    AddButton(L"Прочитать", 280, 56, idGetDirection);
    AddControl(L"STATIC", L"", SS_ETCHEDHORZ, 8, 96, 353, 2, 0);
    AddControl(L"STATIC", L"Дополнительные:", SS_LEFT, 8, 116, 108, 16, 0);
    udOptionalSettings = AddValue(112, idOptionalSettings, idOptionalSettingsUpDown);
    AddButton(L"Записать", 192, 112, idSetOptionalSettings);
    AddButton(L"Прочитать", 280, 112, idGetOptionalSettings);
  }

  void OnCommand(int id, int code, HWND) override {
    if (code != BN_CLICKED) return;
    TParamLogic logic(Driver());
    switch (id) {
      case idSetInhibitStatus:
        RunBracket([&] { SetInhibit(logic.Write(TDeviceParam::InhibitStatus, Inhibit())); });
        break;
      case idGetInhibitStatus:
        RunBracket([&] { SetInhibit(logic.Read(TDeviceParam::InhibitStatus, Inhibit())); });
        break;
      case idSetDirection:
        RunBracket([&] { SetPosition(udDirection, logic.Write(TDeviceParam::Direction, Position(udDirection))); });
        break;
      case idGetDirection:
        RunBracket([&] { SetPosition(udDirection, logic.Read(TDeviceParam::Direction, Position(udDirection))); });
        break;
      case idSetOptionalSettings:
        RunBracket([&] {
          SetPosition(udOptionalSettings, logic.Write(TDeviceParam::OptionalSettings, Position(udOptionalSettings)));
        });
        break;
      case idGetOptionalSettings:
        RunBracket([&] {
          SetPosition(udOptionalSettings, logic.Read(TDeviceParam::OptionalSettings, Position(udOptionalSettings)));
        });
        break;
      default:
        break;
    }
  }

 private:
  void AddButton(const wchar_t* caption, int x, int y, int id) {
    AddControl(L"BUTTON", caption, BS_PUSHBUTTON | WS_TABSTOP, x, y, 81, 25, id);
  }

  // An edit with text "0" and its up-down control, range 0 to 255, no wrap.
  HWND AddValue(int y, int editId, int upDownId) {
    HWND edit = AddControl(L"EDIT", L"0", ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP, 120, y, 41, 21, editId,
                           akLeftTop, WS_EX_CLIENTEDGE);
    HWND upDown = AddControl(UPDOWN_CLASSW, L"", UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS, 161, y,
                             15, 21, upDownId);
    SendMessageW(upDown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
    SendMessageW(upDown, UDM_SETRANGE32, 0, 255);
    SendMessageW(upDown, UDM_SETPOS32, 0, 0);
    return upDown;
  }

  long Inhibit() const { return SendMessageW(chbInhibitStatus, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0; }
  void SetInhibit(long value) {
    SendMessageW(chbInhibitStatus, BM_SETCHECK, value != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
  }

  // The up-down control's position, a 16-bit signed value widened to 32 bits.
  static long Position(HWND upDown) {
    const LRESULT position = SendMessageW(upDown, UDM_GETPOS32, 0, 0);
    return static_cast<short>(position);
  }
  static void SetPosition(HWND upDown, long value) { SendMessageW(upDown, UDM_SETPOS32, 0, value); }

  HWND chbInhibitStatus = nullptr;
  HWND udDirection = nullptr;
  HWND udOptionalSettings = nullptr;
};

}  // namespace

std::unique_ptr<TPage> CreateParamPage() { return std::make_unique<TfmParam>(); }
