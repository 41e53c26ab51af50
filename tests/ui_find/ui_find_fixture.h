#pragma once
// Helpers of the search dialog and about box tests: the apartment, the
// control created by class id, modal windows opened on the test's thread and
// driven from a second one, and the components of the search dialog.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Notarel_h.h"
#include "com_ptr.h"
#include "emulator_peer.h"

namespace notarel::test {

// Where the screenshots go: <build>/screenshots, or NOTAREL_SCREENSHOTS.
std::wstring ScreenshotPath(const std::wstring& name);

// Runs `call` on this thread, where it shows a modal window, while `user`
// acts on the windows from a second thread. Once `user` has returned, any
// window still open on this thread is closed, so a failed check ends the
// test instead of leaving it in a modal loop.
void WithUser(const std::function<void()>& call, const std::function<void()>& user);

// Saves a screenshot of `topLevel` once what its threads painted has had time
// to reach the screen (Wine copies painted pixels to the display when a
// thread of the process looks at its message queue).
bool Screenshot(HWND topLevel, const std::wstring& name);

// Whether the thread of `wnd` answers a message within `ms` milliseconds.
bool Responds(HWND wnd, UINT ms);

// The search dialog and its components, found as a user sees them.
struct TFindWindows {
  HWND Dialog = nullptr;
  HWND BaudRate = nullptr;
  HWND Start = nullptr;
  HWND Stop = nullptr;
  HWND List = nullptr;
  HWND Close = nullptr;
  HWND Animate = nullptr;

  // Waits for the dialog; every component found, or the test fails.
  static TFindWindows Wait();
  std::vector<std::wstring> Ports() const;
  std::vector<std::wstring> Results() const;
  // Waits until a search has run to its end: the start button is back, the
  // stop button is off and no row is still being probed.
  bool WaitSearchEnd(int timeoutMs) const;
  // Selects a row as a click on it would (selected and focused).
  void SelectRow(int row) const;
  void DoubleClickRow(int row) const;
};

// A control against the emulator: a fresh Notarel2 and the emulator behind
// its COM port, restarted for each test.
class ControlTest : public ::testing::Test {
 protected:
  void SetUp() override;

  LONG Long(HRESULT (STDMETHODCALLTYPE IWBA003_4::*get)(LONG*));
  std::wstring Text(HRESULT (STDMETHODCALLTYPE IWBA003_4::*get)(BSTR*));
  // The COM number the emulator answers on.
  LONG EmulatorPort() const { return emulatorPort_; }
  // Sends a control line to the emulator and expects it taken ("OK ...").
  void Emulator(const std::string& line);

  TComPtr<IWBA003_4> control_;
  std::unique_ptr<EmulatorPeer> peer_;
  LONG emulatorPort_ = 5;
};

}  // namespace notarel::test
