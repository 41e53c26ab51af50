// The accept page against the emulator: a bill returned with "Принимать
// купюры" cleared and stacked with it set, the sum, the port vanishing during
// a run, and closing the program while the run goes on.
#include <gtest/gtest.h>

#include <regex>

#include "notaprobe_app.h"
#include "ui_probe.h"

using namespace notaprobe_test;

namespace {

struct TAcceptPage {
  HWND Page;
  HWND Accept;
  HWND Memo;
  HWND Summ;
  HWND Start;
  HWND Stop;
};

TAcceptPage FindAcceptPage(const TNotaprobe& app) {
  TAcceptPage page{};
  page.Page = app.Page(L"Прием купюр");
  page.Accept = uiprobe::FindChild(page.Page, L"Button", L"Принимать купюры");
  page.Memo = uiprobe::FindChild(page.Page, L"Edit", nullptr);
  std::vector<HWND> labels = uiprobe::Children(page.Page, L"Static");
  page.Summ = labels.size() == 2 ? labels[1] : nullptr;
  page.Start = uiprobe::FindChild(page.Page, L"Button", L"Начать");
  page.Stop = uiprobe::FindChild(page.Page, L"Button", L"Остановить");
  return page;
}

bool Checked(HWND box) {
  DWORD_PTR state = 0;
  SendMessageTimeoutW(box, BM_GETCHECK, 0, 0, SMTO_NORMAL, 5000, &state);
  return state == BST_CHECKED;
}

void SetChecked(HWND box, bool checked) {
  if (Checked(box) != checked) uiprobe::Click(box);
  EXPECT_TRUE(uiprobe::WaitUntil([&] { return Checked(box) == checked; }, 10000));
}

// Waits until the trace holds `expected` in order, from line `from` on.
bool WaitForTrace(HWND memo, const std::vector<std::wstring>& expected, size_t from = 0) {
  return uiprobe::WaitUntil(
      [&] {
        std::vector<std::wstring> lines = MemoLines(memo);
        if (lines.size() < from) return false;
        return ContainsInOrder(std::vector<std::wstring>(lines.begin() + from, lines.end()), expected);
      },
      20000);
}

size_t IndexOf(const std::vector<std::wstring>& lines, const std::wstring& line, size_t from = 0) {
  for (size_t i = from; i < lines.size(); ++i)
    if (lines[i] == line) return i;
  return lines.size();
}

// The value of the last "Купюра: N ..." line before `before`.
long BillValueBefore(const std::vector<std::wstring>& lines, size_t before) {
  long value = -1;
  for (size_t i = 0; i < before && i < lines.size(); ++i)
    if (lines[i].compare(0, 8, L"Купюра: ") == 0) value = std::wcstol(lines[i].c_str() + 8, nullptr, 10);
  return value;
}

// Starts a run and waits until the page has reset and enabled the device.
void StartRun(const TNotaprobe& app, const TAcceptPage& page) {
  app.PressToStartLoop(page.Page, L"Начать");
  // The page enables Stop, then disables Start: both are waited for, since a
  // look between the two would see both enabled.
  EXPECT_TRUE(uiprobe::WaitUntil(
      [&] { return uiprobe::IsEnabled(page.Stop) && !uiprobe::IsEnabled(page.Start); }, 20000));
  EXPECT_TRUE(WaitForTrace(page.Memo, {L"-> RESET", L"-> OK", L"-> WRITE DENOMINATION", L"-> OK",
                                       L"-> DISABLE INHIBIT", L"-> OK"}))
      << Narrow(uiprobe::Text(page.Memo));
}

void StopRun(const TNotaprobe& app, const TAcceptPage& page) {
  app.Press(page.Page, L"Остановить");
  EXPECT_TRUE(uiprobe::WaitUntil([&] { return uiprobe::IsEnabled(page.Start); }, 20000));
  EXPECT_FALSE(uiprobe::IsEnabled(page.Stop));
}

}  // namespace

TEST(NotaprobeAcceptPage, ReturnsABillWhenClearedAndStacksItWhenSet) {
  auto emu = notarel::EmulatorPeer::Start();
  ASSERT_NE(emu, nullptr);
  TNotaprobe app;
  ASSERT_NE(app.Main(), nullptr);
  TAcceptPage page = FindAcceptPage(app);
  ASSERT_TRUE(page.Accept && page.Memo && page.Summ && page.Start && page.Stop);
  EXPECT_TRUE(Checked(page.Accept));
  EXPECT_FALSE(uiprobe::IsEnabled(page.Stop));
  EXPECT_EQ(uiprobe::Text(page.Summ), L"0");

  SetChecked(page.Accept, false);
  StartRun(app, page);
  Insert(*emu, 102);
  ASSERT_TRUE(WaitForTrace(page.Memo, {L"13h ESCROW", L"-> RETURN", L"-> OK"}))
      << Narrow(uiprobe::Text(page.Memo));
  std::vector<std::wstring> lines = MemoLines(page.Memo);
  size_t returned = IndexOf(lines, L"-> RETURN");
  EXPECT_GT(BillValueBefore(lines, returned), 0);
  EXPECT_EQ(uiprobe::Text(page.Summ), L"0");

  SetChecked(page.Accept, true);
  Insert(*emu, 102);
  ASSERT_TRUE(WaitForTrace(page.Memo,
                           {L"13h ESCROW", L"-> STACK1", L"-> OK", L"15h VEND VALID", L"-> ACK", L"-> OK"},
                           returned + 1))
      << Narrow(uiprobe::Text(page.Memo));
  lines = MemoLines(page.Memo);
  size_t stacked = IndexOf(lines, L"-> STACK1", returned);
  long value = BillValueBefore(lines, stacked);
  EXPECT_GT(value, 0);
  EXPECT_TRUE(uiprobe::WaitUntil([&] { return uiprobe::Text(page.Summ) == std::to_wstring(value); }, 10000))
      << Narrow(uiprobe::Text(page.Summ));
  // The sum grows with each stacked bill.
  Insert(*emu, 102);
  EXPECT_TRUE(uiprobe::WaitUntil(
      [&] { return uiprobe::Text(page.Summ) == std::to_wstring(2 * value); }, 20000))
      << Narrow(uiprobe::Text(page.Summ));
  uiprobe::SaveScreenshot(app.Main(), ScreenshotPath(L"notaprobe_accept"));

  // The end of a run shows the last command's result in the result area.
  StopRun(app, page);
  std::vector<std::wstring> result = app.ResultTexts();
  EXPECT_TRUE(std::regex_match(Narrow(result[0]), std::regex("\\(-?\\d+\\) .+"))) << Narrow(result[0]);
}

TEST(NotaprobeAcceptPage, ARepeatedStatusWritesOneLine) {
  auto emu = notarel::EmulatorPeer::Start();
  ASSERT_NE(emu, nullptr);
  TNotaprobe app;
  ASSERT_NE(app.Main(), nullptr);
  TAcceptPage page = FindAcceptPage(app);
  StartRun(app, page);
  // The device idles enabled: its status repeats on every pass.
  size_t count = MemoLines(page.Memo).size();
  Insert(*emu, 102);
  ASSERT_TRUE(WaitForTrace(page.Memo, {L"-> ACK", L"-> OK"}, count));
  StopRun(app, page);
  // Each status line names a code other than the status line before it,
  // though the idle status came back on many passes.
  std::vector<std::wstring> statuses;
  for (const std::wstring& line : MemoLines(page.Memo))
    if (std::regex_match(Narrow(line), std::regex("[ 0-9A-F]{2}h .+"))) statuses.push_back(line);
  EXPECT_GE(statuses.size(), 5u);
  for (size_t i = 1; i < statuses.size(); ++i)
    EXPECT_NE(statuses[i], statuses[i - 1]) << Narrow(uiprobe::Text(page.Memo));
}

TEST(NotaprobeAcceptPage, PortVanishingDuringARunWritesItsFailureTheRunGoesOnOnTheNewLineAndStopStillWorks) {
  auto emu = notarel::EmulatorPeer::Start();
  ASSERT_NE(emu, nullptr);
  TNotaprobe app;
  ASSERT_NE(app.Main(), nullptr);
  TAcceptPage page = FindAcceptPage(app);
  StartRun(app, page);
  size_t before = MemoLines(page.Memo).size();
  EXPECT_EQ(emu->Command("hangup").substr(0, 2), "OK");
  // The pass on the dead line writes its failure; the driver lets go of that
  // line, so later passes of the same run reach the device on its new line
  // (its status is the same as before, so the memo shows no new line).
  auto failures = [&] {
    size_t n = 0;
    std::vector<std::wstring> lines = MemoLines(page.Memo);
    for (size_t i = before; i < lines.size(); ++i)
      if (std::regex_match(Narrow(lines[i]), std::regex("-> \\(-\\d+\\) .+"))) ++n;
    return n;
  };
  EXPECT_TRUE(uiprobe::WaitUntil([&] { return failures() >= 1; }, 20000))
      << Narrow(uiprobe::Text(page.Memo));
  auto requests = [&] {
    const std::string counters = emu->Command("counters");
    const auto at = counters.find("requests=");
    return at == std::string::npos ? -1 : std::stoi(counters.substr(at + 9));
  };
  const int heard = requests();
  EXPECT_TRUE(uiprobe::WaitUntil([&] { return requests() >= heard + 3; }, 20000))
      << "the run went on on the new line: " << heard << " requests";
  EXPECT_TRUE(uiprobe::IsEnabled(page.Stop));
  StopRun(app, page);
  uiprobe::SaveScreenshot(app.Main(), ScreenshotPath(L"notaprobe_accept_port_lost"));

  // A new run opens the port again (the device's new line) and reads statuses.
  app.PressToStartLoop(page.Page, L"Начать");
  EXPECT_TRUE(uiprobe::WaitUntil(
      [&] {
        std::vector<std::wstring> lines = MemoLines(page.Memo);
        return !lines.empty() && std::regex_match(Narrow(lines[0]), std::regex("[ 0-9A-F]{2}h .+"));
      },
      20000))
      << Narrow(uiprobe::Text(page.Memo));
  StopRun(app, page);
}

TEST(NotaprobeAcceptPage, ClosingTheProgramDuringARunEndsItCleanly) {
  auto emu = notarel::EmulatorPeer::Start();
  ASSERT_NE(emu, nullptr);
  TNotaprobe app;
  ASSERT_NE(app.Main(), nullptr);
  TAcceptPage page = FindAcceptPage(app);
  StartRun(app, page);
  EXPECT_EQ(app.CloseAndWait(20000), 0u);
}
