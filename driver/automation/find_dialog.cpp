// TfmFind, the search dialog: its window made from an empty in-memory dialog
// template, its components at design geometry, the dispatch of its messages,
// the handlers of its buttons and list, and its work on the control
// (remembering and restoring the port parameters, the port-by-port search,
// stopping it, and choosing a row).
#include "find_dialog.h"

#include <commctrl.h>

#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "find_dialog_animation.h"
#include "member_guard.h"
#include "port_baud_lists.h"
#include "text_convert.h"
#include "win_ui.h"

namespace notarel {

class TfmFind : public ui::TDialogForm {
 public:
  explicit TfmFind(IWBA003_4* driver);
  TfmFind(const TfmFind&) = delete;
  TfmFind& operator=(const TfmFind&) = delete;
  ~TfmFind() override;

  // Creates the window owned by `owner`, remembers the port parameters, runs
  // the dialog until it closes, writes the parameters back and destroys it.
  void ShowModal(HWND owner);

 private:
  // What a row keeps about its probe.
  struct TRowData {
    bool Found;
    LONG PortNumber;
    LONG BaudRate;
  };

  static LRESULT CALLBACK ListViewProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void CreateComponents() override;
  void HandleCommand(int id);
  void HandleListNotify(const NMHDR* header);

  void btnStartClick();
  void btnStopClick();
  void btnCloseClick();
  void ListViewDblClick();
  void ListViewKeyDown(WORD key);

  void RememberPortParams();
  void RestorePortParams();
  void SearchDevices();
  void StopSearch();
  void SelectDevice();
  std::wstring ProbePort(bool& found);
  int AppendRow(LONG port);
  void SetRowResult(int row, const std::wstring& text);

  // Runs a handler; a failing member call ends it and is shown in a message box.
  template <typename F>
  void Guarded(F handler);

  IWBA003_4* FDriverIntf;
  LONG FSavedBaudRate = 0;
  LONG FSavedPortNumber = 0;
  bool FStopRequested = false;
  bool FSearched = false;
  bool FSearching = false;
  bool FDone = false;
  int FModalResult = 0;
  std::vector<TRowData> FRows;

  HWND lblBaudRate = nullptr;
  HWND cbBaudRate = nullptr;
  HWND btnStart = nullptr;
  HWND btnStop = nullptr;
  HWND ListView = nullptr;
  HWND btnClose = nullptr;
  TSearchAnimation Animate;
  WNDPROC FListViewProc = nullptr;
};

namespace {

enum : int {
  idBaudRateLabel = 100,
  idBaudRate,
  idStart,
  idStop,
  idListView,
  idClose,
  idAnimate,
};

const wchar_t kCaption[] = L"Поиск оборудования";
const wchar_t kListViewSelf[] = L"NotarelFindDialog";

// The module this code is linked into, for the dialog's instance handle.
void AddColumn(HWND list, int index, const wchar_t* title, int width) {
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  column.pszText = const_cast<wchar_t*>(title);
  column.cx = width;
  column.iSubItem = index;
  SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(&column));
}

}  // namespace

bool HasInteractiveWindowStation() {
  HWINSTA station = GetProcessWindowStation();
  USEROBJECTFLAGS flags{};
  if (!station || !GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr)) {
    return false;
  }
  return (flags.dwFlags & WSF_VISIBLE) != 0;
}

void ShowFindDialog(HWND owner, IWBA003_4* control) {
  if (!control || !HasInteractiveWindowStation()) return;
  INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_LISTVIEW_CLASSES | ICC_ANIMATE_CLASS};
  InitCommonControlsEx(&classes);
  TfmFind form(control);
  form.ShowModal(owner);
}

TfmFind::TfmFind(IWBA003_4* driver) : FDriverIntf(driver) { FDriverIntf->AddRef(); }

TfmFind::~TfmFind() {
  if (FHandle) DestroyWindow(FHandle);
  FDriverIntf->Release();
}

void TfmFind::ShowModal(HWND owner) {
  if (!CreateDialogWindow()) throw TComError(HRESULT_FROM_WIN32(GetLastError()), "TfmFind");
  SetWindowLongPtrW(FHandle, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  RememberPortParams();
  // The owner may be a child window (the property page); the whole window it
  // sits in is what a modal dialog keeps the user away from.
  ui::RunModal(FHandle, owner ? GetAncestor(owner, GA_ROOT) : nullptr, FDone, FModalResult);
  RestorePortParams();
}

INT_PTR TfmFind::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) HandleCommand(LOWORD(wParam));
      return TRUE;
    case WM_NOTIFY:
      HandleListNotify(reinterpret_cast<const NMHDR*>(lParam));
      return TRUE;
    case WM_CLOSE:
      btnCloseClick();
      return TRUE;
    case WM_TIMER:
      return Animate.HandleTimer(wParam) ? TRUE : FALSE;
    case WM_DRAWITEM:
      return Animate.HandleDrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)) ? TRUE : FALSE;
    case WM_DESTROY:
      Animate.Stop();
      ui::DetachWindow(FHandle);
      FHandle = nullptr;
      return TRUE;
    default:
      return FALSE;
  }
}

void TfmFind::CreateComponents() {
  ui::SetText(FHandle, kCaption);
  SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(ui::DialogFont()), FALSE);
  ui::SetClientSize(FHandle, 447, 189);
  lblBaudRate = ui::CreateControl(FHandle, L"STATIC", L"Скорость обмена", SS_LEFT | SS_NOPREFIX, 8,
                                  12, 190, 16, idBaudRateLabel);
  // A drop-down list's window height is the height of its open list.
  cbBaudRate = ui::CreateControl(FHandle, WC_COMBOBOXW, nullptr,
                                 CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 208, 8, 145, 120,
                                 idBaudRate);
  FillBaudRates(cbBaudRate);
  btnStart = ui::CreateControl(FHandle, L"BUTTON", L"Начать поиск", BS_PUSHBUTTON | WS_TABSTOP,
                               360, 8, 83, 25, idStart);
  btnStop = ui::CreateControl(FHandle, L"BUTTON", L"Прервать", BS_PUSHBUTTON | WS_TABSTOP, 360,
                              40, 83, 25, idStop);
  EnableWindow(btnStop, FALSE);
  ListView = ui::CreateControl(FHandle, WC_LISTVIEWW, nullptr,
                               LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER |
                                   WS_TABSTOP,
                               8, 40, 345, 145, idListView, WS_EX_CLIENTEDGE);
  SendMessageW(ListView, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_FLATSB);
  RECT client{};
  GetClientRect(ListView, &client);
  AddColumn(ListView, 0, L"Порт", ui::Scale(80));
  // The second column takes the rest, leaving room for the vertical scroll
  // bar a long list shows.
  AddColumn(ListView, 1, L"Название устройства",
            client.right - ui::Scale(80) - GetSystemMetrics(SM_CXVSCROLL));
  // Enter in the list is the list's own key (a choice), not the dialog's.
  SetPropW(ListView, kListViewSelf, reinterpret_cast<HANDLE>(this));
  FListViewProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      ListView, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TfmFind::ListViewProc)));
  btnClose = ui::CreateControl(FHandle, L"BUTTON", L"Закрыть", BS_PUSHBUTTON | WS_TABSTOP, 360,
                               160, 83, 25, idClose);
  Animate.Create(FHandle, 360, 72, 44, 40, idAnimate);
  ui::CenterWindow(FHandle, nullptr);
  SetFocus(cbBaudRate);
}

LRESULT CALLBACK TfmFind::ListViewProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<TfmFind*>(GetPropW(wnd, kListViewSelf));
  const WNDPROC original = self ? self->FListViewProc : DefWindowProcW;
  if (msg == WM_GETDLGCODE && lParam) {
    const MSG* key = reinterpret_cast<const MSG*>(lParam);
    if (key->message == WM_KEYDOWN && key->wParam == VK_RETURN) {
      return CallWindowProcW(original, wnd, msg, wParam, lParam) | DLGC_WANTMESSAGE;
    }
  }
  if (msg == WM_NCDESTROY && self) {
    RemovePropW(wnd, kListViewSelf);
    SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
  }
  return CallWindowProcW(original, wnd, msg, wParam, lParam);
}

void TfmFind::HandleCommand(int id) {
  switch (id) {
    case idStart:
      btnStartClick();
      break;
    case idStop:
      btnStopClick();
      break;
    case idClose:
    case IDCANCEL:
      btnCloseClick();
      break;
    default:
      break;
  }
}

void TfmFind::HandleListNotify(const NMHDR* header) {
  if (!header || header->hwndFrom != ListView) return;
  if (header->code == NM_DBLCLK) {
    ListViewDblClick();
  } else if (header->code == LVN_KEYDOWN) {
    ListViewKeyDown(reinterpret_cast<const NMLVKEYDOWN*>(header)->wVKey);
  }
}

template <typename F>
void TfmFind::Guarded(F handler) {
  try {
    handler();
  } catch (const TComError& error) {
    MessageBoxW(FHandle, ComErrorMessage(error.Result(), error.what()).c_str(), kCaption,
                MB_OK | MB_ICONERROR);
  } catch (const std::exception& error) {
    MessageBoxW(FHandle, DriverTextToWide(error.what()).c_str(), kCaption, MB_OK | MB_ICONERROR);
  }
}

void TfmFind::btnStartClick() {
  if (FSearching) return;
  Guarded([&] {
    SendMessageW(ListView, LVM_DELETEALLITEMS, 0, 0);
    FRows.clear();
    EnableWindow(btnStop, TRUE);
    if (GetFocus() == btnStart) SetFocus(btnStop);
    EnableWindow(btnStart, FALSE);
    Animate.Play();
    FSearching = true;
    try {
      SearchDevices();
    } catch (...) {
      FSearching = false;
      StopSearch();
      throw;
    }
    FSearching = false;
    StopSearch();
  });
}

void TfmFind::btnStopClick() { StopSearch(); }

void TfmFind::btnCloseClick() {
  // A close during a search also ends the search after the running probe;
  // the dialog closes once the search has returned to the modal loop.
  if (FSearching) FStopRequested = true;
  FDone = true;
}

void TfmFind::ListViewDblClick() { Guarded([&] { SelectDevice(); }); }

void TfmFind::ListViewKeyDown(WORD key) {
  if (key == VK_RETURN) Guarded([&] { SelectDevice(); });
}


// --- The search

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
