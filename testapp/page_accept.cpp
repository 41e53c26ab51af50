// TfmAccept, "Прием купюр": the page's own status loop that drives a whole
// acceptance cycle and adds up the accepted sum.
#include <windows.h>

#include "page_accept_logic.h"
#include "memo.h"
#include "page_classes.h"
#include "win_ui.h"

namespace {

class TfmAccept : public TPage {
 public:
  TfmAccept() : TPage(L"Прием купюр", 365, 148, false) {}

  void UpdatePage() override { notarel::ui::SetText(lblSumm, Logic().SummCaption()); }

 protected:
  enum : int { kAccept = 200, kMemo, kStart, kStop, kClear };

  void CreateControls(HWND) override {
    const DWORD tab = WS_TABSTOP;
    chbAccept = AddControl(L"BUTTON", L"Принимать купюры", BS_AUTOCHECKBOX | tab, 8, 6, 121, 17,
                           kAccept);
    SendMessageW(chbAccept, BM_SETCHECK, BST_CHECKED, 0);
    lblSumm = AddControl(L"STATIC", L"Сумма, руб.:", SS_LEFT, 144, 8, 84, 13, 0);
    lblSumm1 = AddControl(L"STATIC", L"0", SS_LEFT, 230, 8, 60, 13, 0);
    PollMemo = AddControl(L"EDIT", L"", kMemoStyle | WS_VSCROLL | tab, 8, 32, 265, 108, kMemo,
                          akAll, WS_EX_CLIENTEDGE);
    btnStart = AddControl(L"BUTTON", L"Начать", BS_PUSHBUTTON | tab, 280, 32, 81, 25, kStart,
                          akTop | akRight);
    btnStop = AddControl(L"BUTTON", L"Остановить", BS_PUSHBUTTON | tab, 280, 64, 81, 25, kStop,
                         akTop | akRight);
    EnableWindow(btnStop, FALSE);
    btnClear = AddControl(L"BUTTON", L"Очистить", BS_PUSHBUTTON | tab, 280, 112, 81, 25, kClear,
                          akRight | akBottom);
  }

  void OnCommand(int id, int code, HWND) override {
    if (code != BN_CLICKED) return;
    if (id == kStart) btnStartClick();
    if (id == kStop) FRunning = false;
    if (id == kClear) MemoClear(PollMemo);
  }

 private:
  TAcceptLogic& Logic() {
    if (!FLogic)
      FLogic = std::make_unique<TAcceptLogic>(Driver(),
                                              [this](const std::wstring& line) { MemoAdd(PollMemo, line); });
    return *FLogic;
  }

  void SetRunning(bool running) {
    FRunning = running;
    EnableWindow(btnStop, running);
    EnableWindow(btnStart, !running);
  }

  // The run: the port opened, a pass every 100 ms with the window kept
  // responsive, the port closed at the end. An error from the control ends
  // the run as well, back in the idle state, and is shown afterwards.
  void btnStartClick() {
    MemoClear(PollMemo);
    if (!Logic().Start()) {
      EndCommand();
      return;
    }
    TLoopScope loop(*this);
    SetRunning(true);
    int shown = 0;
    try {
      while (FRunning && !Closing()) {
        Sleep(100);
        Logic().PollDevice(SendMessageW(chbAccept, BM_GETCHECK, 0, 0) == BST_CHECKED);
        if (Logic().Added() != shown) {
          shown = Logic().Added();
          notarel::ui::SetText(lblSumm1, notarel::ui::Format(L"%ld", Logic().Total()));
        }
        notarel::ui::ProcessMessages();
      }
      EndCommand();
      Logic().Finish();
    } catch (...) {
      SetRunning(false);
      throw;
    }
    SetRunning(false);
  }

  HWND chbAccept = nullptr;
  HWND lblSumm = nullptr;
  HWND lblSumm1 = nullptr;
  HWND PollMemo = nullptr;
  HWND btnStart = nullptr;
  HWND btnStop = nullptr;
  HWND btnClear = nullptr;
  bool FRunning = false;
  std::unique_ptr<TAcceptLogic> FLogic;
};

}  // namespace

std::unique_ptr<TPage> CreateAcceptPage() { return std::make_unique<TfmAccept>(); }
