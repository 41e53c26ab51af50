// OK and Apply of the frame as a user presses them, on the two kinds of frame
// the page meets: Wine's, which never calls IPropertyPage::Apply and leaves
// the page its OK/Apply notification, and one that calls Apply while it
// handles that notification, as the frame of Windows does. Each press writes
// and saves the page once, and a failure shows one message.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include "applying_frame.h"
#include "forwarding_control.h"
#include "page_fixture.h"
#include "ui_probe.h"

namespace notarel::test {
namespace {

constexpr int kWaitMs = 20000;
const CLSID kPageClsid = {0xE27B2F22, 0x5587, 0x46AA, {0xAA, 0xD5, 0xC1, 0x7C, 0xB3, 0xB0, 0xBE, 0xE6}};

enum class Frame { Notifying, Applying };

std::string FrameName(const ::testing::TestParamInfo<Frame>& info) {
  return info.param == Frame::Applying ? "FrameCallingApply" : "WinesFrame";
}

class ApplyOnce : public ForwardingControlTest, public ::testing::WithParamInterface<Frame> {
 protected:

  void OpenFrame(const std::function<void(const PageWindows&)>& user) {
    IUnknown* object = static_cast<IWBA003_4*>(fake_);
    const HRESULT hr = RunFrame(
        [&] {
          return GetParam() == Frame::Applying
                     ? OpenApplyingFrame(object, kPageClsid, L"Frame calling Apply", applies_)
                     : OpenFrameFor(object);
        },
        user);
    EXPECT_EQ(hr, S_OK);
  }

  // The frame's own Apply calls, one per press on the frame that makes them,
  // none on Wine's. A failed one finds the failing member's error record.
  std::vector<FrameApply> AppliesOfTheFrame(std::vector<FrameApply> perPress) const {
    return GetParam() == Frame::Applying ? perPress : std::vector<FrameApply>{};
  }

  // Enables the frame's Apply button, which stays disabled for this page
  // since the page never reports a change, and presses it.
  static void PressApply(const PageWindows& w) {
    SendMessageW(w.Frame, PSM_CHANGED, reinterpret_cast<WPARAM>(GetParent(w.Page)), 0);
    const HWND apply = GetDlgItem(w.Frame, 0x3021);
    ASSERT_TRUE(uiprobe::IsEnabled(apply));
    uiprobe::Click(apply);
    Flush(w);
  }

  std::vector<FrameApply> applies_;
};

TEST_P(ApplyOnce, OkWritesAndSavesThePageOnce) {
  ASSERT_HRESULT_SUCCEEDED(control_->put_PortNumber(3));
  OpenFrame([&](const PageWindows& w) {
    uiprobe::Select(w.CbPortNumber, 6);
    Flush(w);
    uiprobe::Click(FrameOk(w));
    EXPECT_TRUE(uiprobe::WaitUntil([&] { return !IsWindow(w.Frame); }, kWaitMs));
  });
  EXPECT_EQ(fake_->Calls("put_PortNumber"), 1);
  EXPECT_EQ(fake_->Calls("SaveParams"), 1);
  EXPECT_EQ(applies_, AppliesOfTheFrame({{S_OK, L""}}));
  EXPECT_EQ(ReadPort(), 7);
  const std::string settings = SettingsText();
  EXPECT_NE(settings.find("<PortNumber>7</PortNumber>"), std::string::npos) << settings;
}

TEST_P(ApplyOnce, EachApplyPressWritesAndSavesOnceAndTheFrameStays) {
  OpenFrame([&](const PageWindows& w) {
    uiprobe::Select(w.CbPortNumber, 1);
    Flush(w);
    PressApply(w);
    EXPECT_EQ(fake_->Calls("put_PortNumber"), 1);
    EXPECT_EQ(fake_->Calls("SaveParams"), 1);
    uiprobe::Select(w.CbPortNumber, 3);
    Flush(w);
    PressApply(w);
    EXPECT_EQ(fake_->Calls("put_PortNumber"), 2);
    EXPECT_EQ(fake_->Calls("SaveParams"), 2);
    EXPECT_TRUE(IsWindow(w.Frame));
  });
  // Closed with Cancel: nothing more is written.
  EXPECT_EQ(fake_->Calls("SaveParams"), 2);
  EXPECT_EQ(fake_->Calls("put_PortNumber"), 2);
  EXPECT_EQ(applies_, AppliesOfTheFrame({{S_OK, L""}, {S_OK, L""}}));
  EXPECT_EQ(ReadPort(), 4);
}

TEST_P(ApplyOnce, FailedOkShowsOneMessageAndKeepsTheFrameOpen) {
  fake_->Fail("SaveParams");
  OpenFrame([&](const PageWindows& w) {
    uiprobe::Select(w.CbPortNumber, 8);
    Flush(w);
    uiprobe::Click(FrameOk(w));
    ExpectErrorBox(w, ForwardingControl::FailureText("SaveParams"));
    // Any second message would be up before the page's thread takes this.
    Flush(w);
    EXPECT_EQ(WaitForOtherWindow(w.Frame, 0), nullptr) << "a second message is shown";
    EXPECT_TRUE(IsWindow(w.Frame));
  });
  EXPECT_EQ(fake_->Calls("SaveParams"), 1);
  EXPECT_EQ(applies_, AppliesOfTheFrame({{kInjectedError, ForwardingControl::FailureText("SaveParams")}}));
  // What was written before the failing call stays written.
  EXPECT_EQ(ReadPort(), 9);
}

INSTANTIATE_TEST_SUITE_P(BothFrames, ApplyOnce, ::testing::Values(Frame::Notifying, Frame::Applying),
                         FrameName);

}  // namespace
}  // namespace notarel::test
