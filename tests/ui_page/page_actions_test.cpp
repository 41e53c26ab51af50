// The page's buttons and the frame's OK as a user presses them, against the
// emulator behind the test's COM port.
#include <windows.h>
#include <olectl.h>

#include "page_fixture.h"
#include "text_convert.h"
#include "ui_probe.h"
#include "win_ui.h"

namespace notarel::test {
namespace {

constexpr int kWaitMs = 20000;

bool ButtonsEnabled(const PageWindows& w) {
  for (HWND button : w.Buttons()) {
    if (!uiprobe::IsEnabled(button)) return false;
  }
  return true;
}

std::wstring ReadText(IWBA003_4* control, HRESULT (STDMETHODCALLTYPE IWBA003_4::*member)(BSTR*)) {
  TBstr text;
  EXPECT_HRESULT_SUCCEEDED((control->*member)(text.Out()));
  return text.Get() ? std::wstring(text.Get()) : std::wstring();
}

TEST_F(PropertyPageTest, ConnectionTestAppliesThePageAndShowsTheModelIdentifier) {
  ASSERT_HRESULT_SUCCEEDED(control_->put_PortNumber(1));
  std::wstring shown;
  ShowProperties([&](const PageWindows& w) {
    uiprobe::Select(w.CbPortNumber, emulatorPort_ - 1);
    uiprobe::Select(w.CbBaudRate, 0);
    uiprobe::Click(w.BtnConnect);
    EXPECT_TRUE(uiprobe::WaitUntil([&] { return !uiprobe::Text(w.EdtResult).empty(); }, kWaitMs));
    Flush(w);
    shown = uiprobe::Text(w.EdtResult);
    EXPECT_TRUE(ButtonsEnabled(w));
  });
  // The model identifier alone, as the control read it from the device.
  EXPECT_FALSE(shown.empty());
  EXPECT_EQ(shown, ReadText(control_.Get(), &IWBA003_4::get_ModelID));
  EXPECT_EQ(ReadPort(), emulatorPort_);
  EXPECT_EQ(ReadBaud(), 9600);
  const std::string settings = SettingsText();
  EXPECT_NE(settings.find("<PortNumber>" + std::to_string(emulatorPort_) + "</PortNumber>"),
            std::string::npos)
      << settings;
}

TEST_F(PropertyPageTest, FailedConnectionTestShowsCodeAndMessage) {
  ASSERT_EQ(emulator_->Command("silent 600000").substr(0, 2), "OK");
  std::wstring shown;
  ShowProperties([&](const PageWindows& w) {
    uiprobe::Click(w.BtnConnect);
    EXPECT_TRUE(uiprobe::WaitUntil([&] { return !uiprobe::Text(w.EdtResult).empty(); }, kWaitMs));
    Flush(w);
    shown = uiprobe::Text(w.EdtResult);
    EXPECT_TRUE(ButtonsEnabled(w));
  });
  emulator_->Command("silent 0");
  LONG code = 0;
  ASSERT_HRESULT_SUCCEEDED(control_->get_ResultCode(&code));
  EXPECT_EQ(code, -1);
  const std::wstring message = ReadText(control_.Get(), &IWBA003_4::get_ResultDescription);
  EXPECT_EQ(shown, ui::Format(L"(%d) %ls", static_cast<int>(code), message.c_str()));
  EXPECT_EQ(shown.rfind(L"(-1) Нет связи", 0), 0u) << shown;
}

TEST_F(PropertyPageTest, DefaultsButtonShowsCom1And9600) {
  ASSERT_HRESULT_SUCCEEDED(control_->put_PortNumber(3));
  ASSERT_HRESULT_SUCCEEDED(control_->put_BaudRate(19200));
  ShowProperties([&](const PageWindows& w) {
    ASSERT_EQ(SelectedText(w.CbPortNumber), L"COM 3");
    uiprobe::Click(w.BtnSetDefaults);
    EXPECT_TRUE(uiprobe::WaitUntil([&] { return SelectedText(w.CbPortNumber) == L"COM 1"; }, kWaitMs));
    Flush(w);
    EXPECT_EQ(SelectedText(w.CbBaudRate), L"9600");
    EXPECT_GE(uiprobe::Selection(w.CbCountryCode), 0);
    EXPECT_TRUE(ButtonsEnabled(w));
  });
  EXPECT_EQ(ReadPort(), 1);
  EXPECT_EQ(ReadBaud(), 9600);
}

TEST_F(PropertyPageTest, OkWritesThePageToTheControlAndTheSettingsFile) {
  ASSERT_HRESULT_SUCCEEDED(control_->put_PortNumber(3));
  ASSERT_EQ(SettingsText(), "");
  ShowProperties([&](const PageWindows& w) {
    uiprobe::Select(w.CbPortNumber, 6);
    uiprobe::Select(w.CbBaudRate, 1);
    Flush(w);
    // Choosing alone changes nothing yet.
    EXPECT_EQ(SettingsText(), "");
    uiprobe::Click(FrameOk(w));
    EXPECT_TRUE(uiprobe::WaitUntil([&] { return !IsWindow(w.Frame); }, kWaitMs));
  });
  EXPECT_EQ(ReadPort(), 7);
  EXPECT_EQ(ReadBaud(), 19200);
  const std::string settings = SettingsText();
  EXPECT_NE(settings.find("<PortNumber>7</PortNumber>"), std::string::npos) << settings;
  EXPECT_NE(settings.find("<BaudRate>19200</BaudRate>"), std::string::npos) << settings;
}

TEST_F(PropertyPageTest, OkWithNoCountrySelectedPassesIndexMinusOneSilently) {
  ShowProperties([&](const PageWindows& w) {
    uiprobe::Select(w.CbCountryCode, -1);
    uiprobe::Select(w.CbPortNumber, 1);
    Flush(w);
    uiprobe::Click(FrameOk(w));
    // No error box: the frame simply closes.
    EXPECT_TRUE(uiprobe::WaitUntil([&] { return !IsWindow(w.Frame); }, kWaitMs));
  });
  LONG index = 0;
  ASSERT_HRESULT_SUCCEEDED(control_->get_CountryIndex(&index));
  EXPECT_EQ(index, -1);
  EXPECT_EQ(ReadPort(), 2);
}

TEST_F(PropertyPageTest, PropertiesVerbOpensTheSamePage) {
  ASSERT_HRESULT_SUCCEEDED(control_->put_PortNumber(4));
  TComPtr<IOleObject> ole;
  ASSERT_HRESULT_SUCCEEDED(control_->QueryInterface(IID_IOleObject, ole.OutVoid()));
  const HRESULT hr = RunFrame(
      [&] { return ole->DoVerb(0, nullptr, nullptr, 0, GetActiveWindow(), nullptr); },
      [&](const PageWindows& w) {
        EXPECT_EQ(SelectedText(w.CbPortNumber), L"COM 4");
        uiprobe::Select(w.CbPortNumber, 1);
        uiprobe::Click(FrameOk(w));
        EXPECT_TRUE(uiprobe::WaitUntil([&] { return !IsWindow(w.Frame); }, kWaitMs));
      });
  EXPECT_EQ(hr, S_OK);
  EXPECT_EQ(ReadPort(), 2);
}

TEST_F(PropertyPageTest, SearchButtonOpensTheSearchDialogOverThePage) {
  ASSERT_HRESULT_SUCCEEDED(control_->put_PortNumber(3));
  HWND pageWindow = nullptr;
  ShowProperties([&](const PageWindows& w) {
    pageWindow = w.Page;
    uiprobe::Click(w.BtnFind);
    const HWND dialog = WaitForOtherWindow(w.Frame, kWaitMs);
    ASSERT_NE(dialog, nullptr);
    // The page's buttons wait while the dialog runs.
    EXPECT_FALSE(uiprobe::IsEnabled(w.BtnConnect));
    EXPECT_FALSE(uiprobe::IsEnabled(w.BtnAbout));
    uiprobe::Close(dialog);
    EXPECT_TRUE(uiprobe::WaitUntil([&] { return ButtonsEnabled(w); }, kWaitMs));
    EXPECT_EQ(SelectedText(w.CbPortNumber), L"COM 3");
  });
  LONG parent = 0;
  ASSERT_HRESULT_SUCCEEDED(control_->get_ParentWnd(&parent));
  EXPECT_EQ(parent, static_cast<LONG>(reinterpret_cast<LONG_PTR>(pageWindow)));
}

TEST_F(PropertyPageTest, AboutButtonShowsTheAboutBox) {
  ShowProperties([&](const PageWindows& w) {
    uiprobe::Click(w.BtnAbout);
    const HWND box = WaitForOtherWindow(w.Frame, kWaitMs);
    ASSERT_NE(box, nullptr);
    uiprobe::Close(box);
    EXPECT_TRUE(uiprobe::WaitUntil([&] { return !IsWindow(box); }, kWaitMs));
    EXPECT_TRUE(ButtonsEnabled(w));
  });
}

}  // namespace
}  // namespace notarel::test
