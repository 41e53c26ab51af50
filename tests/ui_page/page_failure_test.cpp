// The page against a control whose members fail with an HRESULT, and against
// a user who presses buttons again and again: errors are shown, the windows
// close, and the page gives back every reference it took.
#include "forwarding_control.h"
#include "page_fixture.h"
#include "text_convert.h"
#include "ui_probe.h"

namespace notarel::test {
namespace {

constexpr int kWaitMs = 20000;

// Waits for the error box over the frame, checks that it names the failing
// member, and closes it.
void ExpectErrorBox(const PageWindows& w, const std::string& member) {
  notarel::test::ExpectErrorBox(w, ForwardingControl::FailureText(member));
}

class FailingControlTest : public ForwardingControlTest {
 protected:
  HRESULT OpenFrame(const std::function<void(const PageWindows&)>& user) {
    return RunFrame([&] { return OpenFrameFor(static_cast<IWBA003_4*>(fake_)); }, user);
  }

};

TEST_F(FailingControlTest, PageWhoseLoadFailsStillOpensAndCloses) {
  ASSERT_HRESULT_SUCCEEDED(control_->put_PortNumber(3));
  fake_->Fail("get_BaudRate");
  const HRESULT hr = OpenFrame([&](const PageWindows& w) {
    // Nothing was loaded; the page still answers.
    EXPECT_EQ(SelectedText(w.CbPortNumber), L"");
    EXPECT_TRUE(uiprobe::IsEnabled(w.BtnConnect));
  });
  EXPECT_EQ(hr, S_OK);
}

// The buttons a handler disabled are enabled again before its error shows:
// the user meets the message over a page that can be used again.
void ExpectButtonsEnabledUnderTheErrorBox(const PageWindows& w) {
  ASSERT_NE(WaitForOtherWindow(w.Frame, kWaitMs), nullptr) << "no error shown";
  for (HWND button : w.Buttons()) EXPECT_TRUE(uiprobe::IsEnabled(button)) << uiprobe::Text(button);
}

TEST_F(FailingControlTest, FailingConnectionTestEnablesTheButtonsThenShowsTheError) {
  fake_->Fail("ReadModelID");
  OpenFrame([&](const PageWindows& w) {
    uiprobe::Click(w.BtnConnect);
    ExpectButtonsEnabledUnderTheErrorBox(w);
    ExpectErrorBox(w, "ReadModelID");
    EXPECT_EQ(uiprobe::Text(w.EdtResult), L"");
  });
}

TEST_F(FailingControlTest, FailingSearchEnablesTheButtonsThenShowsTheError) {
  fake_->Fail("ShowFindDlg");
  OpenFrame([&](const PageWindows& w) {
    uiprobe::Click(w.BtnFind);
    ExpectButtonsEnabledUnderTheErrorBox(w);
    ExpectErrorBox(w, "ShowFindDlg");
  });
}

TEST_F(FailingControlTest, FailingDefaultsAndAboutShowTheirErrors) {
  fake_->Fail("SetDefaults");
  fake_->Fail("AboutBox");
  OpenFrame([&](const PageWindows& w) {
    uiprobe::Click(w.BtnSetDefaults);
    ExpectErrorBox(w, "SetDefaults");
    uiprobe::Click(w.BtnAbout);
    ExpectErrorBox(w, "AboutBox");
  });
}

TEST_F(PropertyPageTest, RepeatedPressesEndWithTheLastResultAndUsableButtons) {
  std::wstring shown;
  ShowProperties([&](const PageWindows& w) {
    for (int i = 0; i < 4; ++i) {
      uiprobe::Click(w.BtnConnect);
      uiprobe::Click(w.BtnSetDefaults);
    }
    uiprobe::Select(w.CbPortNumber, emulatorPort_ - 1);
    uiprobe::Click(w.BtnConnect);
    uiprobe::Click(w.BtnConnect);
    Flush(w);
    shown = uiprobe::Text(w.EdtResult);
    for (HWND button : w.Buttons()) EXPECT_TRUE(uiprobe::IsEnabled(button));
  });
  TBstr model;
  ASSERT_HRESULT_SUCCEEDED(control_->get_ModelID(model.Out()));
  EXPECT_EQ(shown, std::wstring(model.Get() ? model.Get() : L""));
  EXPECT_FALSE(shown.empty());
  // The control still works after the frame is gone.
  VARIANT_BOOL ok = VARIANT_FALSE;
  ASSERT_HRESULT_SUCCEEDED(control_->ReadStatus(&ok));
  EXPECT_EQ(ok, VARIANT_TRUE);
}

TEST_F(PropertyPageTest, OpeningTheFrameAgainAndAgainLeavesNothingBehind) {
  for (int round = 0; round < 3; ++round) {
    ShowProperties([&](const PageWindows& w) { uiprobe::Click(FrameOk(w)); });
  }
  EXPECT_EQ(uiprobe::WaitForWindow(nullptr, L"#32770", 0, 0), nullptr);
  // The last page window is gone, and its window class with it.
  const HMODULE server = GetModuleHandleW(L"Notarel.dll");
  ASSERT_NE(server, nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  EXPECT_FALSE(GetClassInfoExW(server, L"TfmPage", &wc));
}

}  // namespace
}  // namespace notarel::test
