// TfmConnect: the connection test page. Opens the port, requests the status
// and closes the port, over and over, showing passes, failures, speed, time
// per pass, failure rate and duration, until "Прервать", a failed pass with
// "Остановка при ошибке" set, or the program closing.
#include <windows.h>

#include <exception>

#include "notarel2.h"
#include "page_classes.h"
#include "page_connect_logic.h"
#include "win_ui.h"

namespace {

enum : int {
  idStopOnError = 101,
  idStart,
  idStop,
};

// Designed outer size 327 × 247; the client area is the frame and caption less.
constexpr int kDesignWidth = 319;
constexpr int kDesignHeight = 220;

// The system's decimal separator, for the failure rate.
wchar_t DecimalSeparator() {
  wchar_t text[8] = {};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, text, 8) > 1) return text[0];
  return L'.';
}

class TfmConnect : public TPage, private TConnectHost {
 public:
  TfmConnect() : TPage(L"Проверка связи", kDesignWidth, kDesignHeight, true) {}
  HWND DefaultButton() const override { return btnStart; }

 protected:
  void CreateControls(HWND) override {
    chbStopOnError = AddControl(L"BUTTON", L"Остановка при ошибке", BS_AUTOCHECKBOX | WS_TABSTOP, 8, 192, 177,
                                17, idStopOnError);
    btnStart = AddControl(L"BUTTON", L"Начать", BS_DEFPUSHBUTTON | WS_TABSTOP, 240, 8, 75, 25, idStart);
    btnStop = AddControl(L"BUTTON", L"Прервать", BS_PUSHBUTTON | WS_TABSTOP, 240, 40, 75, 25, idStop);
    EnableWindow(btnStop, FALSE);
    AddFrame(8, 8, 225, 169);
    lblRepCount = AddRow(L"Количество повторов:", 16);
    lblErrCount = AddRow(L"Количество ошибок:", 40);
    lblTxSpeed = AddRow(L"Скорость, команд/c:", 64);
    lblCommandTime = AddRow(L"Время команды, мс.:", 88);
    lblErrRate = AddRow(L"Процент ошибок:", 112);
    lblTimeLeft = AddRow(L"Время теста, секунд:", 136);
  }

  void OnCommand(int id, int code, HWND) override {
    if (code != BN_CLICKED) return;
    if (id == idStart) RunTest();
    if (id == idStop) FStopped = true;
  }

 private:
  // The bevel around the labels as four etched lines: a static frame would
  // cover the labels' background, which the page (clipping its children)
  // then never paints.
  void AddFrame(int x, int y, int w, int h) {
    AddControl(L"STATIC", L"", SS_ETCHEDHORZ, x, y, w, 2, 0);
    AddControl(L"STATIC", L"", SS_ETCHEDHORZ, x, y + h - 2, w, 2, 0);
    AddControl(L"STATIC", L"", SS_ETCHEDVERT, x, y, 2, h, 0);
    AddControl(L"STATIC", L"", SS_ETCHEDVERT, x + w - 2, y, 2, h, 0);
  }

  // A caption at left 16 and its value label, designed "0", at left 144.
  HWND AddRow(const wchar_t* caption, int top) {
    AddControl(L"STATIC", caption, SS_LEFT, 16, top, 126, 16, 0);
    return AddControl(L"STATIC", L"0", SS_LEFT, 144, top, 84, 16, 0);
  }

  // The test loop, without the command bracket; whatever ends it, "Прервать"
  // is disabled and "Начать" enabled again, and an error is shown afterwards.
  void RunTest() {
    FStopped = false;
    EnableWindow(btnStop, TRUE);
    EnableWindow(btnStart, FALSE);
    std::exception_ptr error;
    {
      TLoopScope loop(*this);
      try {
        TConnectLogic(Driver()).Run(*this);
      } catch (...) {
        error = std::current_exception();
      }
      EnableWindow(btnStop, FALSE);
      EnableWindow(btnStart, IsWindowEnabled(btnStop) ? FALSE : TRUE);
    }
    if (error) std::rethrow_exception(error);
  }

  // TConnectHost
  std::uint32_t Tick() override { return GetTickCount(); }
  void Show(const TConnectCounters& counters) override {
    const TConnectView view = FormatConnectView(counters, DecimalSeparator());
    notarel::ui::SetText(lblRepCount, view.RepCount);
    notarel::ui::SetText(lblErrCount, view.ErrCount);
    notarel::ui::SetText(lblTxSpeed, view.TxSpeed);
    notarel::ui::SetText(lblErrRate, view.ErrRate);
    notarel::ui::SetText(lblTimeLeft, view.TimeLeft);
    notarel::ui::SetText(lblCommandTime, view.CommandTime);
  }
  void ProcessMessages() override { notarel::ui::ProcessMessages(); }
  void EndCommand() override { TPage::EndCommand(); }
  bool StopOnError() override { return SendMessageW(chbStopOnError, BM_GETCHECK, 0, 0) == BST_CHECKED; }
  bool Stopped() override { return FStopped || Closing(); }

  bool FStopped = false;
  HWND chbStopOnError = nullptr;
  HWND btnStart = nullptr;
  HWND btnStop = nullptr;
  HWND lblRepCount = nullptr;
  HWND lblErrCount = nullptr;
  HWND lblTxSpeed = nullptr;
  HWND lblCommandTime = nullptr;
  HWND lblErrRate = nullptr;
  HWND lblTimeLeft = nullptr;
};

}  // namespace

std::unique_ptr<TPage> CreateConnectPage() { return std::make_unique<TfmConnect>(); }
