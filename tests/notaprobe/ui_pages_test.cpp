// The five pages in Notaprobe.exe, driven as a user drives them, against the
// emulator: the program runs as its own process and reads its settings file
// (written beside Notarel.dll by the environment below) with the emulator's
// port. A screenshot of each page is taken after a real action.
#include <gtest/gtest.h>

#include <algorithm>

#include "notaprobe_app.h"
#include "pages_test.h"
#include "ui_probe.h"

namespace pages_test {
namespace {

using notaprobe_test::MemoLines;
using notaprobe_test::Narrow;
using notaprobe_test::ScreenshotPath;
using notaprobe_test::TNotaprobe;

// The settings file beside the DLL names the emulator's port, so that the
// control Notaprobe creates opens it. The environments' order is not fixed,
// so this one joins the apartment itself.
class SettingsEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    TNotarel2 driver;
    driver.SetLong(kDispPortNumber, EmulatorCom());
    // The first built-in country, in which bill code 102 is worth 500.
    driver.SetLong(kDispCountryIndex, 0);
    ASSERT_TRUE(driver.Call(&IWBA003_4::CountryByIndex, L"CountryByIndex"));
    ASSERT_TRUE(driver.Call(&IWBA003_4::SaveParams, L"SaveParams"))
        << Narrow(driver.GetString(kDispResultDescription));
  }
  void TearDown() override { CoUninitialize(); }
};

const auto* const kSettings = ::testing::AddGlobalTestEnvironment(new SettingsEnvironment);

bool Checked(HWND box) { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// The value label to the right of a caption label on the connection test page.
HWND ValueOf(HWND page, const wchar_t* caption) {
  HWND label = uiprobe::FindChild(page, L"Static", caption);
  return label ? GetWindow(label, GW_HWNDNEXT) : nullptr;
}

int Number(HWND label) { return _wtoi(uiprobe::Text(label).c_str()); }

class UiPages : public ::testing::Test {
 protected:
  void SetUp() override {
    peer_ = notarel::EmulatorPeer::Start();
    ASSERT_TRUE(peer_);
    app_ = std::make_unique<TNotaprobe>();
    ASSERT_NE(app_->Main(), nullptr);
  }
  void TearDown() override { app_.reset(); }

  std::string Emu(const std::string& line) { return peer_->Command(line); }
  bool EmuHas(const std::string& command, const std::string& part) {
    return Emu(command).find(part) != std::string::npos;
  }
  std::wstring Result() const { return app_->ResultTexts().at(0); }
  HWND Button(HWND page, const wchar_t* text) const { return app_->Button(page, text); }
  // Only for handlers that neither loop nor open a modal window.
  static void PressNow(HWND button) {
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(uiprobe::ClickAndWait(button, 60000));
  }
  void Press(HWND page, const wchar_t* text) const { PressNow(Button(page, text)); }
  void Shot(const wchar_t* name) const {
    EXPECT_TRUE(uiprobe::SaveScreenshot(app_->Main(), ScreenshotPath(name))) << Narrow(name);
  }
  // The error box the application shows, its text, and the box closed again.
  std::wstring TakeErrorBox() const {
    HWND box = uiprobe::WaitForWindow(notaprobe_test::kTitle, L"#32770", app_->Pid(), 10000);
    if (!box) return L"";
    std::wstring text;
    for (HWND label : uiprobe::Children(box, L"Static")) text += uiprobe::Text(label);
    uiprobe::Click(uiprobe::FindChild(box, L"Button", nullptr));
    uiprobe::WaitUntil([&] { return !IsWindow(box); }, 10000);
    return text;
  }

  std::unique_ptr<notarel::EmulatorPeer> peer_;
  std::unique_ptr<TNotaprobe> app_;
};

TEST_F(UiPages, BillPageWritesAndReadsBothSets) {
  HWND page = app_->SelectPage(2, L"Купюры");
  ASSERT_NE(page, nullptr);
  std::vector<HWND> boxes;
  for (int n = 1; n <= 8; ++n)
    boxes.push_back(uiprobe::FindChild(page, L"Button", (L"Denomination" + std::to_wstring(n)).c_str()));
  ASSERT_EQ(std::count(boxes.begin(), boxes.end(), nullptr), 0);

  Press(page, L"Установить все");
  for (HWND box : boxes) EXPECT_TRUE(Checked(box));
  Press(page, L"Записать принимаемые купюры");
  EXPECT_TRUE(EmuHas("status", "enabled=0xFF")) << Emu("status");
  EXPECT_EQ(Result().rfind(L"(0) ", 0), 0u) << Narrow(Result());

  Press(page, L"Сбросить все");
  for (HWND box : boxes) EXPECT_FALSE(Checked(box));
  uiprobe::Click(boxes[0]);
  uiprobe::Click(boxes[2]);
  ASSERT_TRUE(uiprobe::WaitUntil([&] { return Checked(boxes[0]) && Checked(boxes[2]); }, 10000));
  Press(page, L"Записать проверяемые купюры");
  EXPECT_TRUE(EmuHas("status", "validated=0x05")) << Emu("status");

  Press(page, L"Прочитать принимаемые купюры");
  for (HWND box : boxes) EXPECT_TRUE(Checked(box));
  Shot(L"pages_bill");

  // A device that does not answer leaves the boxes as they are.
  Press(page, L"Сбросить все");
  ASSERT_EQ(Emu("silent 8000").substr(0, 2), "OK");
  Press(page, L"Прочитать проверяемые купюры");
  Emu("silent 0");
  for (HWND box : boxes) EXPECT_FALSE(Checked(box));
  EXPECT_NE(Result().rfind(L"(0) ", 0), 0u) << Narrow(Result());
  EXPECT_TRUE(uiprobe::IsEnabled(Button(page, L"Прочитать проверяемые купюры")));
}

TEST_F(UiPages, ParameterPageWritesAndReadsTheThreeValues) {
  HWND page = app_->SelectPage(3, L"Настройки");
  ASSERT_NE(page, nullptr);
  const std::vector<HWND> buttons = uiprobe::Children(page, L"Button");
  const std::vector<HWND> edits = uiprobe::Children(page, L"Edit");
  ASSERT_EQ(buttons.size(), 7u);  // the check box and six buttons
  ASSERT_EQ(edits.size(), 2u);
  HWND inhibit = buttons[0];
  auto press = [&](HWND button) { PressNow(button); };

  uiprobe::SetEditText(edits[0], L"200");
  press(buttons[3]);  // direction: Записать
  EXPECT_TRUE(EmuHas("status", "direction=0xC8")) << Emu("status");
  uiprobe::SetEditText(edits[0], L"5");
  press(buttons[4]);  // direction: Прочитать
  EXPECT_EQ(uiprobe::Text(edits[0]), L"200");

  uiprobe::SetEditText(edits[1], L"77");
  press(buttons[5]);  // optional settings: Записать
  EXPECT_TRUE(EmuHas("status", "optional=0x004D")) << Emu("status");

  ASSERT_FALSE(Checked(inhibit));
  press(buttons[1]);  // inhibit: Записать, cleared
  EXPECT_TRUE(EmuHas("status", "inhibit=0")) << Emu("status");
  uiprobe::Click(inhibit);
  ASSERT_TRUE(uiprobe::WaitUntil([&] { return Checked(inhibit); }, 10000));
  press(buttons[1]);
  EXPECT_TRUE(EmuHas("status", "inhibit=1")) << Emu("status");
  EXPECT_TRUE(Checked(inhibit));
  EXPECT_EQ(Result().rfind(L"(0) ", 0), 0u) << Narrow(Result());
  Shot(L"pages_param");

  // The up-down control does not wrap past 255.
  uiprobe::SetEditText(edits[1], L"255");
  uiprobe::Key(edits[1], VK_UP);
  press(buttons[5]);
  EXPECT_TRUE(EmuHas("status", "optional=0x00FF")) << Emu("status");
  EXPECT_EQ(uiprobe::Text(edits[1]), L"255");
}

TEST_F(UiPages, PollingPageShowsBillsAndReturnsOneWhenAcceptingIsCleared) {
  HWND page = app_->SelectPage(4, L"Опрос");
  ASSERT_NE(page, nullptr);
  const std::vector<HWND> edits = uiprobe::Children(page, L"Edit");
  ASSERT_EQ(edits.size(), 3u);
  HWND memo = edits[2];
  HWND accept = uiprobe::FindChild(page, L"Button", L"Принимать купюры");
  HWND start = Button(page, L"Начать");
  HWND stop = Button(page, L"Остановить");
  ASSERT_TRUE(accept && start && stop);
  EXPECT_TRUE(Checked(accept));
  EXPECT_FALSE(uiprobe::IsEnabled(stop));

  uiprobe::SetEditText(edits[0], L"50");
  Press(page, L"Начать");
  ASSERT_TRUE(uiprobe::WaitUntil([&] { return uiprobe::IsEnabled(stop) && !uiprobe::IsEnabled(start); }, 10000));
  Press(page, L"Разрешить");
  ASSERT_TRUE(pages_test::WaitFor([&] { return Emu("insert 102").substr(0, 2) == "OK"; }));
  ASSERT_TRUE(uiprobe::WaitUntil(
      [&] {
        const auto lines = MemoLines(memo);
        return lines.size() >= 2 && lines.back() == L"Stacked - купюра уложена";
      },
      20000))
      << Narrow(uiprobe::Text(memo));
  // The currency word agrees with the sum, as the control gives it.
  EXPECT_EQ(MemoLines(memo)[0], L"Купюра: 500 рублей") << Narrow(uiprobe::Text(memo));

  uiprobe::Click(accept);
  ASSERT_TRUE(uiprobe::WaitUntil([&] { return !Checked(accept); }, 10000));
  ASSERT_TRUE(pages_test::WaitFor([&] { return Emu("insert 102").substr(0, 2) == "OK"; }));
  ASSERT_TRUE(pages_test::WaitFor([&] { return EmuHas("counters", "return=1"); }));
  ASSERT_TRUE(uiprobe::WaitUntil([&] { return MemoLines(memo).size() >= 3; }, 10000));
  const auto lines = MemoLines(memo);
  EXPECT_EQ(lines.size(), 3u) << Narrow(uiprobe::Text(memo));
  EXPECT_EQ(lines.back(), lines.front());  // the same bill line, and no second "Stacked"
  EXPECT_TRUE(EmuHas("counters", "stack1=1"));
  Shot(L"pages_poll");

  Press(page, L"Остановить");
  EXPECT_TRUE(uiprobe::IsEnabled(start));
  EXPECT_FALSE(uiprobe::IsEnabled(stop));
  Press(page, L"Очистить");
  EXPECT_EQ(uiprobe::Text(memo), L"");
}

TEST_F(UiPages, PollingPageRejectsNumberFieldsThatAreNotIntegers) {
  HWND page = app_->SelectPage(4, L"Опрос");
  ASSERT_NE(page, nullptr);
  const std::vector<HWND> edits = uiprobe::Children(page, L"Edit");
  ASSERT_EQ(edits.size(), 3u);
  HWND start = Button(page, L"Начать");
  HWND stop = Button(page, L"Остановить");

  uiprobe::SetEditText(edits[0], L"abc");
  uiprobe::Click(start);
  EXPECT_EQ(TakeErrorBox(), L"'abc' - недопустимое целое значение");
  uiprobe::SetEditText(edits[0], L"100");
  uiprobe::SetEditText(edits[1], L"1x");
  uiprobe::Click(start);
  EXPECT_EQ(TakeErrorBox(), L"'1x' - недопустимое целое значение");
  EXPECT_TRUE(uiprobe::IsEnabled(start));
  EXPECT_FALSE(uiprobe::IsEnabled(stop));
  // Polling did not start: the device was never enabled.
  EXPECT_TRUE(EmuHas("counters", "requests=0 ")) << Emu("counters");
}

TEST_F(UiPages, ConnectionTestCountsPassesAndStops) {
  HWND page = app_->SelectPage(5, L"Проверка связи");
  ASSERT_NE(page, nullptr);
  HWND passes = ValueOf(page, L"Количество повторов:");
  HWND failures = ValueOf(page, L"Количество ошибок:");
  HWND rate = ValueOf(page, L"Процент ошибок:");
  HWND start = Button(page, L"Начать");
  HWND stop = Button(page, L"Прервать");
  ASSERT_TRUE(passes && failures && rate && start && stop);
  EXPECT_EQ(uiprobe::Text(passes), L"0");
  EXPECT_FALSE(uiprobe::IsEnabled(stop));

  uiprobe::Click(Button(page, L"Начать"));  // the test loop runs on
  ASSERT_TRUE(uiprobe::WaitUntil([&] { return Number(passes) >= 20; }, 20000)) << Narrow(uiprobe::Text(passes));
  EXPECT_FALSE(uiprobe::IsEnabled(start));
  Shot(L"pages_connect");
  Press(page, L"Прервать");
  ASSERT_TRUE(uiprobe::WaitUntil([&] { return uiprobe::IsEnabled(start); }, 10000));
  EXPECT_FALSE(uiprobe::IsEnabled(stop));
  EXPECT_EQ(uiprobe::Text(failures), L"0");
  const std::wstring shownRate = uiprobe::Text(rate);
  EXPECT_TRUE(shownRate == L"0,00" || shownRate == L"0.00") << Narrow(shownRate);
  EXPECT_EQ(Result().rfind(L"(0) ", 0), 0u) << Narrow(Result());
}

TEST_F(UiPages, EnterOnTheConnectionPageStartsTheTestAndPageCommandsReachThePage) {
  HWND page = app_->SelectPage(5, L"Проверка связи");
  ASSERT_NE(page, nullptr);
  HWND passes = ValueOf(page, L"Количество повторов:");
  HWND start = Button(page, L"Начать");
  HWND stopOnError = uiprobe::FindChild(page, L"Button", L"Остановка при ошибке");
  ASSERT_TRUE(passes && start && stopOnError);
  // Enter in a control of the page that is not a button: the default button.
  uiprobe::Key(stopOnError, VK_RETURN);
  ASSERT_TRUE(uiprobe::WaitUntil([&] { return Number(passes) >= 3; }, 20000))
      << Narrow(uiprobe::Text(passes));
  Press(page, L"Прервать");
  ASSERT_TRUE(uiprobe::WaitUntil([&] { return uiprobe::IsEnabled(start); }, 10000));
  EXPECT_FALSE(Checked(stopOnError));

  // Enter on a focused page button: the dialog manager sends the button's
  // command to the main window, which must hand it to the page (the page's
  // identifiers may equal the main window's own).
  const int before = Number(passes);
  PostMessageW(app_->Main(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(start), BN_CLICKED),
               reinterpret_cast<LPARAM>(start));
  ASSERT_TRUE(uiprobe::WaitUntil([&] { return !uiprobe::IsEnabled(start); }, 10000));
  // The test that command started shows passes of its own before it is stopped
  // (stopped at once, it may end before it has shown any).
  EXPECT_TRUE(uiprobe::WaitUntil([&] { return Number(passes) != before; }, 20000))
      << Narrow(uiprobe::Text(passes));
  Press(page, L"Прервать");
  ASSERT_TRUE(uiprobe::WaitUntil([&] { return uiprobe::IsEnabled(start); }, 10000));
}

TEST_F(UiPages, ConnectionTestCountsFailuresAndGoesOnAfterSilenceAndHangUp) {
  HWND page = app_->SelectPage(5, L"Проверка связи");
  ASSERT_NE(page, nullptr);
  HWND passes = ValueOf(page, L"Количество повторов:");
  HWND failures = ValueOf(page, L"Количество ошибок:");
  HWND start = Button(page, L"Начать");
  uiprobe::Click(Button(page, L"Начать"));  // the test loop runs on
  ASSERT_TRUE(uiprobe::WaitUntil([&] { return Number(passes) >= 5; }, 20000));
  ASSERT_EQ(Emu("silent 1500").substr(0, 2), "OK");
  ASSERT_TRUE(uiprobe::WaitUntil([&] { return Number(failures) >= 1; }, 20000));
  ASSERT_EQ(Emu("hangup").substr(0, 2), "OK");
  // The port comes back at the next opening; the test goes on counting.
  const int before = Number(passes);
  EXPECT_TRUE(uiprobe::WaitUntil([&] { return Number(passes) >= before + 20 && Number(failures) < Number(passes); },
                                 30000))
      << Narrow(uiprobe::Text(passes)) << " " << Narrow(uiprobe::Text(failures));
  Shot(L"pages_connect_failures");
  Press(page, L"Прервать");
  EXPECT_TRUE(uiprobe::WaitUntil([&] { return uiprobe::IsEnabled(start); }, 10000));
}

TEST_F(UiPages, ConnectionTestStopsOnErrorWhenAsked) {
  HWND page = app_->SelectPage(5, L"Проверка связи");
  ASSERT_NE(page, nullptr);
  HWND passes = ValueOf(page, L"Количество повторов:");
  HWND failures = ValueOf(page, L"Количество ошибок:");
  HWND stopOnError = uiprobe::FindChild(page, L"Button", L"Остановка при ошибке");
  HWND start = Button(page, L"Начать");
  ASSERT_TRUE(passes && failures && stopOnError && start);
  uiprobe::Click(stopOnError);
  ASSERT_TRUE(uiprobe::WaitUntil([&] { return Checked(stopOnError); }, 10000));
  uiprobe::Click(Button(page, L"Начать"));  // the test loop runs on
  ASSERT_TRUE(uiprobe::WaitUntil([&] { return Number(passes) >= 5; }, 20000));
  ASSERT_EQ(Emu("silent 4000").substr(0, 2), "OK");
  ASSERT_TRUE(uiprobe::WaitUntil([&] { return uiprobe::IsEnabled(start); }, 20000));
  Emu("silent 0");
  EXPECT_EQ(uiprobe::Text(failures), L"1");
  EXPECT_FALSE(uiprobe::IsEnabled(Button(page, L"Прервать")));
  EXPECT_NE(Result().rfind(L"(0) ", 0), 0u) << Narrow(Result());
}

TEST_F(UiPages, ClosingDuringTheConnectionTestEndsTheProgram) {
  HWND page = app_->SelectPage(5, L"Проверка связи");
  ASSERT_NE(page, nullptr);
  HWND passes = ValueOf(page, L"Количество повторов:");
  uiprobe::Click(Button(page, L"Начать"));  // the test loop runs on
  ASSERT_TRUE(uiprobe::WaitUntil([&] { return Number(passes) >= 5; }, 20000));
  EXPECT_EQ(app_->CloseAndWait(20000), 0u);
}

TEST_F(UiPages, ClosingWhilePollingEndsTheProgramAndInhibitsTheDevice) {
  HWND page = app_->SelectPage(4, L"Опрос");
  ASSERT_NE(page, nullptr);
  Press(page, L"Начать");
  Press(page, L"Разрешить");
  ASSERT_TRUE(pages_test::WaitFor([&] { return EmuHas("status", "inhibit=0"); }));
  EXPECT_EQ(app_->CloseAndWait(20000), 0u);
  EXPECT_TRUE(EmuHas("status", "inhibit=1")) << Emu("status");
}

TEST_F(UiPages, DeviceSearchFindsTheEmulatorsPort) {
  HWND page = app_->SelectPage(6, L"Поиск устройства");
  ASSERT_NE(page, nullptr);
  HWND memo = uiprobe::FindChild(page, L"Edit", nullptr);
  ASSERT_NE(memo, nullptr);
  for (int search = 0; search < 2; ++search) {
    Press(page, L"Поиск");
    EXPECT_EQ(MemoLines(memo),
              std::vector<std::wstring>{L"Устройство найдено. Порт: COM" + std::to_wstring(EmulatorCom())})
        << Narrow(uiprobe::Text(memo));
  }
  EXPECT_EQ(Result().rfind(L"(0) ", 0), 0u) << Narrow(Result());
  Shot(L"pages_find_device");
}

}  // namespace
}  // namespace pages_test
