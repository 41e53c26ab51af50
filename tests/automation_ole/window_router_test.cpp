// The window-procedure router behind the control's window, the property page,
// the dialogs and Notaprobe's windows: which object a message reaches, from
// the window's creation to its destruction.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <vector>

#include "ax_window.h"
#include "window_router.h"

namespace {

using notarel::ui::TWindowTarget;

constexpr UINT kProbe = WM_APP + 7;
constexpr LRESULT kProbeAnswer = 0x5A5A;

// A base with state of its own in front of the router's base, as in an object
// that is a COM interface first: its TWindowTarget sits at an offset.
struct TFrontBase {
  virtual ~TFrontBase() = default;
  long Front = 0x1234;
};

// Records every call the router makes, with the object's own address check.
class TRecorder : public TFrontBase, public TWindowTarget {
 public:
  struct TCall {
    char Kind;  // 'a' attached, 'm' message, 'd' destroyed
    UINT Msg;
    HWND Wnd;
    bool SelfIntact;
  };
  std::vector<TCall> Calls;
  HWND Handle = nullptr;

  void WindowAttached(HWND wnd) override {
    Handle = wnd;
    Calls.push_back({'a', 0, wnd, Intact()});
  }
  LRESULT WindowMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) override {
    Calls.push_back({'m', msg, wnd, Intact()});
    if (msg == kProbe) return kProbeAnswer;
    return DefWindowProcW(wnd, msg, wParam, lParam);
  }
  void WindowDestroyed(HWND wnd) override {
    Calls.push_back({'d', 0, wnd, Intact()});
    Handle = nullptr;
  }

  int Count(char kind, UINT msg = 0) const {
    int n = 0;
    for (const TCall& call : Calls) n += call.Kind == kind && (kind != 'm' || call.Msg == msg);
    return n;
  }

 private:
  bool Intact() const { return Front == 0x1234; }
};

const wchar_t kClass[] = L"NotarelRouterTest";

void RegisterRoutedClass() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &notarel::ui::RoutedWindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kClass;
  RegisterClassExW(&wc);
}

// A top-level window with a thick frame: the system asks it WM_GETMINMAXINFO
// before WM_NCCREATE, when no object is bound yet.
HWND CreateRouted(TRecorder* target, HWND parent = nullptr) {
  RegisterRoutedClass();
  const DWORD style = parent ? WS_CHILD : WS_OVERLAPPEDWINDOW;
  return CreateWindowExW(0, kClass, L"router", style, 0, 0, 120, 80, parent, nullptr,
                         GetModuleHandleW(nullptr), notarel::ui::RouteTo(target));
}

}  // namespace

TEST(WindowRouter, BindsTheObjectOnNcCreateAndRoutesEveryLaterMessageToIt) {
  TRecorder target;
  HWND wnd = CreateRouted(&target);
  ASSERT_NE(wnd, nullptr);
  ASSERT_GE(target.Calls.size(), 2u);
  // Attached first, then WM_NCCREATE itself; nothing from before it.
  EXPECT_EQ(target.Calls[0].Kind, 'a');
  EXPECT_EQ(target.Calls[1].Kind, 'm');
  EXPECT_EQ(target.Calls[1].Msg, static_cast<UINT>(WM_NCCREATE));
  EXPECT_EQ(target.Count('m', WM_CREATE), 1);
  EXPECT_EQ(target.Handle, wnd);
  EXPECT_EQ(notarel::ui::WindowTargetOf(wnd), static_cast<TWindowTarget*>(&target));
  EXPECT_EQ(SendMessageW(wnd, kProbe, 0, 0), kProbeAnswer);
  for (const TRecorder::TCall& call : target.Calls) {
    EXPECT_EQ(call.Wnd, wnd);
    // The object is found at its own address although its router base is not first.
    EXPECT_TRUE(call.SelfIntact);
  }
  DestroyWindow(wnd);
}

TEST(WindowRouter, TellsTheObjectOnceWhenItsWindowIsDestroyedAndRoutesNothingAfter) {
  TRecorder target;
  HWND wnd = CreateRouted(&target);
  ASSERT_NE(wnd, nullptr);
  DestroyWindow(wnd);
  ASSERT_FALSE(target.Calls.empty());
  EXPECT_EQ(target.Count('d'), 1);
  EXPECT_EQ(target.Calls.back().Kind, 'd');
  EXPECT_EQ(target.Calls.back().Wnd, wnd);
  EXPECT_EQ(target.Count('m', WM_DESTROY), 1);
  // WM_NCDESTROY is the router's: the object has only heard that it is gone.
  EXPECT_EQ(target.Count('m', WM_NCDESTROY), 0);
  EXPECT_EQ(target.Handle, nullptr);
}

TEST(WindowRouter, AChildDestroyedWithItsParentTellsItsObject) {
  TRecorder parentTarget;
  TRecorder childTarget;
  HWND parent = CreateRouted(&parentTarget);
  ASSERT_NE(parent, nullptr);
  HWND child = CreateRouted(&childTarget, parent);
  ASSERT_NE(child, nullptr);
  DestroyWindow(parent);
  EXPECT_EQ(childTarget.Count('d'), 1);
  EXPECT_EQ(childTarget.Handle, nullptr);
  EXPECT_EQ(parentTarget.Handle, nullptr);
}

TEST(WindowRouter, ADetachedWindowGetsTheDefaultHandlingAndDoesNotReachItsObject) {
  TRecorder target;
  HWND wnd = CreateRouted(&target);
  ASSERT_NE(wnd, nullptr);
  notarel::ui::DetachWindow(wnd);
  const size_t before = target.Calls.size();
  EXPECT_EQ(SendMessageW(wnd, kProbe, 0, 0), 0);
  EXPECT_EQ(notarel::ui::WindowTargetOf(wnd), nullptr);
  DestroyWindow(wnd);
  EXPECT_EQ(target.Calls.size(), before);
  EXPECT_EQ(target.Handle, wnd);  // never told: it had let go of the window itself
}

namespace {

// A dialog from an empty in-memory template, routed through RoutedDialogProc.
HWND CreateRoutedDialog(TRecorder* target) {
  alignas(4) WORD buffer[sizeof(DLGTEMPLATE) / sizeof(WORD) + 3] = {};
  DLGTEMPLATE tpl{};
  tpl.style = WS_POPUP | WS_CAPTION;
  std::memcpy(buffer, &tpl, sizeof tpl);
  return CreateDialogIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<DLGTEMPLATE*>(buffer),
                                    nullptr, &notarel::ui::RoutedDialogProc,
                                    reinterpret_cast<LPARAM>(notarel::ui::RouteTo(target)));
}

}  // namespace

TEST(WindowRouter, ADialogIsBoundOnInitDialogAndAnswersThroughTheDialogProcedure) {
  TRecorder target;
  HWND dialog = CreateRoutedDialog(&target);
  ASSERT_NE(dialog, nullptr);
  ASSERT_GE(target.Calls.size(), 2u);
  EXPECT_EQ(target.Calls[0].Kind, 'a');
  EXPECT_EQ(target.Calls[1].Msg, static_cast<UINT>(WM_INITDIALOG));
  // Messages before WM_INITDIALOG (WM_SETFONT among them) did not reach the object.
  EXPECT_EQ(target.Count('m', WM_NCCREATE), 0);
  EXPECT_TRUE(target.Calls[1].SelfIntact);
  DestroyWindow(dialog);
  EXPECT_EQ(target.Calls.back().Kind, 'd');
  EXPECT_EQ(target.Handle, nullptr);
}

TEST(WindowRouter, TheControlsWindowForgetsItsHandleWhenTheContainerDestroysIt) {
  TRecorder hostTarget;
  HWND host = CreateRouted(&hostTarget);
  ASSERT_NE(host, nullptr);
  TAxCtrl control;
  ASSERT_NE(control.Create(host, RECT{0, 0, 40, 40}), nullptr);
  DestroyWindow(host);
  EXPECT_EQ(control.Handle(), nullptr);
}
