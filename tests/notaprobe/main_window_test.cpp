// Notaprobe's main window as a user meets it: caption, page list, the page
// shown at start, the result area, selecting pages, the about and properties
// buttons and the close button.
#include <gtest/gtest.h>

#include <regex>
#include <thread>

#include "emulator_peer.h"
#include "notaprobe_app.h"
#include "ui_probe.h"

using namespace notaprobe_test;

namespace {

const wchar_t* const kCaptions[] = {L"Прием купюр", L"Команды",        L"Купюры",
                                    L"Настройки",   L"Опрос",          L"Проверка связи",
                                    L"Поиск устройства"};

struct TOtherWindow {
  DWORD Pid;
  HWND Main;
  HWND Found;
};

BOOL CALLBACK FindOtherWindow(HWND wnd, LPARAM lp) {
  auto search = reinterpret_cast<TOtherWindow*>(lp);
  DWORD owner = 0;
  GetWindowThreadProcessId(wnd, &owner);
  if (owner != search->Pid || wnd == search->Main || !IsWindowVisible(wnd)) return TRUE;
  search->Found = wnd;
  return FALSE;
}

// A visible top-level window of `pid` other than `main`.
HWND OtherWindow(DWORD pid, HWND main) {
  TOtherWindow search{pid, main, nullptr};
  EnumWindows(FindOtherWindow, reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

// Every text of a window and its descendants: captions and list items.
std::vector<std::wstring> AllTexts(HWND wnd) {
  std::vector<std::wstring> texts{uiprobe::Text(wnd)};
  for (HWND child : uiprobe::Children(wnd, nullptr)) {
    texts.push_back(uiprobe::Text(child));
    std::wstring cls = uiprobe::ClassOf(child);
    if (cls == L"ListBox" || cls == L"ComboBox")
      for (const std::wstring& item : uiprobe::ListItems(child)) texts.push_back(item);
  }
  return texts;
}

bool HasText(const std::vector<std::wstring>& texts, const std::wstring& prefix) {
  for (const std::wstring& text : texts)
    if (text.compare(0, prefix.size(), prefix) == 0) return true;
  return false;
}

}  // namespace

TEST(NotaprobeMainWindow, StartsWithPageListAcceptPageAndEmptyResult) {
  TNotaprobe app;
  ASSERT_NE(app.Main(), nullptr);
  // The title, a blank and the program's version from its version resource.
  std::wstring caption = uiprobe::Text(app.Main());
  EXPECT_TRUE(std::regex_match(Narrow(caption), std::regex("Тест драйвера RUD-003 \\d+\\.\\d+\\.\\d+\\.\\d+")))
      << Narrow(caption);
  EXPECT_EQ(caption.find(L"0.0.0.0"), std::wstring::npos);

  std::vector<std::wstring> items = uiprobe::ListItems(app.List());
  ASSERT_EQ(items.size(), 7u);
  for (int i = 0; i < 7; ++i)
    EXPECT_EQ(items[i], std::to_wstring(i + 1) + L". " + kCaptions[i]) << Narrow(items[i]);
  EXPECT_EQ(uiprobe::Selection(app.List()), 0);

  HWND accept = app.Page(L"Прием купюр");
  ASSERT_NE(accept, nullptr);
  EXPECT_TRUE(uiprobe::IsVisible(accept));
  for (int i = 1; i < 7; ++i) {
    HWND page = app.Page(kCaptions[i]);
    ASSERT_NE(page, nullptr) << Narrow(kCaptions[i]);
    EXPECT_FALSE(uiprobe::IsVisible(page)) << Narrow(kCaptions[i]);
  }
  // The accept page read the currency into its sum label when it was shown:
  // the plural of the rouble, the currency of the first country.
  HWND sumLabel = FindChildStartingWith(accept, L"Static", L"Сумма, ");
  EXPECT_NE(sumLabel, nullptr);
  if (sumLabel) {
    EXPECT_EQ(uiprobe::Text(sumLabel), L"Сумма, рубли:") << Narrow(uiprobe::Text(sumLabel));
  }

  std::vector<std::wstring> result = app.ResultTexts();
  ASSERT_EQ(result.size(), 4u);
  for (const std::wstring& text : result) EXPECT_TRUE(text.empty()) << Narrow(text);
  EXPECT_EQ(app.CloseAndWait(20000), 0u);
}

TEST(NotaprobeMainWindow, SelectingPagesShowsOneAndClearsTheResult) {
  TNotaprobe app;
  ASSERT_NE(app.Main(), nullptr);
  HWND command = app.SelectPage(1, L"Команды");
  ASSERT_NE(command, nullptr);
  EXPECT_FALSE(uiprobe::IsVisible(app.Page(L"Прием купюр")));
  EXPECT_EQ(uiprobe::Selection(app.List()), 1);
  // The page fills the data panel.
  RECT pageRect;
  RECT panelRect;
  GetClientRect(command, &pageRect);
  GetClientRect(GetParent(command), &panelRect);
  EXPECT_EQ(pageRect.right, panelRect.right);
  EXPECT_EQ(pageRect.bottom, panelRect.bottom);

  // A command fills the result area ...
  app.Press(command, L"STATUS");
  ASSERT_TRUE(uiprobe::WaitUntil([&] { return !app.ResultTexts()[0].empty(); }, 20000));
  std::vector<std::wstring> result = app.ResultTexts();
  EXPECT_TRUE(std::regex_match(Narrow(result[0]), std::regex("\\(-?\\d+\\) .*"))) << Narrow(result[0]);
  EXPECT_TRUE(std::regex_match(Narrow(result[3]), std::regex("\\d+"))) << Narrow(result[3]);
  // ... and choosing the entry that is already selected clears it, and
  // nothing else changes.
  uiprobe::Select(app.List(), 1);
  EXPECT_TRUE(uiprobe::WaitUntil([&] { return app.ResultTexts()[0].empty(); }, 10000));
  for (const std::wstring& text : app.ResultTexts()) EXPECT_TRUE(text.empty()) << Narrow(text);
  EXPECT_TRUE(uiprobe::IsVisible(command));

  for (int i = 6; i >= 0; --i) {
    HWND page = app.SelectPage(i, kCaptions[i]);
    ASSERT_NE(page, nullptr);
    for (int j = 0; j < 7; ++j) {
      if (j != i) {
        EXPECT_FALSE(uiprobe::IsVisible(app.Page(kCaptions[j]))) << i << " " << j;
      }
    }
  }
}

TEST(NotaprobeMainWindow, AboutBoxShowsTestAndDriverVersions) {
  TNotaprobe app;
  ASSERT_NE(app.Main(), nullptr);
  std::wstring caption = uiprobe::Text(app.Main());
  std::wstring version = caption.substr(caption.rfind(L' ') + 1);
  uiprobe::Click(app.MainButton(L"О программе..."));
  HWND about = nullptr;
  ASSERT_TRUE(uiprobe::WaitUntil([&] { return (about = OtherWindow(app.Pid(), app.Main())) != nullptr; }, 20000));
  std::vector<std::wstring> texts;
  EXPECT_TRUE(uiprobe::WaitUntil(
      [&] {
        texts = AllTexts(about);
        return HasText(texts, L"Версия драйвера: ");
      },
      10000));
  EXPECT_TRUE(HasText(texts, L"Версия теста: " + version));
  EXPECT_TRUE(HasText(texts, L"Тест драйвера RUD-003"));
  EXPECT_FALSE(HasText(texts, L"Версия драйвера: 0.0.0.0"));
  // Modal: the main window waits until the box is closed.
  EXPECT_FALSE(uiprobe::IsEnabled(app.Main()));
  HWND ok = uiprobe::FindChild(about, L"Button", L"OK");
  if (ok)
    uiprobe::Click(ok);
  else
    uiprobe::Close(about);
  EXPECT_TRUE(uiprobe::WaitUntil([&] { return !IsWindow(about) || !IsWindowVisible(about); }, 10000));
  EXPECT_TRUE(uiprobe::WaitUntil([&] { return uiprobe::IsEnabled(app.Main()); }, 10000));
}

TEST(NotaprobeMainWindow, PropertiesOpenTheControlsPropertyFrame) {
  TNotaprobe app;
  ASSERT_NE(app.Main(), nullptr);
  HWND sumLabel = FindChildStartingWith(app.Page(L"Прием купюр"), L"Static", L"Сумма, ");
  ASSERT_NE(sumLabel, nullptr);
  uiprobe::Click(app.MainButton(L"Свойства..."));
  HWND frame = nullptr;
  ASSERT_TRUE(uiprobe::WaitUntil([&] { return (frame = OtherWindow(app.Pid(), app.Main())) != nullptr; }, 20000));
  uiprobe::SaveScreenshot(frame, ScreenshotPath(L"notaprobe_properties"));
  // Cancel (or closing the frame) returns to the main window, and the accept
  // page shows its sum label again.
  HWND cancel = uiprobe::FindChild(frame, L"Button", L"Отмена");
  if (!cancel) cancel = uiprobe::FindChild(frame, L"Button", L"Cancel");
  if (cancel)
    uiprobe::Click(cancel);
  else
    uiprobe::Close(frame);
  EXPECT_TRUE(uiprobe::WaitUntil([&] { return !IsWindow(frame) || !IsWindowVisible(frame); }, 10000));
  EXPECT_TRUE(uiprobe::WaitUntil([&] { return uiprobe::IsEnabled(app.Main()); }, 10000));
  EXPECT_EQ(uiprobe::Text(sumLabel).compare(0, 7, L"Сумма, "), 0);
}

TEST(NotaprobeMainWindow, CloseButtonEndsTheProgram) {
  TNotaprobe app;
  ASSERT_NE(app.Main(), nullptr);
  uiprobe::Click(app.MainButton(L"Закрыть"));
  EXPECT_EQ(app.WaitForExit(20000), 0u);
}

// Closing while the driver's polling runs and bills raise events: polling is
// stopped before the control is released, and the program ends.
TEST(NotaprobeMainWindow, ClosingWhilePollingRunsEndsTheProgram) {
  auto emu = notarel::EmulatorPeer::Start();
  ASSERT_NE(emu, nullptr);
  TNotaprobe app;
  ASSERT_NE(app.Main(), nullptr);
  HWND poll = app.SelectPage(4, L"Опрос");
  ASSERT_NE(poll, nullptr);
  app.Press(poll, L"Разрешить");  // BillEnabled: the driver takes bills
  app.Press(poll, L"Начать");
  HWND stop = app.Button(poll, L"Остановить");
  ASSERT_TRUE(uiprobe::WaitUntil([&] { return stop && uiprobe::IsEnabled(stop); }, 20000));
  // A bill in the works when the window closes.
  EXPECT_TRUE(uiprobe::WaitUntil([&] { return emu->Command("insert 102").substr(0, 2) == "OK"; }, 20000));
  EXPECT_EQ(app.CloseAndWait(20000), 0u);
}
