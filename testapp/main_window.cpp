// TfmMain: page list, data panel, result area and the window's buttons.
#include "main_window.h"

#include <exception>

#include "about_box.h"
#include "file_version_text.h"
#include "page_classes.h"
#include "win_ui.h"

const wchar_t kAppTitle[] = L"Тест драйвера RUD-003";

namespace {

const wchar_t kMainClass[] = L"NotaprobeMain";
const wchar_t kPanelClass[] = L"NotaprobePanel";

void RegisterClasses(WNDPROC mainProc) {
  static bool registered = false;
  if (registered) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpfnWndProc = mainProc;
  wc.lpszClassName = kMainClass;
  wc.hIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));  // IDI_APPLICATION
  RegisterClassExW(&wc);
  // The data panel: a plain container of the pages, without bevel.
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = kPanelClass;
  wc.hIcon = nullptr;
  RegisterClassExW(&wc);
  registered = true;
}

const DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

}  // namespace

TfmMain::TfmMain() {
  RegisterClasses(&notarel::ui::RoutedWindowProc);
  std::wstring caption = std::wstring(kAppTitle) + L" " + GetFileVersionText();
  FHandle = CreateWindowExW(WS_EX_CONTROLPARENT, kMainClass, caption.c_str(), kWindowStyle,
                            CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, nullptr, nullptr,
                            GetModuleHandleW(nullptr), notarel::ui::RouteTo(this));
  notarel::ui::SetClientSize(FHandle, 542, 368);
  notarel::ui::CenterWindow(FHandle, nullptr);
  CreateControls();
  try {
    FDriver = std::make_unique<TNotarel2>();
  } catch (...) {
    // Destroyed without its WM_DESTROY handling, which would post WM_QUIT and
    // so close the error's message box at once.
    notarel::ui::DetachWindow(FHandle);
    DestroyWindow(FHandle);
    FHandle = nullptr;
    throw;
  }
  FPageIndex = -1;
  FPages = std::make_unique<TPages>(*FDriver);
  FPages->SetOnChange([this] { PagesChange(); });
  FPages->SetOnLoopsDone([this] { PostMessageW(FHandle, WM_CLOSE, 0, 0); });
  AddPage(CreateAcceptPage());
  AddPage(CreateCommandPage());
  AddPage(CreateBillPage());
  AddPage(CreateParamPage());
  AddPage(CreatePollPage());
  AddPage(CreateConnectPage());
  AddPage(CreateFindDevicePage());
  UpdatePageList();
  SelectPage(0);
}

TfmMain::~TfmMain() {
  if (FHandle) DestroyWindow(FHandle);
  Shutdown();
}

void TfmMain::Show() {
  ShowWindow(FHandle, SW_SHOWNORMAL);
  UpdateWindow(FHandle);
  SetFocus(ListBox);
}

// Controls in tab order; labels and the bevel take no focus.
void TfmMain::CreateControls() {
  using notarel::ui::CreateControl;
  const DWORD tab = WS_TABSTOP;
  const DWORD ro = ES_READONLY | ES_AUTOHSCROLL | tab;
  ListBox = CreateControl(FHandle, L"LISTBOX", L"", LBS_NOTIFY | WS_VSCROLL | tab, 8, 8, 121, 248,
                          kListBox, WS_EX_CLIENTEDGE);
  pnlData = CreateControl(FHandle, kPanelClass, L"", WS_CLIPCHILDREN, 136, 0, 406, 263, 0,
                          WS_EX_CONTROLPARENT);
  CreateControl(FHandle, L"STATIC", L"", SS_ETCHEDHORZ, 8, 263, 529, 2, 0);
  CreateControl(FHandle, L"STATIC", L"Ошибка:", SS_LEFT, 8, 275, 62, 13, 0);
  edtResult = CreateControl(FHandle, L"EDIT", L"", ro, 72, 271, 361, 21, kResult, WS_EX_CLIENTEDGE);
  CreateControl(FHandle, L"STATIC", L"Передано:", SS_LEFT, 8, 299, 62, 13, 0);
  edtOutput = CreateControl(FHandle, L"EDIT", L"", ro, 72, 295, 361, 21, kOutput, WS_EX_CLIENTEDGE);
  CreateControl(FHandle, L"STATIC", L"Принято:", SS_LEFT, 8, 323, 62, 13, 0);
  edtInput = CreateControl(FHandle, L"EDIT", L"", ro, 72, 319, 361, 21, kInput, WS_EX_CLIENTEDGE);
  CreateControl(FHandle, L"STATIC", L"Время, мс:", SS_LEFT, 8, 347, 62, 13, 0);
  edtExecTime =
      CreateControl(FHandle, L"EDIT", L"", ro, 72, 343, 361, 21, kExecTime, WS_EX_CLIENTEDGE);
  CreateControl(FHandle, L"BUTTON", L"О программе...", BS_PUSHBUTTON | tab, 439, 272, 97, 25, kAbout);
  CreateControl(FHandle, L"BUTTON", L"Свойства...", BS_PUSHBUTTON | tab, 439, 304, 97, 26,
                kProperties);
  CreateControl(FHandle, L"BUTTON", L"Закрыть", BS_PUSHBUTTON | tab, 440, 336, 97, 25, kClose);
}

void TfmMain::AddPage(std::unique_ptr<TPage> page) {
  FPages->Add(page.get());
  page->Create(pnlData);
  FOwnedPages.push_back(std::move(page));
}

void TfmMain::UpdatePageList() {
  SendMessageW(ListBox, WM_SETREDRAW, FALSE, 0);
  SendMessageW(ListBox, LB_RESETCONTENT, 0, 0);
  for (int i = 0; i < FPages->Count(); ++i) {
    std::wstring item = notarel::ui::Format(L"%d. %ls", i + 1, FPages->Items(i)->Caption().c_str());
    SendMessageW(ListBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  }
  SendMessageW(ListBox, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(ListBox, nullptr, TRUE);
  if (FPages->Count() > 0) SelectPage(0);
}

bool TfmMain::IsValidPage(int index) const { return index >= 0 && index < FPages->Count(); }

void TfmMain::SelectPage(int index) {
  if (index == FPageIndex) return;
  if (IsValidPage(index)) {
    TPage* page = FPages->Items(index);
    RECT client;
    GetClientRect(pnlData, &client);
    SetWindowPos(page->Handle(), HWND_TOP, 0, 0, client.right, client.bottom, SWP_NOACTIVATE);
    ShowWindow(page->Handle(), SW_SHOW);
    page->UpdatePage();
  }
  if (IsValidPage(FPageIndex)) ShowWindow(FPages->Items(FPageIndex)->Handle(), SW_HIDE);
  FPageIndex = index;
  SendMessageW(ListBox, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void TfmMain::PagesChange() {
  if (FPages->State() == 0) {
    FStartTime = GetTickCount();
  } else if (FPages->State() == 1) {
    notarel::ui::SetText(edtInput, FDriver->GetString(kDispInput));
    notarel::ui::SetText(edtOutput, FDriver->GetString(kDispOutput));
    DWORD elapsed = GetTickCount() - FStartTime;  // modulo 2^32
    notarel::ui::SetText(edtExecTime, notarel::ui::Format(L"%lu", static_cast<unsigned long>(elapsed)));
    long code = FDriver->GetLong(kDispResultCode);
    std::wstring text = FDriver->GetString(kDispResultDescription);
    notarel::ui::SetText(edtResult, notarel::ui::Format(L"(%ld) %ls", code, text.c_str()));
  }
}

void TfmMain::ClearResult() {
  notarel::ui::SetText(edtResult, L"");
  notarel::ui::SetText(edtOutput, L"");
  notarel::ui::SetText(edtInput, L"");
  notarel::ui::SetText(edtExecTime, L"");
}

void TfmMain::ListBoxClick() {
  ClearResult();
  SelectPage(static_cast<int>(SendMessageW(ListBox, LB_GETCURSEL, 0, 0)));
}

void TfmMain::btnAboutClick() {
  std::vector<std::wstring> lines;
  lines.push_back(L"Версия теста: " + GetFileVersionText());
  lines.push_back(L"Версия драйвера: " + FDriver->GetString(kDispFileVersion));
  FPages->LoopEnter();  // a modal box on the stack: closing waits for it
  try {
    notarel::ShowAboutBox(FHandle, kAppTitle, lines);
  } catch (...) {
    FPages->LoopLeave();
    throw;
  }
  FPages->LoopLeave();
}

void TfmMain::btnPropertiesClick() {
  FPages->LoopEnter();  // the property frame is modal: closing waits for it
  try {
    FDriver->CallLong(&IWBA003_4::ShowProperties, L"ShowProperties");
  } catch (...) {
    FPages->LoopLeave();
    throw;
  }
  FPages->LoopLeave();
  if (IsValidPage(FPageIndex)) FPages->Items(FPageIndex)->UpdatePage();
}

// Closing while a long loop or a modal box is on the stack only asks the loops
// to end; the last one to leave posts WM_CLOSE again.
void TfmMain::OnClose() {
  if (FPages && FPages->LoopDepth() > 0) {
    FPages->RequestClose();
    return;
  }
  DestroyWindow(FHandle);
}

void TfmMain::Shutdown() {
  if (FDriver) {
    try {
      FDriver->Call(&IWBA003_4::StopPolling, L"StopPolling");
    } catch (const std::exception&) {
      // The control is released next whatever StopPolling said.
    }
  }
  // The pages first: the polling page detaches its handlers from the control.
  FOwnedPages.clear();
  FPages.reset();
  FDriver.reset();
}

void TfmMain::OnCommand(int id, int code) {
  switch (id) {
    case kListBox:
      if (code == LBN_SELCHANGE) ListBoxClick();
      break;
    case kAbout:
      if (code == BN_CLICKED) btnAboutClick();
      break;
    case kProperties:
      if (code == BN_CLICKED) btnPropertiesClick();
      break;
    case kClose:
      if (code == BN_CLICKED) PostMessageW(FHandle, WM_CLOSE, 0, 0);
      break;
    case kPageDefault:
      if (HWND button = ShownDefaultButton()) {
        if (IsWindowEnabled(button)) SendMessageW(button, BM_CLICK, 0, 0);
      }
      break;
    default:
      break;
  }
}

LRESULT TfmMain::WindowMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (!FHandle) return DefWindowProcW(wnd, msg, wp, lp);
  return Dispatch(msg, wp, lp);
}

HWND TfmMain::ShownDefaultButton() const {
  return IsValidPage(FPageIndex) ? FPages->Items(FPageIndex)->DefaultButton() : nullptr;
}

LRESULT TfmMain::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case DM_GETDEFID:
      // Keyboard navigation runs on this window for the whole program, so
      // Enter on a page reaches the page's default button through here.
      return ShownDefaultButton() ? MAKELRESULT(kPageDefault, DC_HASDEFID) : 0;
    case WM_COMMAND:
      // The dialog manager sends Enter on a focused page button to this
      // window; it belongs to the page, whose identifiers may equal ours.
      if (lp && GetParent(reinterpret_cast<HWND>(lp)) != FHandle) {
        return SendMessageW(GetParent(reinterpret_cast<HWND>(lp)), WM_COMMAND, wp, lp);
      }
      try {
        OnCommand(LOWORD(wp), HIWORD(wp));
      } catch (const std::exception& e) {
        ShowError(FHandle, e);
      }
      return 0;
    case WM_GETMINMAXINFO: {
      auto info = reinterpret_cast<MINMAXINFO*>(lp);
      info->ptMinTrackSize.x = notarel::ui::Scale(550);
      info->ptMinTrackSize.y = notarel::ui::Scale(380);
      return 0;
    }
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_DESTROY:
      Shutdown();
      notarel::ui::DetachWindow(FHandle);
      FHandle = nullptr;
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(FHandle, msg, wp, lp);
  }
}
