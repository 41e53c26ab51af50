// The connection test loop and the device search against the emulator. The
// loop's host is played by the test: it sets the ticks, counts what the page
// would show and says when to stop.
#include <functional>
#include <vector>

#include "page_connect_logic.h"
#include "page_find_device_logic.h"
#include "pages_test.h"

namespace pages_test {
namespace {

class FakeHost : public TConnectHost {
 public:
  // Each Tick() returns the next of `ticks` (the last one repeats).
  std::vector<std::uint32_t> ticks{1000};
  bool stopOnError = false;
  // Asked at the end of every pass, with the number of that pass.
  std::function<bool(int pass)> stopAfter = [](int) { return true; };
  // Called while the loop yields (between Show and EndCommand).
  std::function<void()> onYield;

  std::vector<TConnectCounters> shown;
  int yields = 0;
  int endCommands = 0;
  int passes = 0;

  std::uint32_t Tick() override {
    const std::uint32_t tick = ticks[next_ < ticks.size() ? next_ : ticks.size() - 1];
    ++next_;
    return tick;
  }
  void Show(const TConnectCounters& counters) override { shown.push_back(counters); }
  void ProcessMessages() override {
    ++yields;
    if (onYield) onYield();
  }
  void EndCommand() override { ++endCommands; }
  bool StopOnError() override { return stopOnError; }
  bool Stopped() override { return stopAfter(++passes); }

 private:
  std::size_t next_ = 0;
};

// Ticks that move by `step` ms on every call, from 1000.
std::vector<std::uint32_t> Moving(int calls, std::uint32_t step) {
  std::vector<std::uint32_t> ticks;
  for (int i = 0; i < calls; ++i) ticks.push_back(1000 + step * static_cast<std::uint32_t>(i));
  return ticks;
}

using ConnectLogic = DeviceTest;

TEST_F(ConnectLogic, EveryPassOpensReadsAndClosesAndIsShown) {
  FakeHost host;
  host.ticks = Moving(30, 7);
  host.stopAfter = [](int pass) { return pass == 20; };
  const TConnectCounters last = TConnectLogic(Driver()).Run(host);
  EXPECT_EQ(last.Passes, 20);
  EXPECT_EQ(last.Failures, 0);
  EXPECT_EQ(last.Elapsed, 140u);
  ASSERT_EQ(host.shown.size(), 20u);
  EXPECT_EQ(host.yields, 20);
  EXPECT_EQ(host.endCommands, 20);
  EXPECT_EQ(host.shown[9].Passes, 10);
  EXPECT_EQ(host.shown[9].Elapsed, 70u);
  // The port is closed at the end of each shown pass.
  EXPECT_FALSE(Driver().GetBool(kDispPortOpened));
  EXPECT_NE(Emu("counters").find("requests="), std::string::npos);
}

TEST_F(ConnectLogic, PassesWithoutElapsedTimeAreCountedButNotShownAndKeepThePortOpen) {
  FakeHost host;
  host.ticks = {1000, 1000, 1000, 1000};
  host.stopAfter = [](int pass) { return pass == 3; };
  const TConnectCounters last = TConnectLogic(Driver()).Run(host);
  EXPECT_EQ(last.Passes, 3);
  EXPECT_EQ(last.Failures, 0);
  EXPECT_TRUE(host.shown.empty());
  EXPECT_EQ(host.yields, 0);
  EXPECT_EQ(host.endCommands, 0);
  EXPECT_TRUE(Driver().GetBool(kDispPortOpened));

  // Once the tick moves, the pass is shown with every pass counted.
  FakeHost later;
  later.ticks = {1000, 1000, 1000, 1002};
  later.stopAfter = [](int pass) { return pass == 3; };
  const TConnectCounters shown = TConnectLogic(Driver()).Run(later);
  ASSERT_EQ(later.shown.size(), 1u);
  EXPECT_EQ(later.shown[0].Passes, 3);
  EXPECT_EQ(shown.Elapsed, 2u);
  EXPECT_FALSE(Driver().GetBool(kDispPortOpened));
}

TEST_F(ConnectLogic, NoDeviceWithStopOnErrorStopsAtTheFirstShownPass) {
  UseMissingPort();
  FakeHost host;
  host.ticks = {500, 500, 500, 501};
  host.stopOnError = true;
  host.stopAfter = [](int) { return false; };
  const TConnectCounters last = TConnectLogic(Driver()).Run(host);
  EXPECT_EQ(last.Passes, 3);
  EXPECT_EQ(last.Failures, 3);
  ASSERT_EQ(host.shown.size(), 1u);
  EXPECT_EQ(FormatConnectView(host.shown[0], L',').ErrRate, L"100,00");
  EXPECT_NE(Driver().GetLong(kDispResultCode), 0);
}

TEST_F(ConnectLogic, FailuresAreCountedAndTheTestGoesOnWithoutStopOnError) {
  FakeHost host;
  host.ticks = Moving(200, 5);
  host.onYield = [&] {
    if (host.shown.size() == 3) Emu("silent 1500");
  };
  // Runs on until a pass has failed and the device has answered again: three
  // passes before the silence, two after it.
  host.stopAfter = [&](int) {
    const TConnectCounters& now = host.shown.back();
    return now.Failures >= 1 && now.Passes >= now.Failures + 5;
  };
  const TConnectCounters last = TConnectLogic(Driver()).Run(host);
  EXPECT_GE(last.Failures, 1);
  EXPECT_GE(last.Passes, last.Failures + 5);
  EXPECT_EQ(host.shown.size(), static_cast<std::size_t>(last.Passes));
}

TEST_F(ConnectLogic, SilenceWithStopOnErrorStopsWithThePortLeftOpen) {
  FakeHost host;
  host.ticks = Moving(200, 5);
  host.stopOnError = true;
  host.stopAfter = [](int) { return false; };
  host.onYield = [&] {
    if (host.shown.size() == 2) Emu("silent 3000");
  };
  const TConnectCounters last = TConnectLogic(Driver()).Run(host);
  Emu("silent 0");
  EXPECT_EQ(last.Passes, 3);
  EXPECT_EQ(last.Failures, 1);
  // OpenPort succeeded and ReadStatus failed; the failed pass does not close.
  EXPECT_TRUE(Driver().GetBool(kDispPortOpened));
}

using FindDeviceLogic = DeviceTest;

TEST_F(FindDeviceLogic, FindsTheEmulatorsPortInOneLine) {
  UseMissingPort();
  std::vector<std::wstring> memo{L"old line"};
  const bool found = TFindDeviceLogic(Driver()).Search([&] { memo.clear(); },
                                                       [&](const std::wstring& line) { memo.push_back(line); });
  EXPECT_TRUE(found);
  ASSERT_EQ(memo.size(), 1u);
  EXPECT_EQ(memo[0], L"Устройство найдено. Порт: COM" + std::to_wstring(EmulatorCom()));
  EXPECT_EQ(Driver().GetLong(kDispPortNumber), EmulatorCom());
}

TEST_F(FindDeviceLogic, SilentDeviceIsNotFound) {
  ASSERT_EQ(Emu("silent 60000").substr(0, 2), "OK");
  std::vector<std::wstring> memo{L"old line"};
  const bool found = TFindDeviceLogic(Driver()).Search([&] { memo.clear(); },
                                                       [&](const std::wstring& line) { memo.push_back(line); });
  Emu("silent 0");
  EXPECT_FALSE(found);
  EXPECT_EQ(memo, std::vector<std::wstring>{L"Устройство не найдено."});
  EXPECT_EQ(Driver().GetLong(kDispPortNumber), EmulatorCom());
}

}  // namespace
}  // namespace pages_test
