// TfmFindDevice: the device search page. "Поиск" asks the driver to find the
// acceptor on the machine's serial ports and writes one line with the outcome.
#include <windows.h>

#include "notarel2.h"
#include "page_classes.h"
#include "page_find_device_logic.h"
#include "win_ui.h"

namespace {

enum : int {
  idMemo = 101,
  idFindDevice,
};

// Designed outer size 416 × 265; the client area is the frame and caption less.
constexpr int kDesignWidth = 408;
constexpr int kDesignHeight = 238;

class TfmFindDevice : public TPage {
 public:
  TfmFindDevice() : TPage(L"Поиск устройства", kDesignWidth, kDesignHeight, true) {}

 protected:
  void CreateControls(HWND) override {
    Memo = AddControl(L"EDIT", L"", ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY | WS_TABSTOP, 8, 8, 313, 225,
                      idMemo, akAll, WS_EX_CLIENTEDGE);
    AddControl(L"BUTTON", L"Поиск", BS_PUSHBUTTON | WS_TABSTOP, 328, 8, 73, 25, idFindDevice, akTop | akRight);
  }

  void OnCommand(int id, int code, HWND) override {
    if (id != idFindDevice || code != BN_CLICKED) return;
    RunBracket([&] {
      TFindDeviceLogic(Driver()).Search([&] { notarel::ui::SetText(Memo, L""); },
                                        [&](const std::wstring& line) { AppendLine(line); });
    });
  }

 private:
  void AppendLine(const std::wstring& line) {
    const LRESULT end = SendMessageW(Memo, WM_GETTEXTLENGTH, 0, 0);
    SendMessageW(Memo, EM_SETSEL, static_cast<WPARAM>(end), end);
    const std::wstring text = line + L"\r\n";
    SendMessageW(Memo, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
  }

  HWND Memo = nullptr;
};

}  // namespace

std::unique_ptr<TPage> CreateFindDevicePage() { return std::make_unique<TfmFindDevice>(); }
