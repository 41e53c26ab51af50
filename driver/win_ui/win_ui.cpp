// Window helpers shared by the control's windows and the test application.
#include "win_ui.h"

#include <cstdarg>
#include <cstring>
#include <cwchar>
#include <vector>

namespace notarel::ui {

namespace {

int ScreenDpi() {
  static const int dpi = [] {
    HDC dc = GetDC(nullptr);
    const int value = dc ? GetDeviceCaps(dc, LOGPIXELSX) : 96;
    if (dc) ReleaseDC(nullptr, dc);
    return value > 0 ? value : 96;
  }();
  return dpi;
}

// Keyboard navigation (Tab, Enter, Esc) for the top-level window of `msg`.
bool DialogMessage(MSG& msg) {
  if (!msg.hwnd) return false;
  HWND top = GetAncestor(msg.hwnd, GA_ROOT);
  return top && IsDialogMessageW(top, &msg);
}

}  // namespace

HINSTANCE OwnModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                         GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&OwnModule), &module);
  return module;
}

bool TDialogForm::CreateDialogWindow() {
  // An empty template: no menu, the system's dialog class, no title; the
  // components come at WM_INITDIALOG.
  alignas(4) WORD buffer[sizeof(DLGTEMPLATE) / sizeof(WORD) + 3] = {};
  DLGTEMPLATE tpl{};
  tpl.style = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
  std::memcpy(buffer, &tpl, sizeof(tpl));
  CreateDialogIndirectParamW(OwnModule(), reinterpret_cast<DLGTEMPLATE*>(buffer), nullptr,
                             RoutedDialogProc, reinterpret_cast<LPARAM>(RouteTo(this)));
  return FHandle != nullptr;
}

LRESULT TDialogForm::WindowMessage(HWND, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    CreateComponents();
    return FALSE;
  }
  return HandleMessage(msg, wParam, lParam);
}

int Scale(int px) { return MulDiv(px, ScreenDpi(), 96); }

HFONT DialogFont() {
  static const HFONT font = [] {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
      if (HFONT f = CreateFontIndirectW(&metrics.lfMessageFont)) return f;
    }
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  }();
  return font;
}

HWND CreateControl(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int x,
                   int y, int w, int h, int id, DWORD exStyle) {
  HWND wnd = CreateWindowExW(exStyle, cls, text, style | WS_CHILD | WS_VISIBLE, Scale(x),
                             Scale(y), Scale(w), Scale(h), parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)),
                             nullptr);
  if (wnd) SendMessageW(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont()), FALSE);
  return wnd;
}

void SetClientSize(HWND wnd, int w, int h) {
  RECT rect{0, 0, Scale(w), Scale(h)};
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(wnd, GWL_STYLE));
  const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(wnd, GWL_EXSTYLE));
  AdjustWindowRectEx(&rect, style, GetMenu(wnd) != nullptr, exStyle);
  SetWindowPos(wnd, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CenterWindow(HWND wnd, HWND over) {
  RECT area{};
  if (!over || !GetWindowRect(over, &area)) SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  RECT rect{};
  GetWindowRect(wnd, &rect);
  const int w = rect.right - rect.left;
  const int h = rect.bottom - rect.top;
  int x = area.left + (area.right - area.left - w) / 2;
  int y = area.top + (area.bottom - area.top - h) / 2;
  if (x < 0) x = 0;
  if (y < 0) y = 0;
  SetWindowPos(wnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::wstring GetText(HWND wnd) {
  const int length = GetWindowTextLengthW(wnd);
  if (length <= 0) return std::wstring();
  std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
  const int got = GetWindowTextW(wnd, buffer.data(), length + 1);
  return std::wstring(buffer.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

void SetText(HWND wnd, const std::wstring& text) { SetWindowTextW(wnd, text.c_str()); }

std::wstring Format(const wchar_t* fmt, ...) {
  std::vector<wchar_t> buffer(256);
  for (;;) {
    va_list args;
    va_start(args, fmt);
    const int n = vswprintf(buffer.data(), buffer.size(), fmt, args);
    va_end(args);
    if (n >= 0 && static_cast<size_t>(n) < buffer.size()) return std::wstring(buffer.data(), n);
    if (buffer.size() > (1u << 20)) return std::wstring();
    buffer.resize(buffer.size() * 2);
  }
}

void ProcessMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    if (DialogMessage(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

int RunModal(HWND dialog, HWND owner, const bool& done, const int& result) {
  const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
  if (ownerWasEnabled) EnableWindow(owner, FALSE);
  ShowWindow(dialog, SW_SHOW);
  SetForegroundWindow(dialog);
  MSG msg;
  while (!done) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (got < 0) break;
    if (IsWindow(dialog) && IsDialogMessageW(dialog, &msg)) continue;
    if (DialogMessage(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (ownerWasEnabled) {
    EnableWindow(owner, TRUE);
    SetActiveWindow(owner);
  }
  return result;
}

}  // namespace notarel::ui
