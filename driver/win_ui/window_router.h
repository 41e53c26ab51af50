#pragma once
// The window-procedure router: a window's object keeps its `this` in the
// window and gets the window's messages as member calls.
//
// The router stores the object in the window's user data when the window is
// made (WM_NCCREATE from the creation parameter of CreateWindowEx,
// WM_INITDIALOG from the init parameter of a dialog), looks it up for every
// later message, and on WM_NCDESTROY forgets it and tells it that its window
// is gone. A message the window gets
// before WM_NCCREATE, after WM_NCDESTROY or after DetachWindow reaches the
// system's default handling and never the object.
#include <windows.h>

namespace notarel::ui {

class TWindowTarget {
 public:
  // The window has been made and is bound to this object; called once, on
  // WM_NCCREATE or WM_INITDIALOG, before that message is routed.
  virtual void WindowAttached(HWND wnd) { (void)wnd; }
  // A message of the bound window, WM_NCCREATE or WM_INITDIALOG included. A
  // window procedure returns its LRESULT; a dialog procedure returns it as
  // its INT_PTR (TRUE when the message was handled).
  virtual LRESULT WindowMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) = 0;
  // The window is being destroyed (WM_NCDESTROY) and no message of it reaches
  // the object again; it must not use the handle any more.
  virtual void WindowDestroyed(HWND wnd) { (void)wnd; }

 protected:
  ~TWindowTarget() = default;
};

// The creation parameter (CreateWindowEx's lpParam; a dialog's init
// parameter, cast to LPARAM) that binds a new window to `target`. The
// conversion to the router's type happens here, so that an object of several
// bases is found again at the right address.
void* RouteTo(TWindowTarget* target);

// The window procedure and the dialog procedure of routed windows.
LRESULT CALLBACK RoutedWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK RoutedDialogProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The object bound to `wnd`, or null.
TWindowTarget* WindowTargetOf(HWND wnd);

// Unbinds `wnd` from its object without telling the object: for an object
// that goes before its window, or that has stopped handling its messages.
void DetachWindow(HWND wnd);

}  // namespace notarel::ui
