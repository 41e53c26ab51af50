#pragma once
// Opening the control's property frame as a user meets it: the frame is
// modal, so the call that opens it runs on the test's main thread (the
// control's apartment) while a second thread finds the page's windows and
// drives them with a user's clicks and choices.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Notarel_h.h"
#include "com_ptr.h"
#include "emulator_peer.h"
#include "forwarding_control.h"

namespace notarel::test {

// The windows of one open frame and its page, found by class and caption.
struct PageWindows {
  HWND Frame = nullptr;
  HWND Page = nullptr;
  HWND BtnConnect = nullptr;
  HWND BtnFind = nullptr;
  HWND BtnSetDefaults = nullptr;
  HWND BtnAbout = nullptr;
  HWND CbPortNumber = nullptr;
  HWND CbBaudRate = nullptr;
  HWND CbCountryCode = nullptr;
  HWND EdtResult = nullptr;
  std::vector<HWND> Buttons() const { return {BtnConnect, BtnFind, BtnSetDefaults, BtnAbout}; }
};

// The text of the selected item of a combo box ("" without a selection).
std::wstring SelectedText(HWND combo);
// Design pixels at the display's DPI, as the page lays itself out.
int Scaled(int px);
// `wnd`'s rectangle in its parent's client coordinates.
RECT RectInParent(HWND wnd);
// Waits for a visible top-level window of this process other than `frame`.
HWND WaitForOtherWindow(HWND frame, int timeoutMs);
// Waits for a message box over the frame, checks that it shows `text`, and
// closes it.
void ExpectErrorBox(const PageWindows& w, const std::wstring& text);
// Returns once every message posted to the page's thread before the call
// has been handled.
void Flush(const PageWindows& w);
// The frame's OK button.
HWND FrameOk(const PageWindows& w);
// Where screenshots go: NOTAREL_SCREENSHOTS, else <build>/screenshots.
std::wstring ScreenshotPath(const std::wstring& name);

class PropertyPageTest : public ::testing::Test {
 protected:
  // A control on the emulator's port with no settings file beside the
  // server, and the emulator restarted.
  void SetUp() override;
  void TearDown() override;

  // Runs `open` (which shows the frame modally) on this thread and `user` on
  // a second thread once the page is there; the frame is closed (cancelled)
  // when `user` leaves it open. Returns what `open` returned.
  HRESULT RunFrame(const std::function<HRESULT()>& open,
                   const std::function<void(const PageWindows&)>& user);
  // The same through the control's own ShowProperties.
  void ShowProperties(const std::function<void(const PageWindows&)>& user);
  // The frame a container opens for `object` with the control's page.
  HRESULT OpenFrameFor(IUnknown* object);

  LONG ReadPort();
  LONG ReadBaud();
  std::wstring SettingsFile();
  std::string SettingsText();

  TComPtr<IWBA003_4> control_;
  std::unique_ptr<EmulatorPeer> emulator_;
  LONG emulatorPort_ = 5;
};

// The same over a stand-in control that forwards to the real one, counts the
// calls and can be made to fail; it must hold no reference from the page at the end.
class ForwardingControlTest : public PropertyPageTest {
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

  ForwardingControl* fake_ = nullptr;
};

}  // namespace notarel::test
