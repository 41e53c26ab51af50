// TPage: a page's window inside the main window's data panel, its controls
// with anchors, the command bracket and the dispatch of its messages.
#include "page.h"

#include <exception>
#include <stdexcept>

#include "ole_error.h"
#include "win_ui.h"

namespace {

const wchar_t kPageClass[] = L"NotaprobePage";

void RegisterPageClass() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &notarel::ui::RoutedWindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kPageClass;
  registered = RegisterClassExW(&wc) != 0;
}

}  // namespace

TPage::TPage(std::wstring caption, int designWidth, int designHeight, bool sizeable)
    : FCaption(std::move(caption)),
      FDesignWidth(designWidth),
      FDesignHeight(designHeight),
      FSizeable(sizeable) {}

TPage::~TPage() {
  FPages = nullptr;
  if (FHandle) {
    notarel::ui::DetachWindow(FHandle);
    DestroyWindow(FHandle);
  }
}

void TPage::Create(HWND parent) {
  RegisterPageClass();
  SIZE size = CompensatedSize(FDesignWidth, FDesignHeight, FSizeable);
  FHandle = CreateWindowExW(WS_EX_CONTROLPARENT, kPageClass, FCaption.c_str(),
                            WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                            notarel::ui::Scale(size.cx), notarel::ui::Scale(size.cy), parent,
                            nullptr, GetModuleHandleW(nullptr), notarel::ui::RouteTo(this));
  CreateControls(FHandle);
  Layout();
}

HWND TPage::AddControl(const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w,
                       int h, int id, unsigned anchors, DWORD exStyle) {
  HWND wnd = notarel::ui::CreateControl(FHandle, cls, text, style, x, y, w, h, id, exStyle);
  FPlaced.push_back(TPlaced{wnd, RECT{x, y, x + w, y + h}, anchors});
  return wnd;
}

// Keeps each control's distance to its anchored edges: a control anchored
// left and right stretches, one anchored right only moves with the right edge.
void TPage::Layout() {
  if (!FHandle) return;
  RECT client;
  GetClientRect(FHandle, &client);
  int dx = client.right - notarel::ui::Scale(FDesignWidth);
  int dy = client.bottom - notarel::ui::Scale(FDesignHeight);
  for (const TPlaced& placed : FPlaced) {
    int left = notarel::ui::Scale(placed.Design.left);
    int top = notarel::ui::Scale(placed.Design.top);
    int width = notarel::ui::Scale(placed.Design.right - placed.Design.left);
    int height = notarel::ui::Scale(placed.Design.bottom - placed.Design.top);
    if (placed.Anchors & akRight) {
      if (placed.Anchors & akLeft)
        width += dx;
      else
        left += dx;
    }
    if (placed.Anchors & akBottom) {
      if (placed.Anchors & akTop)
        height += dy;
      else
        top += dy;
    }
    SetWindowPos(placed.Wnd, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void TPage::EnableButtons(bool enabled) {
  if (enabled)
    FPages->EndCommand();
  else
    FPages->BeginCommand();
  TSizeableForm::EnableButtons(enabled);
}

bool TPage::RunBracket(const std::function<void()>& work) {
  std::exception_ptr error;
  EnableButtons(false);
  try {
    work();
    EndCommand();
  } catch (...) {
    error = std::current_exception();
  }
  try {
    EnableButtons(true);
  } catch (...) {
    if (!error) error = std::current_exception();
  }
  if (!error) return true;
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    ShowError(GetAncestor(FHandle, GA_ROOT), e);
  } catch (...) {
    ShowError(GetAncestor(FHandle, GA_ROOT), std::runtime_error("unknown error"));
  }
  return false;
}

LRESULT TPage::WindowMessage(HWND, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (lp) {
        // An error a handler lets through reaches the application's error
        // display here; it must not unwind through the system's dispatch.
        try {
          OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
        } catch (const std::exception& e) {
          ShowError(GetAncestor(FHandle, GA_ROOT), e);
        }
        return 0;
      }
      break;
    case WM_SIZE:
      Layout();
      return 0;
    default: {
      bool handled = false;
      LRESULT result = 0;
      try {
        result = OnMessage(msg, wp, lp, handled);
      } catch (const std::exception& e) {
        ShowError(GetAncestor(FHandle, GA_ROOT), e);
        return 0;
      }
      if (handled) return result;
    }
  }
  return DefWindowProcW(FHandle, msg, wp, lp);
}
