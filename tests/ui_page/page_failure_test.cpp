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

// Whether some static text of `box` contains `text`.
bool ShowsText(HWND box, const std::wstring& text) {
  for (HWND wnd : uiprobe::Children(box, L"Static")) {
    if (uiprobe::Text(wnd).find(text) != std::wstring::npos) return true;
  }
  return false;
}

// Waits for the error box over the frame, checks its text, and closes it.
void ExpectErrorBox(const PageWindows& w, const std::string& member) {
  const HWND box = WaitForOtherWindow(w.Frame, kWaitMs);
  ASSERT_NE(box, nullptr) << "no error shown for " << member;
  EXPECT_TRUE(ShowsText(box, ForwardingControl::FailureText(member))) << member;
  uiprobe::Close(box);
  EXPECT_TRUE(uiprobe::WaitUntil([&] { return !IsWindow(box); }, kWaitMs));
}

class FailingControlTest : public PropertyPageTest {
 protected:
  void SetUp() override {
    PropertyPageTest::SetUp();
    if (control_) fake_ = new ForwardingControl(control_.Get());
  }
  void TearDown() override {
    if (fake_) {
      EXPECT_EQ(fake_->ExtraReferences(), 0) << "the page kept references to the control";
      fake_->Release();
    }
    PropertyPageTest::TearDown();
  }
  HRESULT OpenFrame(const std::function<void(const PageWindows&)>& user) {
    return RunFrame([&] { return OpenFrameFor(static_cast<IWBA003_4*>(fake_)); }, user);
  }

  ForwardingControl* fake_ = nullptr;
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

TEST_F(FailingControlTest, FailingConnectionTestShowsTheErrorAndEnablesTheButtons) {
  fake_->Fail("ReadModelID");
  OpenFrame([&](const PageWindows& w) {
    uiprobe::Click(w.BtnConnect);
    ExpectErrorBox(w, "ReadModelID");
    EXPECT_TRUE(uiprobe::WaitUntil([&] { return uiprobe::IsEnabled(w.BtnConnect); }, kWaitMs));
    EXPECT_TRUE(uiprobe::IsEnabled(w.BtnFind));
    EXPECT_TRUE(uiprobe::IsEnabled(w.BtnSetDefaults));
    EXPECT_TRUE(uiprobe::IsEnabled(w.BtnAbout));
    EXPECT_EQ(uiprobe::Text(w.EdtResult), L"");
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

TEST_F(FailingControlTest, FailingApplyShowsTheErrorAndKeepsTheFrameOpen) {
  fake_->Fail("SaveParams");
  OpenFrame([&](const PageWindows& w) {
    uiprobe::Select(w.CbPortNumber, 8);
    uiprobe::Click(FrameOk(w));
    ExpectErrorBox(w, "SaveParams");
    Flush(w);
    EXPECT_TRUE(IsWindow(w.Frame));
  });
  // What was written before the failing call stays written.
  EXPECT_EQ(ReadPort(), 9);
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
