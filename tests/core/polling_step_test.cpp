// One polling cycle at a time: what the loop sends and reports for each status.
#include <gtest/gtest.h>

#include <vector>

#include "device_test.h"

namespace notarel {
namespace {

struct Event {
  std::string name;
  std::int32_t code = 0;
  std::int32_t ext = 0;
  std::string text;
};

class PollingStep : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    if (HasFatalFailure()) return;
    driver().SetOnError([this](std::int32_t c, std::int32_t e, const std::string& t) {
      events_.push_back({"Error", c, e, t});
    });
    driver().SetOnReject([this](std::int32_t c, std::int32_t e, const std::string& t) {
      events_.push_back({"Reject", c, e, t});
    });
    driver().SetOnStacked([this](TDriver&) { events_.push_back({"Stacked", 0, 0, ""}); });
  }
  std::string Counters() { return peer_->Command("counters"); }
  std::vector<Event> events_;
};

TEST_F(PollingStep, EnabledDeviceIsInhibitedEveryCycleWhileBillsAreNotWanted) {
  for (int cycle = 0; cycle < 2; ++cycle) {
    Emu("reply 11");
    driver().PollStep();
    EXPECT_EQ(driver().Output(), "FC 06 C3 01 8D C7") << cycle;
  }
  Emu("reply 1A");
  driver().PollStep();
  EXPECT_EQ(driver().Output(), "FC 05 11 27 56");  // inhibited: nothing more
}

TEST_F(PollingStep, InhibitedDeviceIsEnabledThenUninhibitedWhenBillsAreWanted) {
  ASSERT_TRUE(driver().Reset());
  driver().SetBillEnabled(true);
  for (int i = 0; i < 3 && driver().LastPollStatus() != 0x1A; ++i) driver().PollStep();
  ASSERT_EQ(driver().LastPollStatus(), 0x1A);
  EXPECT_EQ(driver().Output(), "FC 06 C3 00 04 D6");
  EXPECT_EQ(peer_->Command("status").find("inhibit=0 enabled=0xFF") != std::string::npos, true)
      << peer_->Command("status");
  for (int i = 1; i <= 8; ++i) EXPECT_TRUE(driver().Denomination(i));
  driver().PollStep();
  EXPECT_EQ(driver().StatusCode(), 0x11);
}

TEST_F(PollingStep, EnableIsNotLiftedWhenTheDenominationWriteFails) {
  driver().SetBillEnabled(true);
  Emu("reply 1A");
  Emu("silent 10000");
  driver().PollStep();  // the status read itself fails: nothing is sent after it
  EXPECT_EQ(driver().Output(), "FC 05 11 27 56");
  Emu("silent 0");
  Emu("reply 1A");
  driver().PollStep();
  EXPECT_EQ(driver().Output(), "FC 06 C3 00 04 D6");
}

TEST_F(PollingStep, BillWithoutAHandlerIsReturned) {
  EnableDevice();
  driver().SetBillEnabled(true);
  Emu("insert 0x66");
  for (int i = 0; i < 4 && driver().LastPollStatus() != 0x13; ++i) driver().PollStep();
  ASSERT_EQ(driver().LastPollStatus(), 0x13);
  EXPECT_EQ(driver().Output(), HexDump(BuildFrame({0x43})));
  EXPECT_NE(Counters().find("return=1"), std::string::npos);
}

TEST_F(PollingStep, AcceptedBillIsStackedAcknowledgedAndReportedOnce) {
  driver().SetDefaults();
  driver().SetCountryIndex(0);
  ASSERT_TRUE(driver().CountryByIndex());
  peer_->Attach(driver());
  EnableDevice();
  driver().SetBillEnabled(true);
  std::vector<std::int32_t> offered;
  driver().SetOnBill([&](std::int32_t summ, std::int16_t& accept) {
    offered.push_back(summ);
    EXPECT_EQ(accept, 0);
    accept = -1;
  });
  Emu("insert 102");
  for (int i = 0; i < 10 && events_.empty(); ++i) driver().PollStep();
  ASSERT_EQ(offered, std::vector<std::int32_t>{500});
  ASSERT_EQ(events_.size(), 1u);
  EXPECT_EQ(events_[0].name, "Stacked");
  driver().PollStep();
  EXPECT_EQ(events_.size(), 1u);
  const std::string counters = Counters();
  EXPECT_NE(counters.find("stacked=1"), std::string::npos) << counters;
  EXPECT_NE(counters.find("stack1=1"), std::string::npos) << counters;
  EXPECT_NE(counters.find("return=0"), std::string::npos) << counters;
}

TEST_F(PollingStep, StackedFiresOncePerArrival) {
  for (const char* reply : {"reply 16", "reply 16", "reply 11", "reply 16"}) {
    Emu(reply);
    driver().PollStep();
  }
  ASSERT_EQ(events_.size(), 2u);
  EXPECT_EQ(events_[1].name, "Stacked");
}

TEST_F(PollingStep, RejectionsAndFailuresAreReportedWithTheirCodes) {
  Emu("reply 49 A2");  // already failing at the first cycle
  driver().PollStep();
  Emu("reply 49 A2");
  driver().PollStep();
  Emu("reply 17 71");
  driver().PollStep();
  ASSERT_EQ(events_.size(), 2u);
  EXPECT_EQ(events_[0].name, "Error");
  EXPECT_EQ(events_[0].code, 73);
  EXPECT_EQ(events_[0].ext, 0xA2);
  EXPECT_EQ(events_[0].text, "Stack motor failure");
  EXPECT_EQ(events_[1].name, "Reject");
  EXPECT_EQ(events_[1].code, 23);
  EXPECT_EQ(events_[1].ext, 0x71);
  EXPECT_EQ(events_[1].text, "Insertion error");
}

TEST_F(PollingStep, VendValidIsAcknowledgedAndPowerUpReset) {
  Emu("reply 15");
  driver().PollStep();
  EXPECT_EQ(driver().Output(), "FC 05 50 AA 05");
  Emu("reply 41");
  driver().PollStep();
  EXPECT_EQ(driver().Output(), "FC 05 40 2B 15");
  EXPECT_TRUE(events_.empty());
}

TEST_F(PollingStep, LastingSilenceIsReportedAfterTheTimeoutNotBefore) {
  Emu("silent 100000");
  driver().PollStep();  // starts the timer
  driver().PollStep();  // well within the default ten seconds
  EXPECT_TRUE(events_.empty());
  driver().SetErrorTimeout(0);
  driver().PollStep();
  ASSERT_EQ(events_.size(), 1u);
  EXPECT_EQ(events_[0].name, "Error");
  EXPECT_EQ(events_[0].code, -1);
  EXPECT_EQ(events_[0].ext, -1);
  EXPECT_EQ(events_[0].text, Cp("Нет связи"));
  driver().PollStep();  // the timer started again
  EXPECT_EQ(events_.size(), 1u);
  Emu("silent 0");
  driver().PollStep();
  Emu("silent 100000");
  driver().PollStep();  // a success in between: this failure only starts a new run
  EXPECT_EQ(events_.size(), 1u);
  driver().PollStep();
  EXPECT_EQ(events_.size(), 2u);
}

TEST_F(PollingStep, AFailedReadDoesNotActOnTheOldStatus) {
  driver().SetBillEnabled(true);
  int offers = 0;
  driver().SetOnBill([&](std::int32_t, std::int16_t&) { ++offers; });
  Emu("reply 13 65");
  driver().PollStep();
  EXPECT_EQ(offers, 1);
  Emu("corrupt");
  driver().PollStep();  // ESCROW is still the last status read, but nothing is known now
  EXPECT_EQ(offers, 1);
  EXPECT_EQ(driver().Output(), "FC 05 11 27 56");
}

// StopPolling makes the device safe also for a client that drives it with
// single commands and never started the loop.
TEST_F(PollingStep, StopWithoutALoopInhibitsAndStopWhoseInhibitFails) {
  driver().SetInhibitStatus(false);
  ASSERT_TRUE(driver().WriteInhibitStatus());
  ASSERT_NE(peer_->Command("status").find(" inhibit=0 "), std::string::npos);
  EXPECT_TRUE(driver().StopPolling());
  EXPECT_EQ(driver().ResultCode(), 0);
  EXPECT_EQ(driver().Output(), "FC 06 C3 01 8D C7");
  EXPECT_NE(peer_->Command("status").find(" inhibit=1 "), std::string::npos);
  EXPECT_TRUE(driver().InhibitStatus());
  ASSERT_TRUE(driver().StartPolling());
  Emu("silent 100000");
  EXPECT_TRUE(driver().StopPolling());
  EXPECT_EQ(driver().ResultCode(), 0);
  EXPECT_EQ(driver().ResultDescription(), Cp("Ошибок нет"));
  EXPECT_FALSE(driver().PollingStarted());
}

// A FAILURE or REJECTING reply that holds only its status byte is a failed
// read: it must not count as seen, or the complete replies after it would
// look unchanged and the episode would pass without its event.
TEST_F(PollingStep, AReplyCutShortDoesNotHideTheEpisodesEvent) {
  struct Episode {
    std::vector<const char*> replies;
    const char* name;
    std::int32_t code;
    std::int32_t ext;
  };
  const Episode episodes[] = {
      {{"reply 11", "reply 49", "reply 49 A2", "reply 49 A2", "reply 11"}, "Error", 73, 0xA2},
      {{"reply 11", "reply 17", "reply 17 71", "reply 17 71", "reply 11"}, "Reject", 23, 0x71},
      // Cut short in the middle: still one event for the episode.
      {{"reply 11", "reply 49 A5", "reply 49", "reply 49 A5", "reply 11"}, "Error", 73, 0xA5},
  };
  driver().SetBillEnabled(true);  // so that ENABLE(HDLING) asks for nothing
  for (const Episode& episode : episodes) {
    events_.clear();
    for (const char* reply : episode.replies) {
      Emu(reply);
      driver().PollStep();
    }
    ASSERT_EQ(events_.size(), 1u) << episode.replies[1] << ", " << episode.replies[2];
    EXPECT_EQ(events_[0].name, episode.name);
    EXPECT_EQ(events_[0].code, episode.code);
    EXPECT_EQ(events_[0].ext, episode.ext);
  }
}

}  // namespace
}  // namespace notarel
