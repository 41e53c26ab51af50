// The polling page's logic against the emulator: the event lines and the
// Bill answer given on the polling thread, the two number fields, and the
// handlers detached by "Остановить".
#include <atomic>
#include <memory>
#include <vector>

#include "page_poll_logic.h"
#include "page_poll_text.h"
#include "pages_test.h"

namespace pages_test {
namespace {

bool StartsWith(const std::wstring& text, const std::wstring& prefix) { return text.rfind(prefix, 0) == 0; }

class PollLogic : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    if (HasFatalFailure()) return;
    // The first built-in country, in which bill code 102 is worth 500.
    Driver().SetLong(kDispCountryIndex, 0);
    ASSERT_TRUE(Driver().Call(&IWBA003_4::CountryByIndex, L"CountryByIndex"));
    logic_ = std::make_unique<TPollLogic>(Driver(), [this] {
      notifyThread_.store(GetCurrentThreadId());
      ++notified_;
    });
  }
  void TearDown() override {
    if (logic_) logic_->Stop();
    logic_.reset();
    DeviceTest::TearDown();
  }

  // Lines taken so far and new ones, all kept.
  const std::vector<std::wstring>& Lines() {
    for (std::wstring& line : logic_->TakeLines()) lines_.push_back(std::move(line));
    return lines_;
  }
  int Count(const std::wstring& prefix) {
    int n = 0;
    for (const std::wstring& line : Lines()) n += StartsWith(line, prefix) ? 1 : 0;
    return n;
  }
  // The emulator takes a bill once polling has enabled the device.
  bool Insert(int code) {
    return WaitFor([&] { return Emu("insert " + std::to_string(code)).substr(0, 2) == "OK"; });
  }
  bool Counter(const std::string& field) {
    return Emu("counters").find(field) != std::string::npos;
  }

  std::unique_ptr<TPollLogic> logic_;
  std::vector<std::wstring> lines_;
  std::atomic<int> notified_{0};
  std::atomic<DWORD> notifyThread_{0};
};

TEST_F(PollLogic, AcceptedBillWritesItsLineThenStacked) {
  ASSERT_TRUE(logic_->Start(L"10000", L"20"));
  EXPECT_TRUE(logic_->PollingStarted());
  EXPECT_EQ(Driver().GetLong(kDispErrorTimeout), 10000);
  EXPECT_EQ(Driver().GetLong(kDispPollingInterval), 20);
  logic_->SetBillEnabled(true);
  ASSERT_TRUE(Insert(102));
  ASSERT_TRUE(WaitFor([&] { return Count(L"Stacked - купюра уложена") == 1; }));
  ASSERT_GE(Lines().size(), 2u);
  EXPECT_TRUE(StartsWith(Lines()[0], L"Купюра: 500 ")) << testing::PrintToString(Lines());
  EXPECT_GT(Lines()[0].size(), std::wstring(L"Купюра: 500 ").size());  // the currency word
  EXPECT_EQ(Lines()[1], L"Stacked - купюра уложена");
  EXPECT_TRUE(Counter("stack1=1"));
  EXPECT_TRUE(Counter("return=0"));
  // The lines were announced from the polling thread, not from this one.
  EXPECT_GE(notified_.load(), 2);
  EXPECT_NE(notifyThread_.load(), GetCurrentThreadId());
}

TEST_F(PollLogic, ClearedCheckBoxReturnsTheBill) {
  logic_->SetAcceptBills(false);
  ASSERT_TRUE(logic_->Start(L"10000", L"20"));
  logic_->SetBillEnabled(true);
  ASSERT_TRUE(Insert(102));
  ASSERT_TRUE(WaitFor([&] { return Counter("return=1"); }));
  EXPECT_EQ(Count(L"Купюра: 500 "), 1);
  EXPECT_EQ(Count(L"Stacked"), 0);
  EXPECT_TRUE(Counter("stack1=0"));
  // Set again, the next bill is stacked.
  logic_->SetAcceptBills(true);
  ASSERT_TRUE(Insert(102));
  ASSERT_TRUE(WaitFor([&] { return Count(L"Stacked - купюра уложена") == 1; }));
  EXPECT_EQ(Count(L"Купюра: 500 "), 2);
}

TEST_F(PollLogic, RejectionAndFailureLines) {
  ASSERT_TRUE(logic_->Start(L"10000", L"20"));
  logic_->SetBillEnabled(true);
  ASSERT_TRUE(WaitFor([&] { return Emu("reject 113").substr(0, 2) == "OK"; }));
  ASSERT_TRUE(WaitFor([&] { return Count(L"Reject: 23 113 ") == 1; })) << testing::PrintToString(Lines());
  ASSERT_EQ(Emu("fail 162").substr(0, 2), "OK");
  ASSERT_TRUE(WaitFor([&] { return Count(L"Error: 73 162 ") >= 1; })) << testing::PrintToString(Lines());
  for (const std::wstring& line : Lines()) {
    // Every line carries the device's description after the codes.
    EXPECT_GT(line.size(), std::wstring(L"Error: 73 162 ").size()) << testing::PrintToString(line);
  }
}

TEST_F(PollLogic, LastingSilenceWritesAnErrorLineWithTheResultCodeTwice) {
  ASSERT_TRUE(logic_->Start(L"300", L"20"));
  ASSERT_EQ(Emu("silent 60000").substr(0, 2), "OK");
  ASSERT_TRUE(WaitFor([&] { return Count(L"Error: -") >= 1; })) << testing::PrintToString(Lines());
  Emu("silent 0");
  for (const std::wstring& line : Lines()) {
    if (!StartsWith(line, L"Error: -")) continue;
    long code = 0;
    long ext = 0;
    ASSERT_EQ(swscanf(line.c_str(), L"Error: %ld %ld", &code, &ext), 2);
    EXPECT_EQ(code, ext);
  }
}

TEST_F(PollLogic, BadTimeoutChangesNothingAndBadIntervalComesAfterTheTimeout) {
  Driver().SetLong(kDispErrorTimeout, 4321);
  Driver().SetLong(kDispPollingInterval, 77);
  EXPECT_THROW(logic_->Start(L"abc", L"100"), TConvertError);
  EXPECT_EQ(Driver().GetLong(kDispErrorTimeout), 4321);
  EXPECT_EQ(Driver().GetLong(kDispPollingInterval), 77);
  EXPECT_FALSE(logic_->PollingStarted());

  EXPECT_THROW(logic_->Start(L"5000", L"1x"), TConvertError);
  EXPECT_EQ(Driver().GetLong(kDispErrorTimeout), 5000);
  EXPECT_EQ(Driver().GetLong(kDispPollingInterval), 77);
  EXPECT_FALSE(logic_->PollingStarted());

  // No handler was attached: a bill offered now is returned without a line.
  Driver().SetLong(kDispPollingInterval, 20);
  Driver().SetBool(kDispBillEnabled, true);
  ASSERT_TRUE(Driver().Call(&IWBA003_4::StartPolling, L"StartPolling"));
  ASSERT_TRUE(Insert(102));
  ASSERT_TRUE(WaitFor([&] { return Counter("return=1"); }));
  EXPECT_TRUE(Lines().empty()) << testing::PrintToString(Lines());
}

TEST_F(PollLogic, StopDetachesTheHandlers) {
  ASSERT_TRUE(logic_->Start(L"10000", L"20"));
  EXPECT_TRUE(logic_->Stop());
  EXPECT_FALSE(logic_->PollingStarted());
  Driver().SetBool(kDispBillEnabled, true);
  ASSERT_TRUE(Driver().Call(&IWBA003_4::StartPolling, L"StartPolling"));
  ASSERT_TRUE(Insert(102));
  ASSERT_TRUE(WaitFor([&] { return Counter("return=1"); }));
  EXPECT_TRUE(Lines().empty()) << testing::PrintToString(Lines());
}

}  // namespace
}  // namespace pages_test
