// TfmPage, the control's property page: IPropertyPage for the frame, the
// transfer of the settings between the page's components and the edited
// control, the handlers of its buttons, and its window.
#include "property_page.h"

#include <windows.h>
#include <commctrl.h>

#include <new>

#include "find_dialog.h"
#include "member_guard.h"
#include "module.h"
#include "port_baud_lists.h"
#include "text_convert.h"
#include "win_ui.h"

namespace notarel {

const wchar_t kPageCaption[] = L"Купюроприемник";

namespace {

// Runs a load for the frame and turns an error into the HRESULT the frame
// gets. A failing member of the control has posted its own error
// record already, which stays for the frame to read.
template <class F>
HRESULT Guarded(F operation) {
  try {
    operation();
  } catch (const TComError& error) {
    return error.Result();
  } catch (...) {
    return ReportCurrentException(L"TfmPage");
  }
  return S_OK;
}

}  // namespace

TfmPage::TfmPage() { ModuleAddObject(); }

TfmPage::~TfmPage() {
  DestroyPageWindow();
  ModuleReleaseObject();
}

HRESULT STDMETHODCALLTYPE TfmPage::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPropertyPage)) {
    *out = static_cast<IPropertyPage*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE TfmPage::AddRef() { return InterlockedIncrement(&FRefCount); }

ULONG STDMETHODCALLTYPE TfmPage::Release() {
  const LONG count = InterlockedDecrement(&FRefCount);
  if (count == 0) delete this;
  return count;
}

HRESULT STDMETHODCALLTYPE TfmPage::SetPageSite(IPropertyPageSite* site) {
  FPageSite = TComPtr<IPropertyPageSite>::Share(site);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TfmPage::Activate(HWND parent, LPCRECT rect, BOOL /*modal*/) {
  if (!rect) return E_POINTER;
  if (FWindow) return E_UNEXPECTED;
  // The page takes its own design size at the frame's origin: the frame
  // made room for the size the page reported, while the rectangle some
  // frames pass is that of a host window measured in other dialog units.
  const RECT own{rect->left, rect->top, rect->left + ui::Scale(kPageWidth),
                 rect->top + ui::Scale(kPageHeight)};
  if (!CreatePageWindow(parent, own)) return HRESULT_FROM_WIN32(GetLastError());
  return Guarded([this] { UpdatePropertyPage(); });
}

HRESULT STDMETHODCALLTYPE TfmPage::Deactivate() {
  DestroyPageWindow();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TfmPage::GetPageInfo(PROPPAGEINFO* info) {
  if (!info) return E_POINTER;
  const size_t bytes = sizeof(kPageCaption);
  auto* title = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
  if (!title) return E_OUTOFMEMORY;
  CopyMemory(title, kPageCaption, bytes);
  info->cb = sizeof(PROPPAGEINFO);
  info->pszTitle = title;
  info->size.cx = ui::Scale(kPageWidth);
  info->size.cy = ui::Scale(kPageHeight);
  info->pszDocString = nullptr;
  info->pszHelpFile = nullptr;
  info->dwHelpContext = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TfmPage::SetObjects(ULONG count, IUnknown** objects) {
  if (count > 0 && !objects) return E_POINTER;
  // A new edited object drops the interface kept for the old one.
  FDriverIntf.Reset();
  FObject = TComPtr<IUnknown>::Share(count > 0 ? objects[0] : nullptr);
  if (!FWindow || !FObject) return S_OK;
  return Guarded([this] { UpdatePropertyPage(); });
}

HRESULT STDMETHODCALLTYPE TfmPage::Show(UINT cmdShow) {
  if (!FWindow) return E_UNEXPECTED;
  ShowWindow(FWindow, static_cast<int>(cmdShow));
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TfmPage::Move(LPCRECT rect) {
  if (!rect) return E_POINTER;
  if (!FWindow) return E_UNEXPECTED;
  MoveWindow(FWindow, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top,
             TRUE);
  return S_OK;
}

// Edits never mark the page as changed: the values reach the control when the
// frame applies the page and before each connection test.
HRESULT STDMETHODCALLTYPE TfmPage::IsPageDirty() { return S_FALSE; }

HRESULT STDMETHODCALLTYPE TfmPage::Apply() {
  if (!FWindow) return S_OK;
  if (FInFrameApply) FAppliedInFrameApply = true;
  return ApplyOnce();
}

HRESULT STDMETHODCALLTYPE TfmPage::Help(LPCOLESTR) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE TfmPage::TranslateAccelerator(MSG* msg) {
  if (!msg) return E_POINTER;
  // Keyboard navigation between the page's controls.
  return FWindow && IsDialogMessageW(FWindow, msg) ? S_OK : S_FALSE;
}

IWBA003_4* TfmPage::GetDriverIntf() {
  if (!FDriverIntf) {
    if (!FObject) throw TComError(E_UNEXPECTED, "The page has no object to edit");
    CheckHr(FObject->QueryInterface(IID_IWBA003_4, FDriverIntf.OutVoid()), "IWBA003_4");
  }
  return FDriverIntf.Get();
}

namespace {

LRESULT SendTo(HWND wnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
  return SendMessageW(wnd, msg, wParam, lParam);
}

}  // namespace

void TfmPage::UpdatePropertyPage() {
  LONG value = 0;
  CheckHr(GetDriverIntf()->get_BaudRate(&value), "BaudRate");
  SendTo(Item(idCbBaudRate), CB_SETCURSEL, static_cast<WPARAM>(BaudRateToIndex(value)));
  CheckHr(GetDriverIntf()->get_PortNumber(&value), "PortNumber");
  SendTo(Item(idCbPortNumber), CB_SETCURSEL, static_cast<WPARAM>(value - 1));

  const HWND countries = Item(idCbCountryCode);
  ShowWindow(countries, SW_HIDE);
  SendTo(countries, CB_RESETCONTENT);
  int selection = 0;
  CheckHr(GetDriverIntf()->put_CurrencyIndex(0), "CurrencyIndex");
  LONG count = 0;
  CheckHr(GetDriverIntf()->get_CountryCount(&count), "CountryCount");
  for (LONG i = 0; i < count; ++i) {
    CheckHr(GetDriverIntf()->put_CountryIndex(i), "CountryIndex");
    VARIANT_BOOL ok = VARIANT_FALSE;
    CheckHr(GetDriverIntf()->GetCountryParams(&ok), "GetCountryParams");
    if (!ok) continue;
    TBstr currency, country;
    CheckHr(GetDriverIntf()->get_CurrencyName(currency.Out()), "CurrencyName");
    CheckHr(GetDriverIntf()->get_CountryName(country.Out()), "CountryName");
    const std::wstring line = BstrToWide(currency.Get()) + L" - " + BstrToWide(country.Get());
    SendTo(countries, CB_INSERTSTRING, static_cast<WPARAM>(-1),
           reinterpret_cast<LPARAM>(line.c_str()));
    LONG code = 0, current = 0;
    CheckHr(GetDriverIntf()->get_CountryCode(&code), "CountryCode");
    CheckHr(GetDriverIntf()->get_CurrentCountryCode(&current), "CurrentCountryCode");
    if (code == current) selection = static_cast<int>(i);
  }
  SendTo(countries, CB_SETCURSEL, static_cast<WPARAM>(selection));
  ShowWindow(countries, SW_SHOW);
}

void TfmPage::UpdateObject() {
  const auto selection = [this](int id) { return static_cast<int>(SendTo(Item(id), CB_GETCURSEL)); };
  CheckHr(GetDriverIntf()->put_BaudRate(IndexToBaudRate(selection(idCbBaudRate))), "BaudRate");
  CheckHr(GetDriverIntf()->put_PortNumber(selection(idCbPortNumber) + 1), "PortNumber");
  CheckHr(GetDriverIntf()->put_CountryIndex(selection(idCbCountryCode)), "CountryIndex");
  // The flags of these two are not examined: a failed country choice or
  // settings file leaves its result code in the control.
  VARIANT_BOOL ignored = VARIANT_FALSE;
  CheckHr(GetDriverIntf()->CountryByIndex(&ignored), "CountryByIndex");
  CheckHr(GetDriverIntf()->SaveParams(&ignored), "SaveParams");
}

HRESULT CreatePropertyPage(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  TfmPage* page = new (std::nothrow) TfmPage();
  if (!page) return E_OUTOFMEMORY;
  const HRESULT hr = page->QueryInterface(iid, out);
  page->Release();
  return hr;
}

// --- The handlers of the buttons and the result box. A failing member call
// ends the handler; the buttons are enabled again on every path, and then
// the error is shown to the user.

namespace {

const int kButtons[] = {idBtnConnect, idBtnFind, idBtnSetDefaults, idBtnAbout};

}  // namespace

TfmPage::TPageError TfmPage::RunHandler(const std::function<void()>& handler) {
  TPageError error;
  try {
    handler();
  } catch (const TComError& failure) {
    error.Result = failure.Result();
    // The message takes the record the failing call posted; a copy is kept.
    GetErrorInfo(0, error.Record.Out());
    if (error.Record) SetErrorInfo(0, error.Record.Get());
    error.Message = ComErrorMessage(failure.Result(), failure.what());
  } catch (const std::exception& failure) {
    error.Result = E_UNEXPECTED;
    error.Message = ComErrorMessage(E_UNEXPECTED, failure.what());
  }
  return error;
}

void TfmPage::ShowError(const TPageError& error) {
  if (SUCCEEDED(error.Result)) return;
  const HWND owner = FWindow ? GetAncestor(FWindow, GA_ROOT) : GetActiveWindow();
  MessageBoxW(owner, error.Message.c_str(), kPageCaption, MB_OK | MB_ICONERROR);
}

HRESULT TfmPage::ApplyOnce() {
  const TPageError error = RunHandler([this] { UpdateObject(); });
  ShowError(error);
  if (error.Record) SetErrorInfo(0, error.Record.Get());
  return error.Result;
}

void TfmPage::EnableButtons(bool on) {
  for (int id : kButtons) EnableWindow(Item(id), on ? TRUE : FALSE);
}

void TfmPage::ShowResult() {
  LONG code = 0;
  CheckHr(GetDriverIntf()->get_ResultCode(&code), "ResultCode");
  TBstr description;
  CheckHr(GetDriverIntf()->get_ResultDescription(description.Out()), "ResultDescription");
  const std::wstring message = BstrToWide(description.Get());
  ui::SetText(Item(idEdtResult), ui::Format(L"(%d) %ls", static_cast<int>(code), message.c_str()));
}

void TfmPage::btnConnectClick() {
  EnableButtons(false);
  const TPageError error = RunHandler([this] {
    UpdateObject();
    VARIANT_BOOL ok = VARIANT_FALSE;
    CheckHr(GetDriverIntf()->ReadModelID(&ok), "ReadModelID");
    if (ok) {
      TBstr model;
      CheckHr(GetDriverIntf()->get_ModelID(model.Out()), "ModelID");
      ui::SetText(Item(idEdtResult), BstrToWide(model.Get()));
    } else {
      ShowResult();
    }
  });
  EnableButtons(true);
  ShowError(error);
}

void TfmPage::btnFindClick() {
  EnableButtons(false);
  const TPageError error = RunHandler([this] {
    // Window handles are 32-bit values on every Windows.
    const LONG self = static_cast<LONG>(reinterpret_cast<LONG_PTR>(FWindow));
    CheckHr(GetDriverIntf()->put_ParentWnd(self), "ParentWnd");
    LONG ignored = 0;
    CheckHr(GetDriverIntf()->ShowFindDlg(&ignored), "ShowFindDlg");
    // The page may have been closed while the dialog ran.
    if (FWindow) UpdatePropertyPage();
  });
  if (FWindow) EnableButtons(true);
  ShowError(error);
}

void TfmPage::btnSetDefaultsClick() {
  ShowError(RunHandler([this] {
    LONG ignored = 0;
    CheckHr(GetDriverIntf()->SetDefaults(&ignored), "SetDefaults");
    UpdatePropertyPage();
  }));
}

void TfmPage::btnAboutClick() {
  ShowError(RunHandler([this] { CheckHr(GetDriverIntf()->AboutBox(), "AboutBox"); }));
}

void TfmPage::PropertyPagePaint() {
  InvalidateRect(Item(idCbBaudRate), nullptr, TRUE);
  InvalidateRect(Item(idCbPortNumber), nullptr, TRUE);
}

// --- The page window: its components at design geometry scaled for the
// system DPI, their anchoring when the frame sizes the page, painting, and
// the routing of commands to the page's handlers.

namespace {

const wchar_t kPageClass[] = L"TfmPage";
constexpr UINT_PTR kFrameSubclassId = 0x7F3A;

// How a component follows the page when the frame makes it larger or smaller
// than its design size.
enum TAnchor : unsigned {
  akNone = 0,
  akStretchDown = 1,
  akFollowBottom = 2,
  akStretchRight = 4,
  akFollowRight = 8,
};

struct TComponent {
  int id;
  const wchar_t* cls;
  const wchar_t* text;
  DWORD style;
  int x, y, w, h;
  unsigned anchors;
};

// Drop-down lists are created with room for their open list; the closed box
// keeps the system's height.
constexpr int kListHeight = 21 + 240;
constexpr DWORD kButton = WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kList = WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;

// In creation order, which is the tab order of the tab stops.
const TComponent kComponents[] = {
    {idBtnConnect, L"BUTTON", L"Проверка связи", kButton, 352, 8, 137, 33, akNone},
    {idBtnFind, L"BUTTON", L"Поиск оборудования...", kButton, 352, 48, 137, 33, akNone},
    {idCbPortNumber, L"COMBOBOX", L"", kList, 208, 24, 129, kListHeight, akNone},
    {idCbBaudRate, L"COMBOBOX", L"", kList, 208, 56, 129, kListHeight, akNone},
    {idCbCountryCode, L"COMBOBOX", L"", kList, 208, 88, 129, kListHeight, akNone},
    {idBtnSetDefaults, L"BUTTON", L"По умолчанию", kButton, 352, 88, 137, 33, akNone},
    {idBtnAbout, L"BUTTON", L"О драйвере...", WS_TABSTOP | BS_OWNERDRAW, 352, 128, 137, 33,
     akNone},
    {idLblPortNumber, L"STATIC", L"Номер порта:", SS_LEFT, 127, 28, 78, 13, akNone},
    {idLBaudRate, L"STATIC", L"Скорость:", SS_LEFT, 127, 60, 78, 13, akNone},
    {idLblCountryCode, L"STATIC", L"Код страны:", SS_LEFT, 127, 92, 78, 13, akNone},
    {idLblResult, L"STATIC", L"Результат:", SS_LEFT, 120, 196, 62, 13, akFollowBottom},
    {idEdtResult, L"EDIT", L"", ES_READONLY | ES_AUTOHSCROLL, 184, 192, 305, 21,
     akFollowBottom | akStretchRight},
    {idImage1, L"STATIC", L"", SS_OWNERDRAW, 8, 32, 100, 146, akNone},
    // The bevels lie under everything else and never paint over it.
    {idBevel1, L"STATIC", L"", SS_SUNKEN | WS_CLIPSIBLINGS, 8, 8, 105, 209, akStretchDown},
    // The framed bevel around the settings is four etched lines: a framed
    // static would cover the labels' background, which it leaves unpainted
    // and the page (clipping its children) never paints either.
    {idBvlParams, L"STATIC", L"", SS_ETCHEDHORZ, 120, 8, 225, 2, akStretchRight},
    {idBvlParamsBottom, L"STATIC", L"", SS_ETCHEDHORZ, 120, 183, 225, 2, akStretchRight},
    {idBvlParamsLeft, L"STATIC", L"", SS_ETCHEDVERT, 120, 8, 2, 177, akNone},
    {idBvlParamsRight, L"STATIC", L"", SS_ETCHEDVERT, 343, 8, 2, 177, akFollowRight},
};

bool RegisterPageClass() {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof(existing);
  if (GetClassInfoExW(ModuleHandle(), kPageClass, &existing)) return true;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &ui::RoutedWindowProc;
  wc.hInstance = ModuleHandle();
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512) /* the arrow */);
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszClassName = kPageClass;
  return RegisterClassExW(&wc) != 0;
}

}  // namespace

bool TfmPage::CreatePageWindow(HWND parent, const RECT& rect) {
  if (!RegisterPageClass()) return false;
  FWindow = CreateWindowExW(WS_EX_CONTROLPARENT, kPageClass, kPageCaption, WS_CHILD | WS_CLIPCHILDREN,
                            rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                            parent, nullptr, ModuleHandle(), ui::RouteTo(this));
  if (!FWindow) return false;
  CreateComponents();
  FillBaudRates(Item(idCbBaudRate));
  FillPortNumbers(Item(idCbPortNumber));
  LayOut();
  // Frames built on a property sheet tell the page's parent about OK and
  // Apply by a notification; the page listens for it there.
  if (parent && SetWindowSubclass(parent, &TfmPage::FrameSubclassProc, kFrameSubclassId,
                                  reinterpret_cast<DWORD_PTR>(this))) {
    FFrameWindow = parent;
  }
  return true;
}

void TfmPage::CreateComponents() {
  for (const TComponent& c : kComponents) {
    const DWORD exStyle = c.id == idEdtResult ? WS_EX_CLIENTEDGE : 0;
    ui::CreateControl(FWindow, c.cls, c.text, c.style, c.x, c.y, c.w, c.h, c.id, exStyle);
  }
}

void TfmPage::DestroyPageWindow() {
  if (FFrameWindow) {
    RemoveWindowSubclass(FFrameWindow, &TfmPage::FrameSubclassProc, kFrameSubclassId);
    FFrameWindow = nullptr;
  }
  if (!FWindow) return;
  ui::DetachWindow(FWindow);
  DestroyWindow(FWindow);
  FWindow = nullptr;
  // Fails while another page window exists, which then keeps the class.
  UnregisterClassW(kPageClass, ModuleHandle());
}

// Anchored components move with the page's deviation from its design size.
void TfmPage::LayOut() {
  RECT client;
  GetClientRect(FWindow, &client);
  const int dx = client.right - ui::Scale(kPageWidth);
  const int dy = client.bottom - ui::Scale(kPageHeight);
  for (const TComponent& c : kComponents) {
    if (c.anchors == akNone) continue;
    int x = ui::Scale(c.x), y = ui::Scale(c.y), w = ui::Scale(c.w), h = ui::Scale(c.h);
    if (c.anchors & akFollowRight) x += dx;
    if (c.anchors & akFollowBottom) y += dy;
    if (c.anchors & akStretchDown) h += dy;
    if (c.anchors & akStretchRight) w += dx;
    SetWindowPos(Item(c.id), nullptr, x, y, w > 0 ? w : 0, h > 0 ? h : 0,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

LRESULT TfmPage::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
      HandleCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_PAINT: {
      PropertyPagePaint();
      PAINTSTRUCT ps;
      BeginPaint(FWindow, &ps);
      EndPaint(FWindow, &ps);
      return 0;
    }
    case WM_SIZE:
      LayOut();
      return 0;
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item.CtlID == idImage1) DrawImage(item);
      if (item.CtlID == idBtnAbout) DrawAboutButton(item);
      return TRUE;
    }
    case WM_CTLCOLORSTATIC: {
      // Labels and the read-only result box sit on the button face.
      const HDC dc = reinterpret_cast<HDC>(wParam);
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    default:
      return DefWindowProcW(FWindow, msg, wParam, lParam);
  }
}

void TfmPage::HandleCommand(int id, int code) {
  if (code != BN_CLICKED) return;
  // The page may be released by the frame while a handler's modal window
  // runs; the reference keeps it until the handler has returned.
  AddRef();
  switch (id) {
    case idBtnConnect: btnConnectClick(); break;
    case idBtnFind: btnFindClick(); break;
    case idBtnSetDefaults: btnSetDefaultsClick(); break;
    case idBtnAbout: btnAboutClick(); break;
    default: break;
  }
  Release();
}

// OK and Apply reach the page in one of two ways, and each press applies it
// once: a frame that calls IPropertyPage::Apply does so while its page
// window handles this notification; a frame that never calls it (Wine's)
// leaves the notification to apply the page.
LRESULT CALLBACK TfmPage::FrameSubclassProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR /*id*/, DWORD_PTR data) {
  if (msg != WM_NOTIFY || reinterpret_cast<const NMHDR*>(lParam)->code != PSN_APPLY) {
    return DefSubclassProc(wnd, msg, wParam, lParam);
  }
  auto* page = reinterpret_cast<TfmPage*>(data);
  // The frame may release the page while it handles the notification.
  page->AddRef();
  page->FInFrameApply = true;
  page->FAppliedInFrameApply = false;
  LRESULT result = DefSubclassProc(wnd, msg, wParam, lParam);
  page->FInFrameApply = false;
  // A failed apply has been shown, and the frame stays open.
  if (!page->FAppliedInFrameApply && page->FWindow && FAILED(page->ApplyOnce())) {
    result = PSNRET_INVALID_NOCHANGEPAGE;
  }
  page->Release();
  return result;
}

// --- The drawn parts: the decorative picture beside the settings and the
// about button with its 16 by 16 glyph.

namespace {

// Fills a rectangle given in design pixels relative to `origin`.
void FillDesignRect(HDC dc, POINT origin, int x, int y, int w, int h, COLORREF color) {
  const RECT r{origin.x + ui::Scale(x), origin.y + ui::Scale(y), origin.x + ui::Scale(x + w),
               origin.y + ui::Scale(y + h)};
  const HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

}  // namespace

// An acceptor's front with a note entering its slot, drawn on the button face
// so that the picture looks transparent on the page.
void TfmPage::DrawImage(const DRAWITEMSTRUCT& item) const {
  const HDC dc = item.hDC;
  FillRect(dc, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
  const POINT o{item.rcItem.left, item.rcItem.top};
  FillDesignRect(dc, o, 14, 40, 72, 100, RGB(64, 64, 72));     // body
  FillDesignRect(dc, o, 18, 44, 64, 92, RGB(96, 96, 108));     // front panel
  FillDesignRect(dc, o, 24, 56, 52, 6, RGB(16, 16, 16));       // slot
  FillDesignRect(dc, o, 30, 6, 40, 54, RGB(120, 170, 110));    // note
  FillDesignRect(dc, o, 34, 10, 32, 46, RGB(150, 200, 140));   // note print
  FillDesignRect(dc, o, 44, 22, 12, 12, RGB(110, 160, 100));   // note seal
  FillDesignRect(dc, o, 24, 56, 52, 3, RGB(16, 16, 16));       // slot edge over the note
  FillDesignRect(dc, o, 46, 110, 8, 8, RGB(40, 200, 60));      // lamp
}

void TfmPage::DrawAboutButton(const DRAWITEMSTRUCT& item) const {
  const HDC dc = item.hDC;
  RECT r = item.rcItem;
  const bool pushed = (item.itemState & ODS_SELECTED) != 0;
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  UINT frame = DFCS_BUTTONPUSH | DFCS_ADJUSTRECT;
  if (pushed) frame |= DFCS_PUSHED;
  DrawFrameControl(dc, &r, DFC_BUTTON, frame);
  const int shift = pushed ? 1 : 0;

  // The glyph sits at the margin; the caption is centred in the rest.
  const int glyph = ui::Scale(16);
  const int glyphLeft = item.rcItem.left + ui::Scale(20) + shift;
  const int glyphTop = (item.rcItem.top + item.rcItem.bottom - glyph) / 2 + shift;
  const HICON icon = static_cast<HICON>(
      LoadImageW(nullptr, MAKEINTRESOURCEW(32516) /* the information icon */, IMAGE_ICON, glyph, glyph, LR_SHARED));
  if (icon) {
    DrawIconEx(dc, glyphLeft, glyphTop, icon, glyph, glyph, 0, nullptr, DI_NORMAL);
  }
  RECT textRect{glyphLeft + glyph + ui::Scale(4), item.rcItem.top + shift,
                item.rcItem.right - ui::Scale(4) + shift, item.rcItem.bottom + shift};
  const std::wstring caption = ui::GetText(item.hwndItem);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
  const HGDIOBJ oldFont = SelectObject(dc, ui::DialogFont());
  DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &textRect,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(dc, oldFont);

  if (item.itemState & ODS_FOCUS) {
    RECT focus = item.rcItem;
    InflateRect(&focus, -ui::Scale(4), -ui::Scale(4));
    DrawFocusRect(dc, &focus);
  }
}

}  // namespace notarel
