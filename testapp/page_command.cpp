// TfmCommand, "Команды": single device commands, status, model and firmware
// into a memo, port opening and closing, and a status poll loop.
#include <windows.h>

#include "page_command_logic.h"
#include "memo.h"
#include "page_classes.h"
#include "win_ui.h"

namespace {

// A button of the page: its caption, position and the member it calls.
enum TMemoUse { kKeep, kClearStatus, kClearModel, kClearVersion };

class TfmCommand : public TPage {
 public:
  TfmCommand() : TPage(L"Команды", 408, 239, true) {}

 protected:
  enum : int {
    kGetStatus = 300,
    kReset,
    kStack1,
    kStack2,
    kReturn,
    kHold,
    kWait,
    kAck,
    kGetModelID,
    kGetBootVersion,
    kOpenPort,
    kClosePort,
    kStopPoll,
    kStartPoll,
    kMemo,
  };

  void CreateControls(HWND) override {
    const wchar_t* captions[] = {L"STATUS",  L"RESET", L"STACK1",  L"STACK2",
                                 L"RETURN",  L"HOLD",  L"WAIT",    L"ACK",
                                 L"ModelID", L"VERSION", L"Открыть", L"Закрыть"};
    // Tab order 0 to 11: the command buttons in two columns, row by row.
    for (int i = 0; i < 12; ++i)
      AddControl(L"BUTTON", captions[i], BS_PUSHBUTTON | WS_TABSTOP, i % 2 ? 328 : 248,
                 8 + 32 * (i / 2), 73, 25, kGetStatus + i, akTop | akRight);
    btnStopPoll = AddControl(L"BUTTON", L"Прервать", BS_PUSHBUTTON | WS_TABSTOP, 328, 208, 75, 25,
                             kStopPoll, akTop | akRight);
    EnableWindow(btnStopPoll, FALSE);
    btnStartPoll = AddControl(L"BUTTON", L"Начать", BS_PUSHBUTTON | WS_TABSTOP, 248, 208, 73, 25,
                              kStartPoll, akTop | akRight);
    Memo = AddControl(L"EDIT", L"", kMemoStyle | WS_VSCROLL | WS_TABSTOP, 8, 8, 233, 225, kMemo,
                      akAll, WS_EX_CLIENTEDGE);
  }

  void OnCommand(int id, int code, HWND) override {
    if (code != BN_CLICKED) return;
    switch (id) {
      case kOpenPort: Command(&IWBA003_4::OpenPort, L"OpenPort", kKeep); break;
      case kClosePort: Command(&IWBA003_4::ClosePort, L"ClosePort", kKeep); break;
      case kGetStatus: Command(&IWBA003_4::ReadStatus, L"ReadStatus", kClearStatus); break;
      case kReset: Command(&IWBA003_4::Reset, L"Reset", kKeep); break;
      case kStack1: Command(&IWBA003_4::Stack1, L"Stack1", kKeep); break;
      case kStack2: Command(&IWBA003_4::Stack2, L"Stack2", kKeep); break;
      case kReturn: Command(&IWBA003_4::Return, L"Return", kKeep); break;
      case kHold: Command(&IWBA003_4::Hold, L"Hold", kKeep); break;
      case kWait: Command(&IWBA003_4::Wait, L"Wait", kKeep); break;
      case kAck: Command(&IWBA003_4::Ack, L"Ack", kKeep); break;
      case kGetModelID: Command(&IWBA003_4::ReadModelID, L"ReadModelID", kClearModel); break;
      case kGetBootVersion:
        Command(&IWBA003_4::ReadBootVersion, L"ReadBootVersion", kClearVersion);
        break;
      case kStartPoll: btnStartPollClick(); break;
      case kStopPoll: FStopPoll = true; break;
      default: break;
    }
  }

 private:
  TCommandLogic Logic() {
    return TCommandLogic(Driver(), [this](const std::wstring& line) { MemoAdd(Memo, line); });
  }

  // One command inside the command bracket; its memo lines only on success.
  template <class M>
  void Command(M method, const wchar_t* name, TMemoUse use) {
    RunBracket([&] {
      if (use != kKeep) MemoClear(Memo);
      if (!Driver().Call(method, name)) return;
      if (use == kClearStatus) Logic().ShowStatus();
      if (use == kClearModel) MemoAdd(Memo, Driver().GetString(kDispModelID));
      if (use == kClearVersion) MemoAdd(Memo, Driver().GetString(kDispBootVersion));
    });
  }

  // Status requests without pause until "Прервать" (or the program closes),
  // one line per change of the status code.
  void btnStartPollClick() {
    MemoClear(Memo);
    long lastCode = -1;
    FStopPoll = false;
    EnableWindow(btnStopPoll, TRUE);
    EnableWindow(btnStartPoll, FALSE);
    TLoopScope loop(*this);
    try {
      TCommandLogic logic = Logic();
      do {
        logic.PollPass(lastCode);
        notarel::ui::ProcessMessages();
      } while (!FStopPoll && !Closing());
    } catch (...) {
      PollEnded();
      throw;
    }
    PollEnded();
  }

  void PollEnded() {
    EnableWindow(btnStopPoll, FALSE);
    EnableWindow(btnStartPoll, TRUE);
  }

  HWND Memo = nullptr;
  HWND btnStartPoll = nullptr;
  HWND btnStopPoll = nullptr;
  bool FStopPoll = false;
};

}  // namespace

std::unique_ptr<TPage> CreateCommandPage() { return std::make_unique<TfmCommand>(); }
