// The search dialog over a control whose member fails with an HRESULT: the
// error is shown to the user, it ends the search, the dialog goes on
// answering, and closing still gives the control its port and speed back.
#include "find_dialog.h"
#include "forwarding_control.h"
#include "ui_find_fixture.h"
#include "ui_probe.h"

namespace notarel::test {
namespace {

constexpr int kWaitMs = 20000;

struct TOtherWindow {
  HWND dialog;
  HWND found;
};

BOOL CALLBACK FindOtherWindow(HWND wnd, LPARAM param) {
  auto* find = reinterpret_cast<TOtherWindow*>(param);
  if (wnd == find->dialog || !IsWindowVisible(wnd)) return TRUE;
  find->found = wnd;
  return FALSE;
}

// A visible top-level window of the dialog's thread other than the dialog.
HWND OtherWindowOf(HWND dialog) {
  TOtherWindow find{dialog, nullptr};
  EnumThreadWindows(GetWindowThreadProcessId(dialog, nullptr), FindOtherWindow,
                    reinterpret_cast<LPARAM>(&find));
  return find.found;
}

bool ShowsText(HWND box, const std::wstring& text) {
  for (HWND wnd : uiprobe::Children(box, L"Static")) {
    if (uiprobe::Text(wnd).find(text) != std::wstring::npos) return true;
  }
  return false;
}

TEST_F(ControlTest, AFailingMemberIsShownAndEndsTheSearch) {
  ASSERT_EQ(control_->put_PortNumber(7), S_OK);
  ASSERT_EQ(control_->put_BaudRate(19200), S_OK);
  auto* fake = new ForwardingControl(control_.Get());
  fake->Fail("ReadModelID");
  size_t rowsAfterError = 99;
  bool errorShown = false;
  WithUser([&] { ShowFindDialog(nullptr, fake); },
           [&] {
             const TFindWindows w = TFindWindows::Wait();
             if (!w.Dialog || !w.Start) return;
             uiprobe::Click(w.Start);
             HWND box = nullptr;
             uiprobe::WaitUntil([&] { return (box = OtherWindowOf(w.Dialog)) != nullptr; }, kWaitMs);
             ASSERT_NE(box, nullptr) << "no error shown";
             errorShown = ShowsText(box, ForwardingControl::FailureText("ReadModelID"));
             uiprobe::Close(box);
             // The row being probed keeps its text; the buttons are back.
             EXPECT_TRUE(uiprobe::WaitUntil(
                 [&] { return uiprobe::IsEnabled(w.Start) && !uiprobe::IsEnabled(w.Stop); }, kWaitMs));
             rowsAfterError = w.Results().size();
             uiprobe::Close(w.Dialog);
           });
  EXPECT_TRUE(errorShown);
  // The first probe failed: the search went no further than its first row.
  EXPECT_LE(rowsAfterError, 1u);
  EXPECT_EQ(Long(&IWBA003_4::get_PortNumber), 7);
  EXPECT_EQ(Long(&IWBA003_4::get_BaudRate), 19200);
  EXPECT_EQ(fake->ExtraReferences(), 0) << "the dialog kept references to the control";
  fake->Release();
}

}  // namespace
}  // namespace notarel::test
