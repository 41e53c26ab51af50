// The search dialog as a user works it, opened through the control's own
// ShowFindDlg against the emulator; the other port numbers have no device.
#include <algorithm>
#include <iostream>
#include <regex>
#include <thread>

#include "ui_find_fixture.h"
#include "ui_probe.h"

namespace notarel::test {
namespace {

constexpr int kSearchTimeoutMs = 120000;
constexpr int kWaitMs = 20000;
// Port numbers the control can store, and so the rows of a whole search.
constexpr size_t kPorts = 32;

// A row's result for a port without a device: no answer, or the code and
// the driver's Russian message of the failure ("-2: Ошибка открытия порта. ...").
bool IsNoDevice(const std::wstring& text) {
  static const std::wregex failure(L"-[0-9]+: [\u0410-\u044F][^\u00C0-\u00FF]*");
  return text == L"не найдено" || std::regex_match(text, failure);
}

std::wstring PortCaption(size_t n) { return L"\u0421OM" + std::to_wstring(n); }

// Ends a stream of noise from the emulator however the test ends, so that a
// probe held by it cannot keep the dialog in a search forever.
class TNoiseGuard {
 public:
  explicit TNoiseGuard(EmulatorPeer& peer) : peer_(peer) {}
  ~TNoiseGuard() { peer_.Command("stream off"); }
  TNoiseGuard(const TNoiseGuard&) = delete;
  TNoiseGuard& operator=(const TNoiseGuard&) = delete;

 private:
  EmulatorPeer& peer_;
};

class FindDialog : public ControlTest {
 protected:
  // Opens the dialog through the control and lets `user` work it.
  void Show(const std::function<void(const TFindWindows&)>& user) {
    LONG value = 5;
    HRESULT hr = E_FAIL;
    WithUser([&] { hr = control_->ShowFindDlg(&value); },
             [&] {
               const TFindWindows w = TFindWindows::Wait();
               if (w.Dialog && w.List && w.Start) user(w);
             });
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(value, 0);
  }

  VARIANT_BOOL PortOpened() {
    VARIANT_BOOL value = 5;
    EXPECT_EQ(control_->get_PortOpened(&value), S_OK);
    return value;
  }

  // The model identifier the emulator gives, read through the control.
  std::wstring ModelOnEmulatorPort() {
    EXPECT_EQ(control_->put_PortNumber(EmulatorPort()), S_OK);
    VARIANT_BOOL ok = VARIANT_FALSE;
    EXPECT_EQ(control_->ReadModelID(&ok), S_OK);
    EXPECT_EQ(ok, VARIANT_TRUE) << "the emulator did not answer on COM" << EmulatorPort();
    std::wstring model = Text(&IWBA003_4::get_ModelID);
    while (!model.empty() && model.back() <= L' ') model.pop_back();
    VARIANT_BOOL closed = VARIANT_FALSE;
    control_->ClosePort(&closed);
    return model;
  }

  // Starts a search with the emulator streaming noise at 9600 baud wire
  // speed: its port's probe then reads about a second of bytes that never
  // make a frame before it gives up. Returns once that probe is running,
  // that is when the dialog's thread is too busy to answer for a while; a
  // probe of a port without a device ends in a small fraction of that.
  bool StartHeldSearch(const TFindWindows& w) {
    Emulator("wire 9600");
    Emulator("stream on");
    uiprobe::Click(w.Start);
    return uiprobe::WaitUntil([&] { return !Responds(w.Dialog, 400); }, kWaitMs);
  }
};

TEST_F(FindDialog, SearchListsEveryPortAndEnterOnTheDeviceHandsBackItsPortAndSpeed) {
  const std::wstring model = ModelOnEmulatorPort();
  ASSERT_EQ(control_->put_PortNumber(2), S_OK);
  ASSERT_EQ(control_->put_BaudRate(9600), S_OK);
  Show([&](const TFindWindows& w) {
    // The dialog as it opens: the control's speed, an empty list, idle.
    EXPECT_EQ(uiprobe::ListItems(w.BaudRate), (std::vector<std::wstring>{L"9600", L"19200"}));
    EXPECT_EQ(uiprobe::Selection(w.BaudRate), 0);
    EXPECT_TRUE(w.Ports().empty());
    EXPECT_TRUE(uiprobe::IsEnabled(w.Start));
    EXPECT_FALSE(uiprobe::IsEnabled(w.Stop));
    EXPECT_FALSE(uiprobe::IsVisible(w.Animate));
    std::cout << "search animation: " << (uiprobe::ClassOf(w.Animate) == L"SysAnimate32"
                                              ? "the shell's clip" : "drawn frames") << "\n";

    uiprobe::Select(w.BaudRate, 1);
    uiprobe::Click(w.Start);
    ASSERT_TRUE(w.WaitSearchEnd(kSearchTimeoutMs));
    const auto ports = w.Ports();
    const auto results = w.Results();
    ASSERT_EQ(ports.size(), kPorts);
    ASSERT_EQ(results.size(), kPorts);
    for (size_t i = 0; i < kPorts; ++i) {
      EXPECT_EQ(ports[i], PortCaption(i + 1));
      if (static_cast<LONG>(i + 1) == EmulatorPort()) {
        EXPECT_EQ(results[i], model);
      } else {
        EXPECT_TRUE(IsNoDevice(results[i])) << "COM" << i + 1 << ": " << results[i].size();
      }
    }
    EXPECT_FALSE(uiprobe::IsVisible(w.Animate));
    w.SelectRow(static_cast<int>(EmulatorPort() - 1));
    EXPECT_TRUE(Screenshot(w.Dialog, L"find_after_search.png"));
    uiprobe::Key(w.List, VK_RETURN);
  });
  EXPECT_EQ(Long(&IWBA003_4::get_PortNumber), EmulatorPort());
  EXPECT_EQ(Long(&IWBA003_4::get_BaudRate), 19200);
  EXPECT_EQ(PortOpened(), VARIANT_FALSE);
}

TEST_F(FindDialog, DoubleClickOnTheDeviceChoosesItAndEnterOnAnEmptyPortChangesNothing) {
  ASSERT_EQ(control_->put_PortNumber(3), S_OK);
  ASSERT_EQ(control_->put_BaudRate(19200), S_OK);
  Show([&](const TFindWindows& w) {
    EXPECT_EQ(uiprobe::Selection(w.BaudRate), 1);
    uiprobe::Select(w.BaudRate, 0);
    uiprobe::Click(w.Start);
    ASSERT_TRUE(w.WaitSearchEnd(kSearchTimeoutMs));
    w.DoubleClickRow(static_cast<int>(EmulatorPort() - 1));
  });
  EXPECT_EQ(Long(&IWBA003_4::get_PortNumber), EmulatorPort());
  EXPECT_EQ(Long(&IWBA003_4::get_BaudRate), 9600);

  // A row without a device keeps what the control had when the dialog opened.
  ASSERT_EQ(control_->put_PortNumber(3), S_OK);
  Show([&](const TFindWindows& w) {
    uiprobe::Click(w.Start);
    ASSERT_TRUE(w.WaitSearchEnd(kSearchTimeoutMs));
    w.SelectRow(0);
    uiprobe::Key(w.List, VK_RETURN);
  });
  EXPECT_EQ(Long(&IWBA003_4::get_PortNumber), 3);
  EXPECT_EQ(Long(&IWBA003_4::get_BaudRate), 9600);
}

TEST_F(FindDialog, ClosingWithoutASearchLeavesThePortAsItWas) {
  ASSERT_EQ(control_->put_PortNumber(EmulatorPort()), S_OK);
  ASSERT_EQ(control_->put_BaudRate(19200), S_OK);
  VARIANT_BOOL opened = VARIANT_FALSE;
  ASSERT_EQ(control_->OpenPort(&opened), S_OK);
  ASSERT_EQ(opened, VARIANT_TRUE);
  Show([&](const TFindWindows& w) { uiprobe::Key(w.List, VK_ESCAPE); });
  // Owned by a child window, as the property page opens it: the window the
  // child sits in is off while the dialog is open.
  HWND frame = CreateWindowExW(0, L"STATIC", L"Рамка", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400,
                               300, nullptr, nullptr, nullptr, nullptr);
  HWND page = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 10, 10, 200, 100, frame,
                              nullptr, nullptr, nullptr);
  ASSERT_TRUE(frame && page);
  ASSERT_EQ(control_->put_ParentWnd(static_cast<LONG>(reinterpret_cast<INT_PTR>(page))), S_OK);
  bool frameDisabled = false;
  Show([&](const TFindWindows& w) {
    frameDisabled = !uiprobe::IsEnabled(frame);
    uiprobe::Click(w.Close);
  });
  EXPECT_TRUE(frameDisabled);
  EXPECT_TRUE(uiprobe::IsEnabled(frame));
  DestroyWindow(frame);
  EXPECT_EQ(Long(&IWBA003_4::get_PortNumber), EmulatorPort());
  EXPECT_EQ(Long(&IWBA003_4::get_BaudRate), 19200);
  EXPECT_EQ(PortOpened(), VARIANT_TRUE);
}

TEST_F(FindDialog, ASpeedTheListLacksComesBackAfterASearch) {
  ASSERT_EQ(control_->put_PortNumber(7), S_OK);
  ASSERT_EQ(control_->put_BaudRate(4800), S_OK);
  Show([&](const TFindWindows& w) {
    EXPECT_EQ(uiprobe::Text(w.BaudRate), L"9600");
    uiprobe::Click(w.Start);
    ASSERT_TRUE(w.WaitSearchEnd(kSearchTimeoutMs));
    uiprobe::Click(w.Close);
  });
  EXPECT_EQ(Long(&IWBA003_4::get_BaudRate), 4800);
  EXPECT_EQ(Long(&IWBA003_4::get_PortNumber), 7);
}

TEST_F(FindDialog, StopEndsTheSearchAfterTheRunningProbeAndANewStartClearsTheList) {
  Show([&](const TFindWindows& w) {
    {
      TNoiseGuard noise(*peer_);
      ASSERT_TRUE(StartHeldSearch(w)) << "the probe of COM" << EmulatorPort() << " never held";
      EXPECT_TRUE(Screenshot(w.Dialog, L"find_during_search.png"));
      uiprobe::Click(w.Stop);
      uiprobe::Click(w.Stop);
    }
    ASSERT_TRUE(w.WaitSearchEnd(kWaitMs));
    const auto ports = w.Ports();
    ASSERT_EQ(ports.size(), static_cast<size_t>(EmulatorPort()));
    EXPECT_EQ(ports.back(), PortCaption(ports.size()));
    EXPECT_TRUE(IsNoDevice(w.Results().back()));
    EXPECT_FALSE(uiprobe::IsVisible(w.Animate));

    // Sent: the rows of the last search stay until the click is handled, and
    // would pass for the end of this one.
    ASSERT_TRUE(uiprobe::ClickAndWait(w.Start, kSearchTimeoutMs));
    ASSERT_TRUE(w.WaitSearchEnd(kSearchTimeoutMs));
    EXPECT_EQ(w.Ports().size(), kPorts);
    uiprobe::Click(w.Close);
  });
}

TEST_F(FindDialog, ClosingDuringASearchEndsItAndRestoresThePort) {
  ASSERT_EQ(control_->put_PortNumber(9), S_OK);
  ASSERT_EQ(control_->put_BaudRate(19200), S_OK);
  size_t mostRows = 0;
  Show([&](const TFindWindows& w) {
    {
      TNoiseGuard noise(*peer_);
      ASSERT_TRUE(StartHeldSearch(w));
      EXPECT_TRUE(uiprobe::IsVisible(w.Animate));
      uiprobe::Close(w.Dialog);
      uiprobe::Click(w.Close);
      uiprobe::Click(w.Start);
      uiprobe::Click(w.Close);
    }
    // Until the window goes, the list never grows past the held port.
    uiprobe::WaitUntil([&] {
      if (!IsWindow(w.Dialog)) return true;
      mostRows = std::max(mostRows, w.Ports().size());
      return false;
    }, kWaitMs);
    EXPECT_FALSE(IsWindow(w.Dialog));
  });
  EXPECT_LE(mostRows, static_cast<size_t>(EmulatorPort()));
  EXPECT_EQ(Long(&IWBA003_4::get_PortNumber), 9);
  EXPECT_EQ(Long(&IWBA003_4::get_BaudRate), 19200);
}

TEST_F(FindDialog, APortThatHangsUpDuringItsProbeShowsAsNoDeviceAndTheSearchGoesOn) {
  Show([&](const TFindWindows& w) {
    {
      TNoiseGuard noise(*peer_);
      ASSERT_TRUE(StartHeldSearch(w));
      // Start pressed again and again during the search starts no second one.
      for (int i = 0; i < 5; ++i) uiprobe::Click(w.Start);
      Emulator("hangup");
    }
    ASSERT_TRUE(w.WaitSearchEnd(kSearchTimeoutMs));
    const auto ports = w.Ports();
    const auto results = w.Results();
    ASSERT_EQ(ports.size(), kPorts);
    ASSERT_EQ(results.size(), kPorts);
    for (size_t i = 0; i < kPorts; ++i) EXPECT_EQ(ports[i], PortCaption(i + 1));
    EXPECT_TRUE(IsNoDevice(results[EmulatorPort() - 1]));
    uiprobe::Close(w.Dialog);
  });
}

}  // namespace
}  // namespace notarel::test
