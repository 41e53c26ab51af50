// The window-procedure router: the object behind a window is kept in the
// window's user data, for plain windows and dialogs alike.
#include "window_router.h"

namespace notarel::ui {

namespace {

void Bind(HWND wnd, TWindowTarget* target) {
  SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(target));
  target->WindowAttached(wnd);
}

// Forgets the object of a window that is being destroyed and tells it so.
void Unbind(HWND wnd) {
  TWindowTarget* target = WindowTargetOf(wnd);
  DetachWindow(wnd);
  if (target) target->WindowDestroyed(wnd);
}

}  // namespace

void* RouteTo(TWindowTarget* target) { return target; }

TWindowTarget* WindowTargetOf(HWND wnd) {
  return reinterpret_cast<TWindowTarget*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
}

void DetachWindow(HWND wnd) {
  if (wnd) SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
}

LRESULT CALLBACK RoutedWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* target = reinterpret_cast<TWindowTarget*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    if (target) Bind(wnd, target);
  }
  if (msg == WM_NCDESTROY) {
    Unbind(wnd);
    return DefWindowProcW(wnd, msg, wParam, lParam);
  }
  TWindowTarget* target = WindowTargetOf(wnd);
  if (!target) return DefWindowProcW(wnd, msg, wParam, lParam);
  return target->WindowMessage(wnd, msg, wParam, lParam);
}

INT_PTR CALLBACK RoutedDialogProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    auto* target = reinterpret_cast<TWindowTarget*>(lParam);  // RouteTo's pointer
    if (target) Bind(wnd, target);
  }
  if (msg == WM_NCDESTROY) {
    Unbind(wnd);
    return FALSE;
  }
  TWindowTarget* target = WindowTargetOf(wnd);
  if (!target) return FALSE;
  return static_cast<INT_PTR>(target->WindowMessage(wnd, msg, wParam, lParam));
}

}  // namespace notarel::ui
