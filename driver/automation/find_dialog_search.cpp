// The search dialog's work on the control: remembering and restoring the
// port parameters, the port-by-port search, stopping it, and choosing a row.
#include <windows.h>
#include <commctrl.h>

#include "find_dialog_form.h"
#include "member_guard.h"
#include "port_baud_lists.h"
#include "text_convert.h"
#include "win_ui.h"

namespace notarel {

namespace {

// Port numbers the search walks. The control takes only the numbers it can
// store, so the walk ends at the first number it does not take (see below).
constexpr LONG kLastPort = 64;
constexpr LONG kNoAnswer = -1;

std::wstring TakeText(BSTR text) {
  std::wstring result(text ? text : L"", text ? SysStringLen(text) : 0);
  SysFreeString(text);
  return result;
}

// Without trailing blanks and control characters.
std::wstring TrimRight(std::wstring text) {
  while (!text.empty() && text.back() <= L' ') text.pop_back();
  return text;
}

}  // namespace

void TfmFind::RememberPortParams() {
  CheckHr(FDriverIntf->get_BaudRate(&FSavedBaudRate), "BaudRate");
  SendMessageW(cbBaudRate, CB_SETCURSEL, static_cast<WPARAM>(BaudRateToIndex(FSavedBaudRate)), 0);
  CheckHr(FDriverIntf->get_PortNumber(&FSavedPortNumber), "PortNumber");
}

void TfmFind::RestorePortParams() {
  if (!FSearched) return;
  CheckHr(FDriverIntf->put_BaudRate(FSavedBaudRate), "BaudRate");
  CheckHr(FDriverIntf->put_PortNumber(FSavedPortNumber), "PortNumber");
}

void TfmFind::SearchDevices() {
  VARIANT_BOOL closed = VARIANT_FALSE;
  CheckHr(FDriverIntf->ClosePort(&closed), "ClosePort");
  const int speed = static_cast<int>(SendMessageW(cbBaudRate, CB_GETCURSEL, 0, 0));
  CheckHr(FDriverIntf->put_BaudRate(IndexToBaudRate(speed)), "BaudRate");
  FStopRequested = false;
  FSearched = true;
  for (LONG n = 1; n <= kLastPort; ++n) {
    // Lets the buttons react between probes.
    ui::ProcessMessages();
    if (FStopRequested) break;
    CheckHr(FDriverIntf->put_PortNumber(n), "PortNumber");
    // The control ignores a port number it cannot store (it keeps the one
    // before); probing then would report that port under this number, so
    // the walk ends at the first number not taken.
    LONG current = 0;
    CheckHr(FDriverIntf->get_PortNumber(&current), "PortNumber");
    if (current != n) break;
    const int row = AppendRow(n);
    bool found = false;
    const std::wstring text = ProbePort(found);
    CheckHr(FDriverIntf->ClosePort(&closed), "ClosePort");
    SetRowResult(row, text);
    LONG rate = 0;
    CheckHr(FDriverIntf->get_BaudRate(&rate), "BaudRate");
    FRows.push_back(TRowData{found, n, rate});
  }
}

std::wstring TfmFind::ProbePort(bool& found) {
  VARIANT_BOOL answered = VARIANT_FALSE;
  CheckHr(FDriverIntf->ReadModelID(&answered), "ReadModelID");
  found = answered != VARIANT_FALSE;
  if (found) {
    BSTR model = nullptr;
    CheckHr(FDriverIntf->get_ModelID(&model), "ModelID");
    return TrimRight(TakeText(model));
  }
  LONG code = 0;
  CheckHr(FDriverIntf->get_ResultCode(&code), "ResultCode");
  if (code == kNoAnswer) return L"не найдено";
  BSTR description = nullptr;
  CheckHr(FDriverIntf->get_ResultDescription(&description), "ResultDescription");
  return ui::Format(L"%d: %ls", static_cast<int>(code), TakeText(description).c_str());
}

int TfmFind::AppendRow(LONG port) {
  std::wstring caption = ui::Format(L"СOM%d", static_cast<int>(port));
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = static_cast<int>(SendMessageW(ListView, LVM_GETITEMCOUNT, 0, 0));
  item.pszText = caption.data();
  const int row = static_cast<int>(
      SendMessageW(ListView, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  SetRowResult(row, L"идет поиск...");
  SendMessageW(ListView, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
  // The probe blocks this thread; the row shows before it starts. Some
  // systems (Wine) put painted pixels on the screen only when the thread
  // looks at its queue, so the queue is looked at without taking a message.
  UpdateWindow(ListView);
  MSG peek;
  PeekMessageW(&peek, nullptr, 0, 0, PM_NOREMOVE);
  return row;
}

void TfmFind::SetRowResult(int row, const std::wstring& text) {
  std::wstring copy = text;
  LVITEMW item{};
  item.iSubItem = 1;
  item.pszText = copy.data();
  SendMessageW(ListView, LVM_SETITEMTEXTW, static_cast<WPARAM>(row),
               reinterpret_cast<LPARAM>(&item));
}

void TfmFind::StopSearch() {
  FStopRequested = true;
  // Keyboard focus must not stay on a button about to be disabled.
  if (GetFocus() == btnStop) SetFocus(btnStart);
  EnableWindow(btnStop, FALSE);
  EnableWindow(btnStart, TRUE);
  Animate.Stop();
}

void TfmFind::SelectDevice() {
  const int row = static_cast<int>(
      SendMessageW(ListView, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  if (row >= 0 && static_cast<size_t>(row) < FRows.size() && FRows[row].Found) {
    FSavedPortNumber = FRows[row].PortNumber;
    FSavedBaudRate = FRows[row].BaudRate;
  }
  btnCloseClick();
}

}  // namespace notarel
