#pragma once
// Small helpers shared by the control's windows and the test application:
// controls placed at design geometry (96 dpi pixels) scaled for the system's
// DPI, the system's dialog font, text as wide strings, and message loops for
// modal windows and long-running commands.
#include <windows.h>

#include <string>

#include "window_router.h"

namespace notarel::ui {

// Design pixels (96 dpi) to device pixels at the system's DPI.
int Scale(int px);

// The system's message font, as dialogs use it; shared, never deleted.
HFONT DialogFont();

// A child control at design geometry (scaled), visible, with DialogFont.
HWND CreateControl(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int x,
                   int y, int w, int h, int id, DWORD exStyle = 0);

// Sets the client area of `wnd` to the design size w × h (scaled).
void SetClientSize(HWND wnd, int w, int h);

// Centres `wnd` over `over`, or over the screen's work area when it is null.
void CenterWindow(HWND wnd, HWND over);

std::wstring GetText(HWND wnd);
void SetText(HWND wnd, const std::wstring& text);

// swprintf into a string.
std::wstring Format(const wchar_t* fmt, ...);

// The module (DLL or program) this code is linked into.
HINSTANCE OwnModule();

// A window of the system's dialog class made from an empty template (modal
// frame, caption, system menu); the form creates its components when the
// dialog is initialised and handles its messages, which reach it through the
// window router.
class TDialogForm : private TWindowTarget {
 public:
  virtual ~TDialogForm() = default;

 protected:
  // Creates the hidden dialog; true with FHandle set, false on failure.
  bool CreateDialogWindow();
  virtual void CreateComponents() = 0;
  virtual INT_PTR HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) = 0;

  HWND FHandle = nullptr;

 private:
  void WindowAttached(HWND wnd) override { FHandle = wnd; }
  LRESULT WindowMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
  void WindowDestroyed(HWND) override { FHandle = nullptr; }
};

// Handles every pending message, with the keyboard navigation of the
// top-level window each message is for. A WM_QUIT met is posted again, so
// that the outer message loop still ends.
void ProcessMessages();

// Shows `dialog` modally: disables `owner`, pumps messages until `done` is
// true or WM_QUIT arrives (posted again), re-enables and re-activates the
// owner, and returns `result`.
int RunModal(HWND dialog, HWND owner, const bool& done, const int& result);

}  // namespace notarel::ui
