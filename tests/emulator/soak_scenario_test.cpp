// The soak scenario as a host meets it: cycles that start by themselves,
// spoiled replies and silences from a seed, and the bookkeeping that tells a
// soak exactly which events the host must have seen.
#include <gtest/gtest.h>

#include <optional>

#include "fault_injector.h"
#include "hex_bytes.h"
#include "soak_scenario.h"

namespace notarel::emu {
namespace {

std::string BuildHex(const Bytes& body) { return HexDump(BuildFrame(body)); }

const Bytes kStatusRequest{0x11};
const Bytes kStack1{0x41};
const Bytes kReturn{0x43};
const Bytes kReset{0x40};
const Bytes kAck{0x50};
const Bytes kEnableAll{0xC0, 0x00, 0x00};
const Bytes kInhibitOff{0xC3, 0x00};
const Bytes kInhibitOn{0xC3, 0x01};

// Every rate zero: nothing happens unless a test turns it on.
const std::vector<std::string> kQuiet{"garbage=0",   "corrupt=0",  "swapcrc=0", "truncate=0",
                                      "short_silence=0", "long_silence=0", "reject=0", "fail=0",
                                      "powerup=0",   "full=0",     "pause=0", "short=0", "slow=0",
                                      "reject_hold=0"};

SoakRates Rates(std::vector<std::string> words) {
  SoakRates rates;
  std::string error;
  EXPECT_TRUE(ApplySoakRates(words, rates, error)) << error;
  return rates;
}

std::vector<std::string> QuietAnd(std::initializer_list<const char*> more) {
  std::vector<std::string> words = kQuiet;
  words.insert(words.end(), more.begin(), more.end());
  return words;
}

// The reply body a host that syncs on 0xFC and checks the CRC reads from the
// bytes, or nothing when it cannot read one.
std::optional<Bytes> ReadReply(const Bytes& sent) {
  const auto sync = std::find(sent.begin(), sent.end(), kFrameSync);
  if (sent.end() - sync < 2) return std::nullopt;
  const std::size_t length = sync[1];
  if (length < kFrameOverhead + 1 || static_cast<std::size_t>(sent.end() - sync) < length) return std::nullopt;
  const Bytes frame(sync, sync + static_cast<std::ptrdiff_t>(length));
  if (!FrameCrcMatches(frame)) return std::nullopt;
  return Bytes(frame.begin() + 2, frame.end() - 2);
}

class SoakOnTheLine : public ::testing::Test {
 protected:
  void Start(std::uint32_t seed, const std::vector<std::string>& rates) { soak_.emplace(seed, Rates(rates)); }

  // One request served as the event loop serves it: nothing when the soak
  // silences it, else the bytes that go on the line (none for an ACK).
  std::optional<Bytes> Serve(const Bytes& body) {
    soak_->Heard(body);
    if (soak_->SilenceAt().count() > 0) return std::nullopt;
    soak_->BeforeRequest(body, model_);
    const std::optional<Bytes> reply = model_.HandleRequest(body);
    if (!reply) return Bytes{};
    for (Fault& fault : soak_->FaultsFor(*reply)) faults_.Add(std::move(fault));
    const Bytes frame = BuildFrame(*reply);
    const Bytes sent = faults_.HasPending() ? faults_.Shape(frame).bytes : frame;
    soak_->AfterReply(body, *reply, ReachesHostIntact(sent, frame));
    return sent;
  }

  std::string Status() {
    const std::optional<Bytes> sent = Serve(kStatusRequest);
    return sent ? HexDump(*sent) : "(silenced)";
  }

  // Takes a device that starts up to enabled and idle, as every host does first.
  void Enable() {
    Serve(kReset);
    Serve(kEnableAll);
    Serve(kInhibitOff);
  }

  DeviceModel model_{{}, StartState::kEnabled};
  FaultInjector faults_{1};
  std::optional<SoakScenario> soak_;
};

TEST_F(SoakOnTheLine, ABillGoesInOnlyAfterTheHostHasReadTheIdleStatus) {
  Start(1, kQuiet);
  EXPECT_EQ(Status(), "FC 05 11 27 56") << "the host has not read the idle status yet";
  EXPECT_EQ(Status(), "FC 05 12 BC 64") << "now a bill goes in: ACCEPTING";
  const std::string escrow = Status();
  ASSERT_EQ(escrow.substr(0, 9), "FC 06 13 ");
  const int bill = std::stoi(escrow.substr(9, 2), nullptr, 16);
  EXPECT_GE(bill, 97);
  EXPECT_LE(bill, 104);
  EXPECT_EQ(soak_->Counters().bills, 1U);
  EXPECT_EQ(soak_->Counters().escrow_offers, 1U);
}

TEST_F(SoakOnTheLine, NothingStartsWhileEveryReplyIsUnreadable) {
  Start(2, QuietAnd({"corrupt=1000"}));
  for (int i = 0; i < 30; ++i) Status();
  EXPECT_EQ(soak_->Counters().bills, 0U);
  EXPECT_EQ(soak_->Counters().spoiled, 30U);
  EXPECT_EQ(HexDump(model_.CurrentStatus()), "11");
}

TEST_F(SoakOnTheLine, HiddenStatusesAreTheSpoiledOnesOnly) {
  Start(3, kQuiet);
  Status();
  Status();  // ACCEPTING
  Status();  // ESCROW
  ASSERT_EQ(soak_->Answer(true, model_).substr(0, 9), "OK bill=0");
  Serve(kStack1);
  Status();  // STACKING
  Status();  // VEND VALID
  Serve(kAck);
  faults_.Add({FaultKind::kGarbage, 5, {}});
  EXPECT_EQ(Status().substr(15), "FC 05 16 98 22") << "noise in front: still readable";
  EXPECT_EQ(soak_->Counters().stacked_hidden, 0U);

  model_.Insert(0x64);
  Status();
  Status();
  soak_->Answer(true, model_);
  Serve(kStack1);
  Status();
  Status();
  Serve(kAck);
  faults_.Add({FaultKind::kTruncate, 0, {}});
  EXPECT_EQ(Status(), "") << "cut to nothing";
  EXPECT_EQ(soak_->Counters().stacked_hidden, 1U);
  EXPECT_EQ(model_.Counters().stacked, 2U);

  ASSERT_EQ(model_.InsertToReject(0x61, 0x72), "");
  Status();
  faults_.Add({FaultKind::kCorrupt, 0, {}});
  Status();
  EXPECT_EQ(soak_->Counters().rejecting_hidden, 1U);
  EXPECT_EQ(soak_->Counters().spoiled, 2U);
}

// A reply cut to its status byte is spoiled; a rejection is hidden only when
// none of its REJECTING replies was read whole, and each loop that reads one
// owes one report.
TEST_F(SoakOnTheLine, CutShortRepliesAndLongerRejections) {
  Start(5, QuietAnd({"short=1000"}));
  Status();
  ASSERT_EQ(model_.InsertToReject(0x61, 0x72, 3), "");
  Status();                                   // ACCEPTING
  EXPECT_EQ(Status(), BuildHex({0x17}));      // REJECTING, cut short
  faults_.ClearPending();
  soak_.emplace(5, Rates(kQuiet));            // the rest whole
  EXPECT_EQ(Status(), BuildHex({0x17, 0x72}));
  soak_->HostPolling();                       // a new loop sees it again
  EXPECT_EQ(Status(), BuildHex({0x17, 0x72}));
  EXPECT_EQ(soak_->Counters().rejecting_hidden, 0U);
  EXPECT_EQ(soak_->Counters().rejecting_reports, 2U);
  EXPECT_EQ(HexDump(model_.CurrentStatus()), "11");

  Start(6, QuietAnd({"short=1000"}));
  ASSERT_EQ(model_.InsertToReject(0x62, 0x73, 2), "");
  Status();
  Status();
  Status();  // both REJECTING replies cut short
  EXPECT_EQ(soak_->Counters().short_replies, 2U);
  EXPECT_EQ(soak_->Counters().spoiled, 2U);
  EXPECT_EQ(soak_->Counters().rejecting_hidden, 1U);
  EXPECT_EQ(soak_->Counters().spoiled_retried, 1U) << "the second status request retried the first";
}

// After a reply it could not read the host may ask again or re-read the
// status, never act on what it did not read.
TEST_F(SoakOnTheLine, ARequestThatActsOnAnUnreadableReplyIsCounted) {
  Start(7, kQuiet);
  Status();
  model_.Insert(0x64);
  Status();  // ACCEPTING
  faults_.Add({FaultKind::kCorrupt, 0, {}});
  Status();  // ESCROW, unreadable
  Serve(kStack1);
  EXPECT_EQ(soak_->Counters().spoiled_acted_on, 1U);
  faults_.Add({FaultKind::kCorrupt, 0, {}});
  Serve(kStack1);  // its ACK unreadable: re-reading the status is right
  Status();
  EXPECT_EQ(soak_->Counters().spoiled_rechecked, 1U);
  EXPECT_EQ(soak_->Counters().spoiled_acted_on, 1U);
}

// An ESCROW read whole must end in Stack1 or Return, unless the host stopped
// (its inhibit came next); a handler may still answer after that inhibit.
TEST_F(SoakOnTheLine, OffersLeftByAStopAndOffersLost) {
  Start(8, kQuiet);
  Status();
  model_.Insert(0x65);
  Status();
  Status();  // ESCROW read whole
  Serve(kInhibitOn);
  EXPECT_EQ(soak_->Counters().offers_dropped, 1U);
  EXPECT_EQ(soak_->Counters().offers_dropped_unanswered, 1U);
  soak_->Answer(true, model_);  // the handler was still deciding
  EXPECT_EQ(soak_->Counters().offers_dropped_unanswered, 0U);
  Status();  // ESCROW again for the next loop
  Status();  // ... which neither stacks nor returns it
  EXPECT_EQ(soak_->Counters().offers_ignored, 1U);
  EXPECT_EQ(soak_->Counters().escrow_offers, 3U);
}

// Slow replies are drawn only for the status request and the inhibit and
// enable writes, and never beyond the most the rates allow.
TEST_F(SoakOnTheLine, OnlyTheStatusAndTheAcceptanceWritesAreSlowed) {
  Start(9, QuietAnd({"slow=1000", "slow_ms=90", "slow_status_ms=30"}));
  std::chrono::milliseconds longestStatus{0};
  std::chrono::milliseconds longestWrite{0};
  for (int i = 0; i < 200; ++i) {
    longestStatus = std::max(longestStatus, soak_->ReplyDelay(kStatusRequest));
    longestWrite = std::max(longestWrite, soak_->ReplyDelay(kInhibitOn));
    EXPECT_EQ(soak_->ReplyDelay(kStack1).count(), 0);
  }
  EXPECT_GT(longestStatus.count(), 0);
  EXPECT_LE(longestStatus.count(), 30);
  EXPECT_GT(longestWrite.count(), 30);
  EXPECT_LE(longestWrite.count(), 90);
}

TEST_F(SoakOnTheLine, AFullStackerEmptiesByItself) {
  Start(4, QuietAnd({"full=1000", "full_hold=3"}));
  Status();
  int full = 0;
  while (Status() == "FC 05 43 B0 27" && full < 10) ++full;
  EXPECT_GE(full, 1);
  EXPECT_LE(full, 3);
  EXPECT_EQ(HexDump(model_.CurrentStatus()), "11") << "emptied, and the host has read it";
  EXPECT_EQ(Status(), "FC 05 43 B0 27") << "the next cycle";
  EXPECT_EQ(soak_->Counters().stacker_full, 2U);
}

TEST_F(SoakOnTheLine, AfterItsBillsTheSoakStartsNothingAndSpoilsNothing) {
  Start(5, QuietAnd({"bills=2", "corrupt=500", "short_silence=500"}));
  for (int i = 0; i < 400 && !soak_->Draining(); ++i) {
    const std::optional<Bytes> sent = Serve(kStatusRequest);
    const std::optional<Bytes> read = sent ? ReadReply(*sent) : std::nullopt;
    if (read && (*read)[0] == 0x13) {
      soak_->Answer(false, model_);
      Serve(kReturn);
    }
  }
  ASSERT_TRUE(soak_->Draining());
  const SoakCounters before = soak_->Counters();
  for (int i = 0; i < 50; ++i) {
    const std::optional<Bytes> sent = Serve(kStatusRequest);
    ASSERT_TRUE(sent) << "no silence while draining";
    const std::optional<Bytes> read = ReadReply(*sent);
    ASSERT_TRUE(read) << "no spoiled reply while draining";
    if ((*read)[0] == 0x13) Serve(kReturn);
  }
  EXPECT_EQ(soak_->Counters().bills, 2U);
  EXPECT_EQ(soak_->Counters().spoiled, before.spoiled);
  EXPECT_EQ(HexDump(model_.CurrentStatus()), "11");
  EXPECT_NE(soak_->FormatCounters().find(" draining=1"), std::string::npos);
}

TEST_F(SoakOnTheLine, SilencesLastFromHalfTheirLengthToAllOfIt) {
  Start(6, QuietAnd({"short_silence=1000", "short_ms=100"}));
  for (int i = 0; i < 200; ++i) {
    const auto length = soak_->SilenceAt().count();
    ASSERT_GE(length, 50);
    ASSERT_LE(length, 100);
  }
  Start(6, QuietAnd({"long_silence=1000", "long_ms=400"}));
  for (int i = 0; i < 200; ++i) {
    const auto length = soak_->SilenceAt().count();
    ASSERT_GE(length, 200);
    ASSERT_LE(length, 400);
  }
  EXPECT_EQ(soak_->Counters().silences_long, 200U);
}

TEST_F(SoakOnTheLine, AnswersNameTheBillHeldInEscrow) {
  Start(7, kQuiet);
  EXPECT_EQ(soak_->Answer(true, model_), "ERR no bill in escrow");
  model_.Insert(0x65);
  Status();
  Status();
  EXPECT_EQ(soak_->Answer(false, model_), "OK bill=0x65");
  EXPECT_EQ(soak_->Ledger().answers_idle, 1U);
  EXPECT_EQ(soak_->Ledger().answers_refuse, 1U);
}

// A host that follows the driver's rules: reacts to the statuses it can read,
// reports STACKED, REJECTING and FAILURE when they differ from the last status
// it read, takes the bills with even codes and resets after a failure.
struct ScriptedHost {
  std::uint8_t last = 0;
  unsigned long stackedEvents = 0;
  unsigned long rejectEvents = 0;
  unsigned long failureEvents = 0;
  std::vector<std::string> seen;  // what came back for every status request
};

class SoakWithAHost : public SoakOnTheLine {
 protected:
  static std::vector<std::string> Troubles() {
    return {"garbage=50", "corrupt=50", "swapcrc=30", "truncate=50", "short_silence=20",
            "long_silence=10", "reject=150", "fail=80", "powerup=80", "full=80"};
  }

  void Restart(std::uint32_t seed) {
    model_ = DeviceModel{{}, StartState::kEnabled};
    faults_ = FaultInjector{1};
    Start(seed, Troubles());
  }

  void OfferBill(std::uint8_t bill) {
    const bool take = bill % 2 == 0;
    EXPECT_EQ(soak_->Answer(take, model_), "OK bill=0x" + HexDump(&bill, 1));
    Serve(take ? kStack1 : kReturn);
  }

  void React(ScriptedHost& host, const Bytes& reply) {
    const std::uint8_t status = reply[0];
    const bool changed = status != host.last;
    host.last = status;
    switch (status) {
      case 0x13: OfferBill(reply[1]); break;
      case 0x15: Serve(kAck); break;
      case 0x16: host.stackedEvents += changed; break;
      case 0x17: host.rejectEvents += changed; break;
      case 0x1A: Serve(kEnableAll); Serve(kInhibitOff); break;
      case 0x40: case 0x41: case 0x42: Serve(kReset); break;
      case 0x49:
        if (!changed) break;
        ++host.failureEvents;
        while (!Serve(kReset)) {}  // until the device hears it
        break;
      default: break;
    }
  }

  // ESCROW, REJECTING and FAILURE without their data byte are not read either.
  static bool Complete(const Bytes& reply) {
    const bool needsData = reply[0] == 0x13 || reply[0] == 0x17 || reply[0] == 0x49;
    return !needsData || reply.size() >= 2;
  }

  ScriptedHost Run(int requests) {
    ScriptedHost host;
    for (int i = 0; i < requests; ++i) {
      const std::optional<Bytes> sent = Serve(kStatusRequest);
      host.seen.push_back(sent ? HexDump(*sent) : "(silenced)");
      const std::optional<Bytes> read = sent ? ReadReply(*sent) : std::nullopt;
      if (read && Complete(*read)) React(host, *read);
    }
    return host;
  }
};

TEST_F(SoakWithAHost, SeesExactlyTheEventsTheCountersSay) {
  Restart(8);
  const ScriptedHost host = Run(20000);
  const SoakCounters& soak = soak_->Counters();
  const DeviceCounters& device = model_.Counters();
  // Every kind of trouble happened, so the equalities below mean something.
  EXPECT_GT(soak.stacked_hidden, 0U);
  EXPECT_GT(soak.rejecting_hidden, 0U);
  EXPECT_GT(device.failures, 0U);
  EXPECT_GT(soak.powerups, 0U);
  EXPECT_GT(soak.stacker_full, 0U);
  EXPECT_GT(soak.silences_short, 0U);
  EXPECT_GT(soak.silences_long, 0U);
  EXPECT_GT(device.returned, 0U);

  EXPECT_EQ(host.stackedEvents + soak.stacked_hidden, device.stacked);
  EXPECT_EQ(host.rejectEvents + soak.rejecting_hidden, device.rejected);
  EXPECT_EQ(host.failureEvents, device.failures);
  EXPECT_EQ(device.escrowed, device.stacked + device.returned + (model_.CurrentStatus()[0] >= 0x13 &&
                                                                  model_.CurrentStatus()[0] <= 0x15));
  const LedgerCounters& ledger = soak_->Ledger();
  EXPECT_EQ(ledger.stack1_refused + ledger.stack1_unanswered + ledger.stacked_unaccepted +
                ledger.return_accepted + ledger.answers_idle,
            0U);
  EXPECT_EQ(ledger.answers_accept + ledger.answers_refuse, soak.escrow_offers);
}

TEST_F(SoakWithAHost, TheSameSeedGivesTheSameRun) {
  Restart(8);
  const std::vector<std::string> first = Run(3000).seen;
  Restart(8);
  EXPECT_EQ(Run(3000).seen, first);
  Restart(9);
  EXPECT_NE(Run(3000).seen, first);
}

TEST(EscrowLedger, StacksAndReturnsAreJudgedByTheLatestAnswerForThatBill) {
  EscrowLedger ledger;
  EXPECT_EQ(ledger.Stack(1), "stack for a bill the host never answered");
  ledger.Answer(1, false);
  EXPECT_EQ(ledger.Stack(1), "stack for a bill the host refused");
  EXPECT_EQ(ledger.Stacked(), "bill in the box without an accepting answer");
  ledger.Answer(2, false);
  ledger.Answer(2, true);  // offered again, and taken this time
  EXPECT_EQ(ledger.Stack(2), "");
  EXPECT_EQ(ledger.Stacked(), "");
  EXPECT_EQ(ledger.Stacked(), "bill in the box without an accepting answer") << "one ACK, one bill";
  EXPECT_EQ(ledger.Stack(3), "stack for a bill the host never answered") << "answers do not carry over";
  EXPECT_EQ(ledger.Return(3), "");
  ledger.Answer(4, true);
  EXPECT_EQ(ledger.Return(4), "return for a bill the host accepted");

  const LedgerCounters& c = ledger.Counters();
  EXPECT_EQ(c.answers_accept, 2U);
  EXPECT_EQ(c.answers_refuse, 2U);
  EXPECT_EQ(c.stack1_unanswered, 2U);
  EXPECT_EQ(c.stack1_refused, 1U);
  EXPECT_EQ(c.stacked_unaccepted, 2U);
  EXPECT_EQ(c.return_accepted, 1U);
}

TEST(SoakRates, WordsOverrideTheDefaultsWithinTheirBounds) {
  SoakRates rates;
  std::string error;
  ASSERT_TRUE(ApplySoakRates(SplitSoakRates("corrupt=25,,bills=0x10,long_ms=900"), rates, error)) << error;
  EXPECT_EQ(rates.corrupt, 25U);
  EXPECT_EQ(rates.bills, 16U);
  EXPECT_EQ(rates.long_ms, 900U);
  EXPECT_EQ(rates.garbage, SoakRates{}.garbage);
  EXPECT_NE(FormatSoakRates(rates).find("corrupt=25 "), std::string::npos);

  EXPECT_FALSE(ApplySoakRates({"loud=1"}, rates, error));
  EXPECT_EQ(error, "unknown rate loud=1");
  EXPECT_FALSE(ApplySoakRates({"corrupt"}, rates, error));
  EXPECT_EQ(error, "unknown rate corrupt");
  EXPECT_FALSE(ApplySoakRates({"corrupt=1001"}, rates, error));
  EXPECT_EQ(error, "corrupt expects a number from 0 to 1000");
  EXPECT_FALSE(ApplySoakRates({"reject=600", "fail=500"}, rates, error));
  EXPECT_EQ(error, "reject, fail, powerup and full add up to more than 1000");
}

}  // namespace
}  // namespace notarel::emu
