// What the device was last told about taking bills, against what the host
// says of its polling.
#include <gtest/gtest.h>

#include "inhibit_ledger.h"

namespace notarel::emu {
namespace {

const Bytes kInhibitOn{0xC3, 0x01};
const Bytes kInhibitOff{0xC3, 0x00};
const Bytes kEnableAll{0xC0, 0x00, 0x00};
const Bytes kStatusRequest{0x11};

TEST(InhibitLedger, AStopCountsAsSafeOnlyAfterAnInhibitOn) {
  InhibitLedger ledger;
  EXPECT_FALSE(ledger.InUse());
  EXPECT_NE(ledger.HostStopped(), "") << "never told anything";
  ledger.HostPolling();
  ledger.Request(kInhibitOn);
  ledger.Request(kInhibitOff);
  ledger.Request(kStatusRequest);
  EXPECT_NE(ledger.HostStopped(), "") << "the last inhibit command was inhibit-off";
  ledger.HostPolling();
  ledger.Request(kInhibitOff);
  ledger.Request(kInhibitOn);
  ledger.Request(kStatusRequest);
  EXPECT_EQ(ledger.HostStopped(), "");
  EXPECT_TRUE(ledger.LastInhibitOn());
  EXPECT_EQ(ledger.Counters().stops, 3U);
  EXPECT_EQ(ledger.Counters().stop_not_inhibited, 2U);
  EXPECT_TRUE(ledger.InUse());
}

TEST(InhibitLedger, EnablingCommandsBetweenAStopAndTheNextStartAreCounted) {
  InhibitLedger ledger;
  ledger.HostPolling();
  EXPECT_EQ(ledger.Request(kEnableAll), "") << "while polling, enabling is the loop's job";
  ledger.Request(kInhibitOn);
  ledger.HostStopped();
  EXPECT_EQ(ledger.Request(kInhibitOn), "");
  EXPECT_EQ(ledger.Request(kStatusRequest), "");
  EXPECT_NE(ledger.Request(kEnableAll), "");
  EXPECT_NE(ledger.Request(kInhibitOff), "");
  ledger.HostPolling();
  EXPECT_EQ(ledger.Request(kInhibitOff), "");
  EXPECT_EQ(ledger.Counters().enabled_after_stop, 2U);
}

}  // namespace
}  // namespace notarel::emu
