// The command page against the emulator: STATUS of a bill in escrow, STATUS
// failing, ModelID, the status poll loop, and closing while it runs.
#include <gtest/gtest.h>

#include <regex>

#include "notaprobe_app.h"
#include "ui_probe.h"

using namespace notaprobe_test;

namespace {

bool WaitForLines(HWND memo, const std::function<bool(const std::vector<std::wstring>&)>& cond) {
  return uiprobe::WaitUntil([&] { return cond(MemoLines(memo)); }, 20000);
}

// The device reset, enabled and uninhibited, as a run of the accept page
// leaves it.
void EnableDevice(const TNotaprobe& app) {
  HWND accept = app.Page(L"Прием купюр");
  HWND memo = uiprobe::FindChild(accept, L"Edit", nullptr);
  app.PressToStartLoop(accept, L"Начать");
  EXPECT_TRUE(WaitForLines(memo, [](const std::vector<std::wstring>& lines) {
    return ContainsInOrder(lines, {L"-> DISABLE INHIBIT", L"-> OK"});
  })) << Narrow(uiprobe::Text(memo));
  app.Press(accept, L"Остановить");
  HWND start = uiprobe::FindChild(accept, L"Button", L"Начать");
  EXPECT_TRUE(uiprobe::WaitUntil([&] { return uiprobe::IsEnabled(start); }, 20000));
}

}  // namespace

TEST(NotaprobeCommandPage, StatusOfABillInEscrowShowsThreeLines) {
  auto emu = notarel::EmulatorPeer::Start();
  ASSERT_NE(emu, nullptr);
  TNotaprobe app;
  ASSERT_NE(app.Main(), nullptr);
  EnableDevice(app);
  HWND page = app.SelectPage(1, L"Команды");
  HWND memo = uiprobe::FindChild(page, L"Edit", nullptr);
  ASSERT_NE(memo, nullptr);
  Insert(*emu, 102);
  // The status moves on by one step a request: ask until the escrow shows.
  ASSERT_TRUE(uiprobe::WaitUntil(
      [&] {
        app.Press(page, L"STATUS");
        std::vector<std::wstring> lines = MemoLines(memo);
        return !lines.empty() && lines[0] == L"Код состояния: 13h";
      },
      20000))
      << Narrow(uiprobe::Text(memo));
  std::vector<std::wstring> lines = MemoLines(memo);
  ASSERT_EQ(lines.size(), 3u) << Narrow(uiprobe::Text(memo));
  EXPECT_EQ(lines[1], L"Описание состояния: ESCROW");
  EXPECT_EQ(lines[2], L"Достоинство купюры: 102");
  // The result area shows the exchange: success, the request and the reply.
  std::vector<std::wstring> result = app.ResultTexts();
  EXPECT_EQ(result[0], L"(0) Ошибок нет") << Narrow(result[0]);
  EXPECT_EQ(result[1], L"FC 05 11 27 56");
  EXPECT_EQ(result[2].compare(0, 12, L"FC 06 13 66 "), 0) << Narrow(result[2]);
  uiprobe::SaveScreenshot(app.Main(), ScreenshotPath(L"notaprobe_command"));

  // ModelID clears the memo and writes one line; RETURN keeps the memo.
  app.Press(page, L"ModelID");
  EXPECT_TRUE(WaitForLines(memo, [](const std::vector<std::wstring>& l) {
    return l.size() == 1 && l[0] != L"Код состояния: 13h" && !l[0].empty();
  })) << Narrow(uiprobe::Text(memo));
  std::wstring model = uiprobe::Text(memo);
  app.Press(page, L"RETURN");
  EXPECT_TRUE(uiprobe::WaitUntil([&] { return app.ResultTexts()[1].compare(0, 8, L"FC 05 43") == 0; }, 20000))
      << Narrow(app.ResultTexts()[1]);
  EXPECT_EQ(uiprobe::Text(memo), model);
  // Every button is enabled again after its command.
  for (HWND button : uiprobe::Children(page, L"Button")) {
    if (uiprobe::Text(button) != L"Прервать") {
      EXPECT_TRUE(uiprobe::IsEnabled(button)) << Narrow(uiprobe::Text(button));
    }
  }
}

TEST(NotaprobeCommandPage, AFailedStatusWritesNothingAndShowsTheFailure) {
  auto emu = notarel::EmulatorPeer::Start();
  ASSERT_NE(emu, nullptr);
  TNotaprobe app;
  ASSERT_NE(app.Main(), nullptr);
  HWND page = app.SelectPage(1, L"Команды");
  HWND memo = uiprobe::FindChild(page, L"Edit", nullptr);
  app.Press(page, L"ModelID");
  ASSERT_TRUE(WaitForLines(memo, [](const std::vector<std::wstring>& l) { return l.size() == 1; }));
  EXPECT_EQ(emu->Command("silent 60000").substr(0, 2), "OK");
  app.Press(page, L"STATUS");
  // The memo is cleared first and stays empty; the result is the failure.
  EXPECT_TRUE(uiprobe::WaitUntil(
      [&] { return std::regex_match(Narrow(app.ResultTexts()[0]), std::regex("\\(-\\d+\\) .+")); }, 20000))
      << Narrow(app.ResultTexts()[0]);
  EXPECT_EQ(uiprobe::Text(memo), L"");
  EXPECT_TRUE(uiprobe::IsEnabled(app.Button(page, L"STATUS")));
  emu->Command("silent 0");
}

TEST(NotaprobeCommandPage, StatusLoopWritesOneLinePerChangeUntilStopped) {
  auto emu = notarel::EmulatorPeer::Start();
  ASSERT_NE(emu, nullptr);
  TNotaprobe app;
  ASSERT_NE(app.Main(), nullptr);
  EnableDevice(app);
  HWND page = app.SelectPage(1, L"Команды");
  HWND memo = uiprobe::FindChild(page, L"Edit", nullptr);
  HWND start = app.Button(page, L"Начать");
  HWND stop = app.Button(page, L"Прервать");
  EXPECT_FALSE(uiprobe::IsEnabled(stop));
  app.PressToStartLoop(page, L"Начать");
  // Stop is enabled before Start is disabled; a look between sees both enabled.
  ASSERT_TRUE(uiprobe::WaitUntil([&] { return uiprobe::IsEnabled(stop) && !uiprobe::IsEnabled(start); }, 20000));
  ASSERT_TRUE(WaitForLines(memo, [](const std::vector<std::wstring>& l) { return !l.empty(); }));
  Insert(*emu, 102);
  ASSERT_TRUE(WaitForLines(memo, [](const std::vector<std::wstring>& l) {
    return ContainsInOrder(l, {L"13h, ESCROW"});
  })) << Narrow(uiprobe::Text(memo));
  // Other commands run between two passes of the loop.
  app.Press(page, L"RETURN");
  EXPECT_TRUE(uiprobe::WaitUntil([&] { return app.ResultTexts()[1].compare(0, 8, L"FC 05 43") == 0; }, 20000));
  ASSERT_TRUE(WaitForLines(memo, [](const std::vector<std::wstring>& l) {
    return ContainsInOrder(l, {L"13h, ESCROW", L"18h, RETURNING"});
  })) << Narrow(uiprobe::Text(memo));
  uiprobe::SaveScreenshot(app.Main(), ScreenshotPath(L"notaprobe_command_loop"));
  app.Press(page, L"Прервать");
  EXPECT_TRUE(uiprobe::WaitUntil([&] { return uiprobe::IsEnabled(start); }, 20000));
  EXPECT_FALSE(uiprobe::IsEnabled(stop));
  std::vector<std::wstring> lines = MemoLines(memo);
  for (const std::wstring& line : lines)
    EXPECT_TRUE(std::regex_match(Narrow(line), std::regex("[ 0-9A-F]{2}h, .+"))) << Narrow(line);
  for (size_t i = 1; i < lines.size(); ++i) EXPECT_NE(lines[i], lines[i - 1]);
}

TEST(NotaprobeCommandPage, ClosingTheProgramDuringTheStatusLoopEndsItCleanly) {
  auto emu = notarel::EmulatorPeer::Start();
  ASSERT_NE(emu, nullptr);
  TNotaprobe app;
  ASSERT_NE(app.Main(), nullptr);
  HWND page = app.SelectPage(1, L"Команды");
  HWND memo = uiprobe::FindChild(page, L"Edit", nullptr);
  app.PressToStartLoop(page, L"Начать");
  ASSERT_TRUE(WaitForLines(memo, [](const std::vector<std::wstring>& l) { return !l.empty(); }));
  EXPECT_EQ(app.CloseAndWait(20000), 0u);
}
