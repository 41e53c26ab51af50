// The window of TfmPage: its components at design geometry scaled for the
// system DPI, their anchoring when the frame sizes the page, painting, and
// the routing of commands to the page's handlers.
#include <windows.h>
#include <commctrl.h>

#include "module.h"
#include "port_baud_lists.h"
#include "property_page.h"
#include "win_ui.h"

namespace notarel {
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

}  // namespace notarel
