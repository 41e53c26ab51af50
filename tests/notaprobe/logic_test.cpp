// The window-free parts against the emulator in this process: the control
// wrapper (properties, interface errors, events from the polling thread) and
// the accept and command pages' logic with its trace lines.
#include <gtest/gtest.h>

#include <atomic>
#include <regex>

#include "page_accept_logic.h"
#include "page_command_logic.h"
#include "emulator_peer.h"
#include "notaprobe_app.h"
#include "notarel2.h"
#include "ui_probe.h"

using namespace notaprobe_test;

namespace {

class NotaprobeLogic : public ::testing::Test {
 protected:
  void SetUp() override {
    emu_ = notarel::EmulatorPeer::Start();
    ASSERT_NE(emu_, nullptr);
    control_ = std::make_unique<TNotarel2>();
  }
  void TearDown() override { control_.reset(); }

  TLineWriter Writer() {
    return [this](const std::wstring& line) { lines_.push_back(line); };
  }
  // Runs passes until `cond` holds (up to 20 s).
  bool RunUntil(TAcceptLogic& logic, bool accept, const std::function<bool()>& cond) {
    return uiprobe::WaitUntil(
        [&] {
          logic.PollDevice(accept);
          return cond();
        },
        20000);
  }
  bool Has(const std::vector<std::wstring>& expected) const {
    return ContainsInOrder(lines_, expected);
  }
  std::string Trace() const {
    std::wstring all;
    for (const std::wstring& line : lines_) all += line + L"\n";
    return Narrow(all);
  }

  std::unique_ptr<notarel::EmulatorPeer> emu_;
  std::unique_ptr<TNotarel2> control_;
  std::vector<std::wstring> lines_;
};

}  // namespace

TEST_F(NotaprobeLogic, WrapperReadsAndWritesPropertiesAndRaisesInterfaceErrors) {
  control_->SetLong(kDispPollingInterval, 250);
  EXPECT_EQ(control_->GetLong(kDispPollingInterval), 250);
  control_->SetBool(kDispBillEnabled, false);
  EXPECT_FALSE(control_->GetBool(kDispBillEnabled));
  control_->SetBool(kDispBillEnabled, true);
  EXPECT_TRUE(control_->GetBool(kDispBillEnabled));
  std::wstring name = control_->GetString(kDispCurrencyName);
  control_->SetString(kDispCurrencyName, name);
  EXPECT_EQ(control_->GetString(kDispCurrencyName), name);
  EXPECT_FALSE(control_->GetString(kDispFileVersion).empty());
  // A DISPID the control does not know fails at the interface level.
  EXPECT_THROW(control_->GetLong(999), TOleError);
  try {
    control_->SetLong(999, 1);
    ADD_FAILURE() << "no error";
  } catch (const TOleError& e) {
    EXPECT_TRUE(FAILED(e.Result()));
    EXPECT_FALSE(e.Message().empty());
  }
}

TEST_F(NotaprobeLogic, EventsOfThePollingThreadReachTheSlotsAndTheBillAnswerCounts) {
  std::atomic<int> bills{0};
  std::atomic<long> summ{0};
  std::atomic<int> stacked{0};
  std::atomic<bool> accept{false};
  control_->SetOnBill([&](long value, VARIANT_BOOL* answer) {
    summ = value;
    *answer = accept ? VARIANT_TRUE : VARIANT_FALSE;
    ++bills;
  });
  control_->SetOnStacked([&] { ++stacked; });
  control_->SetLong(kDispPollingInterval, 50);
  control_->SetBool(kDispBillEnabled, true);
  ASSERT_TRUE(control_->Call(&IWBA003_4::StartPolling, L"StartPolling"));
  auto insert = [&] {
    return uiprobe::WaitUntil([&] { return emu_->Command("insert 102").substr(0, 2) == "OK"; }, 20000);
  };
  // Refused: the bill goes back, nothing is stacked.
  ASSERT_TRUE(insert());
  ASSERT_TRUE(uiprobe::WaitUntil([&] { return bills == 1; }, 20000));
  EXPECT_GT(summ.load(), 0);
  // Accepted: stacked once.
  accept = true;
  ASSERT_TRUE(insert());
  EXPECT_TRUE(uiprobe::WaitUntil([&] { return stacked == 1; }, 20000));
  EXPECT_EQ(bills, 2);
  // A cleared slot is not called any more; the driver decides alone (return).
  control_->SetOnBill(nullptr);
  ASSERT_TRUE(insert());
  EXPECT_TRUE(uiprobe::WaitUntil([&] { return emu_->Command("counters").find("escrowed=3") != std::string::npos; }, 20000))
      << emu_->Command("counters");
  control_->Call(&IWBA003_4::StopPolling, L"StopPolling");
  EXPECT_EQ(bills, 2);
  EXPECT_EQ(stacked, 1);
}

TEST_F(NotaprobeLogic, AcceptLogicRunsTheWholeCycleAndAddsTheSum) {
  TAcceptLogic logic(*control_, Writer());
  std::wstring caption = logic.SummCaption();
  EXPECT_TRUE(std::regex_match(Narrow(caption), std::regex("Сумма, .+:"))) << Narrow(caption);
  ASSERT_TRUE(logic.Start());
  ASSERT_TRUE(RunUntil(logic, true, [&] { return Has({L"-> DISABLE INHIBIT", L"-> OK"}); })) << Trace();
  EXPECT_TRUE(Has({L"-> RESET", L"-> OK", L"-> WRITE DENOMINATION", L"-> OK", L"-> DISABLE INHIBIT"}));
  // A rejected bill: the rejection line with its code.
  ASSERT_EQ(emu_->Command("reject 0x71").substr(0, 2), "OK");
  ASSERT_TRUE(RunUntil(logic, true, [&] { return logic.LastStatus() == 0x17; })) << Trace();
  EXPECT_TRUE(std::regex_match(Narrow(lines_.back()), std::regex("Отказ: 71h .+"))) << Trace();
  // An accepted bill adds its value.
  ASSERT_TRUE(uiprobe::WaitUntil([&] {
    logic.PollDevice(true);
    return emu_->Command("insert 102").substr(0, 2) == "OK";
  }, 20000));
  ASSERT_TRUE(RunUntil(logic, true, [&] { return logic.Added() == 1; })) << Trace();
  control_->SetLong(kDispBillCode, 102);
  control_->Call(&IWBA003_4::GetBillSumm, L"GetBillSumm");
  EXPECT_GT(control_->GetLong(kDispBillSumm), 0);
  EXPECT_EQ(logic.Total(), control_->GetLong(kDispBillSumm));
  EXPECT_TRUE(Has({L"13h ESCROW", L"-> STACK1", L"-> OK", L"15h VEND VALID", L"-> ACK", L"-> OK"})) << Trace();
  // A failure: the failure line, then the reset the power-up asks for.
  ASSERT_EQ(emu_->Command("fail 0x50").substr(0, 2), "OK");
  ASSERT_TRUE(RunUntil(logic, true, [&] { return logic.LastStatus() == 0x49; })) << Trace();
  EXPECT_TRUE(std::regex_match(Narrow(lines_.back()), std::regex("Сбой: 50h .+"))) << Trace();
  logic.Finish();
  EXPECT_FALSE(control_->GetBool(kDispPortOpened));
}

TEST_F(NotaprobeLogic, AcceptLogicWritesEveryFailedRequestButTheStatusOnce) {
  TAcceptLogic logic(*control_, Writer());
  ASSERT_TRUE(logic.Start());
  ASSERT_TRUE(RunUntil(logic, true, [&] { return Has({L"-> DISABLE INHIBIT", L"-> OK"}); })) << Trace();
  ASSERT_EQ(emu_->Command("silent 60000").substr(0, 2), "OK");
  lines_.clear();
  for (int i = 0; i < 3; ++i) logic.PollDevice(true);
  emu_->Command("silent 0");
  ASSERT_EQ(lines_.size(), 3u) << Trace();
  for (const std::wstring& line : lines_)
    EXPECT_TRUE(std::regex_match(Narrow(line), std::regex("-> \\(-\\d+\\) .+"))) << Narrow(line);
  logic.Finish();
}

TEST_F(NotaprobeLogic, CommandLogicShowsStatusLinesForRejectionAndFailure) {
  TCommandLogic logic(*control_, Writer());
  auto statusUntil = [&](long code) {
    return uiprobe::WaitUntil(
        [&] {
          lines_.clear();
          if (!control_->Call(&IWBA003_4::ReadStatus, L"ReadStatus")) return false;
          logic.ShowStatus();
          return control_->GetLong(kDispStatusCode) == code;
        },
        20000);
  };
  ASSERT_TRUE(statusUntil(0x40)) << Trace();  // power-up: two lines
  ASSERT_EQ(lines_.size(), 2u) << Trace();
  EXPECT_EQ(lines_[0], L"Код состояния: 40h");
  EXPECT_EQ(lines_[1].compare(0, 20, L"Описание состояния: "), 0);
  ASSERT_EQ(emu_->Command("fail 0x50").substr(0, 2), "OK");
  ASSERT_TRUE(statusUntil(0x49)) << Trace();
  ASSERT_EQ(lines_.size(), 4u) << Trace();
  EXPECT_EQ(lines_[2], L"Код ошибки: 80");
  EXPECT_EQ(lines_[3].compare(0, 17, L"Описание ошибки: "), 0);
  EXPECT_GT(lines_[3].size(), 17u);
}

TEST_F(NotaprobeLogic, StatusLoopPassWritesOnlyChanges) {
  TCommandLogic logic(*control_, Writer());
  long last = -1;
  for (int i = 0; i < 5; ++i) logic.PollPass(last);
  // Power-up repeats until reset: one line for five passes.
  ASSERT_EQ(lines_.size(), 1u) << Trace();
  EXPECT_TRUE(std::regex_match(Narrow(lines_[0]), std::regex("40h, .+"))) << Trace();
  EXPECT_EQ(last, 0x40);
  ASSERT_TRUE(control_->Call(&IWBA003_4::Reset, L"Reset"));
  logic.PollPass(last);
  ASSERT_EQ(lines_.size(), 2u) << Trace();
  EXPECT_NE(last, 0x40);
  // A status below 0x10 would show a blank before its digit.
  EXPECT_EQ(HexCode(0x0A), L" A");
  EXPECT_EQ(HexCode(0x1A), L"1A");
}
