// TfmPoll: the polling page. Starts and stops the driver's own polling and
// shows the control's events; the check box decides whether an offered bill
// is taken. The events arrive on the driver's polling thread: TPollLogic
// queues their lines and posts kLinesMessage here, and the page appends the
// queued lines on its own thread.
#include <windows.h>

#include <memory>

#include "notarel2.h"
#include "page_classes.h"
#include "page_poll_logic.h"
#include "win_ui.h"

namespace {

enum : int {
  idPollingInterval = 101,
  idErrorTimeout,
  idAcceptBill,
  idEventsMemo,
  idClearEventsMemo,
  idCloseSession,
  idOpenSession,
  idStopPolling,
  idStartPolling,
};

// Designed outer size 344 × 243; the client area is the frame and caption less.
constexpr int kDesignWidth = 336;
constexpr int kDesignHeight = 216;

// Posted by the polling thread when lines wait in the queue.
UINT LinesMessage() {
  static const UINT message = RegisterWindowMessageW(L"Notaprobe.PollEventLines");
  return message;
}

class TfmPoll : public TPage {
 public:
  TfmPoll() : TPage(L"Опрос", kDesignWidth, kDesignHeight, true) {}
  // The handlers are detached (the logic's destructor) while the control
  // still exists: the main window frees the pages before the control.
  ~TfmPoll() override { FLogic.reset(); }

 protected:
  void CreateControls(HWND page) override {
    FLogic = std::make_unique<TPollLogic>(Driver(), [page] { PostMessageW(page, LinesMessage(), 0, 0); });
    AddControl(L"STATIC", L"Интервал опроса, мс.:", SS_LEFT, 8, 12, 125, 16, 0);
    edtPollingInterval = AddEdit(L"100", 8, idPollingInterval);
    AddControl(L"STATIC", L"Таймаут ошибки, мс.:", SS_LEFT, 8, 36, 125, 16, 0);
    edtErrorTimeout = AddEdit(L"10000", 32, idErrorTimeout);
    chbAcceptBill = AddControl(L"BUTTON", L"Принимать купюры", BS_AUTOCHECKBOX | WS_TABSTOP, 8, 64, 193, 17,
                               idAcceptBill);
    SendMessageW(chbAcceptBill, BM_SETCHECK, BST_CHECKED, 0);
    FLogic->SetAcceptBills(true);
    EventsMemo = AddControl(L"EDIT", L"",
                            ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_TABSTOP, 8, 88,
                            241, 121, idEventsMemo, akAll, WS_EX_CLIENTEDGE);
    // Created in tab order: "Очистить" comes first, "Начать" last.
    AddButton(L"Очистить", 184, idClearEventsMemo);
    AddButton(L"Запретить", 120, idCloseSession);
    AddButton(L"Разрешить", 88, idOpenSession);
    btnStopPolling = AddButton(L"Остановить", 40, idStopPolling);
    btnStartPolling = AddButton(L"Начать", 8, idStartPolling);
    EnableWindow(btnStopPolling, FALSE);
  }

  void OnCommand(int id, int code, HWND) override {
    if (id == idAcceptBill && code == BN_CLICKED) {
      FLogic->SetAcceptBills(SendMessageW(chbAcceptBill, BM_GETCHECK, 0, 0) == BST_CHECKED);
      return;
    }
    if (code != BN_CLICKED) return;
    switch (id) {
      case idStartPolling:
        StartPolling();
        break;
      case idStopPolling:
        if (RunBracket([&] { FLogic->Stop(); })) UpdateButtons();
        break;
      case idOpenSession:
        if (RunBracket([&] { FLogic->SetBillEnabled(true); })) UpdateButtons();
        break;
      case idCloseSession:
        if (RunBracket([&] { FLogic->SetBillEnabled(false); })) UpdateButtons();
        break;
      case idClearEventsMemo:
        notarel::ui::SetText(EventsMemo, L"");
        UpdateButtons();
        break;
      default:
        break;
    }
  }

  LRESULT OnMessage(UINT msg, WPARAM, LPARAM, bool& handled) override {
    handled = msg == LinesMessage();
    if (handled) {
      for (const std::wstring& line : FLogic->TakeLines()) AppendLine(line);
    }
    return 0;
  }

 private:
  HWND AddEdit(const wchar_t* text, int y, int id) {
    return AddControl(L"EDIT", text, ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP, 136, y, 65, 21, id, akLeftTop,
                      WS_EX_CLIENTEDGE);
  }
  HWND AddButton(const wchar_t* caption, int y, int id) {
    return AddControl(L"BUTTON", caption, BS_PUSHBUTTON | WS_TABSTOP, 256, y, 75, 25, id, akTop | akRight);
  }

  // No command bracket: the texts are converted (an error there ends the
  // handler before polling starts), polling is started, then the result
  // area and the buttons follow.
  void StartPolling() {
    FLogic->Start(notarel::ui::GetText(edtErrorTimeout), notarel::ui::GetText(edtPollingInterval));
    EndCommand();
    UpdateButtons();
  }

  void UpdateButtons() {
    EnableWindow(btnStopPolling, FLogic->PollingStarted() ? TRUE : FALSE);
    EnableWindow(btnStartPolling, IsWindowEnabled(btnStopPolling) ? FALSE : TRUE);
  }

  void AppendLine(const std::wstring& line) {
    const LRESULT end = SendMessageW(EventsMemo, WM_GETTEXTLENGTH, 0, 0);
    SendMessageW(EventsMemo, EM_SETSEL, static_cast<WPARAM>(end), end);
    const std::wstring text = line + L"\r\n";
    SendMessageW(EventsMemo, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
  }

  std::unique_ptr<TPollLogic> FLogic;
  HWND edtPollingInterval = nullptr;
  HWND edtErrorTimeout = nullptr;
  HWND chbAcceptBill = nullptr;
  HWND EventsMemo = nullptr;
  HWND btnStartPolling = nullptr;
  HWND btnStopPolling = nullptr;
};

}  // namespace

std::unique_ptr<TPage> CreatePollPage() { return std::make_unique<TfmPoll>(); }
