// The device as the driver sees it: request frames in, reply frames out.
#include <gtest/gtest.h>

#include "device_model.h"
#include "hex_bytes.h"
#include "request_reader.h"

namespace notarel::emu {
namespace {

const char* const kStatus = "FC 05 11 27 56";
const char* const kReset = "FC 05 40 2B 15";
const char* const kStack1 = "FC 05 41 A2 04";
const char* const kReturn = "FC 05 43 B0 27";
const char* const kHold = "FC 05 44 0F 53";
const char* const kAckFrame = "FC 05 50 AA 05";
const char* const kAckReply = "FC 05 50 AA 05";
const char* const kEnableAll = "FC 07 C0 00 00 2D B5";
const char* const kInhibitOff = "FC 06 C3 00 04 D6";
const char* const kInhibitOn = "FC 06 C3 01 8D C7";

class DeviceOnTheLine : public ::testing::Test {
 protected:
  // Sends one request frame as the host would and returns the reply frame, "" for none.
  std::string Send(const std::string& request) {
    std::optional<Bytes> reply;
    for (const FrameRead& event : reader_.Feed(FromHex(request), {})) {
      if (event.kind == FrameRead::Kind::kFrame) reply = model_.HandleRequest(event.Body());
      if (event.kind == FrameRead::Kind::kBadCrc) reply = model_.HandleCorruptRequest();
    }
    return reply ? HexDump(BuildFrame(*reply)) : "";
  }

  // Reset, its INITIALIZE, all denominations on and inhibit off: ready for a bill.
  void BringToEnabled() {
    ASSERT_EQ(Send(kReset), kAckReply);
    ASSERT_EQ(Send(kStatus), "FC 05 1B 7D F9");
    ASSERT_EQ(Send(kEnableAll), kEnableAll);
    ASSERT_EQ(Send(kInhibitOff), kInhibitOff);
    ASSERT_EQ(Send(kStatus), "FC 05 11 27 56");
  }

  // Insert, ACCEPTING once, then ESCROW with the bill code.
  void BringToEscrow(std::uint8_t bill) {
    ASSERT_EQ(model_.Insert(bill), "");
    ASSERT_EQ(Send(kStatus), "FC 05 12 BC 64");
    ASSERT_EQ(Send(kStatus), HexDump(BuildFrame({0x13, bill})));
  }

  DeviceModel model_;
  RequestReader reader_;
};

TEST_F(DeviceOnTheLine, PowerUpHoldsUntilResetThenInitializesOnce) {
  EXPECT_EQ(Send(kStatus), "FC 05 40 2B 15");
  EXPECT_EQ(Send(kStatus), "FC 05 40 2B 15");
  EXPECT_EQ(Send(kReset), kAckReply);
  EXPECT_EQ(Send(kStatus), "FC 05 1B 7D F9");
  // Power-on settings: inhibit on, nothing enabled.
  EXPECT_EQ(Send(kStatus), "FC 05 1A F4 E8");
  EXPECT_EQ(Send(kStatus), "FC 05 1A F4 E8");
}

TEST_F(DeviceOnTheLine, FullBillCycleStacksOnAckOfVendValid) {
  BringToEnabled();
  BringToEscrow(0x65);
  EXPECT_EQ(Send(kStatus), "FC 06 13 65 94 BD") << "escrow holds until the host decides";
  EXPECT_EQ(Send(kStack1), kAckReply);
  EXPECT_EQ(Send(kStatus), "FC 05 14 8A 01");
  EXPECT_EQ(Send(kStatus), "FC 05 15 03 10");
  EXPECT_EQ(Send(kStatus), "FC 05 15 03 10") << "VEND VALID repeats until acknowledged";
  EXPECT_EQ(model_.Counters().stacked, 0U);
  EXPECT_EQ(Send(kAckFrame), "") << "the device never answers the host's ACK";
  EXPECT_EQ(model_.Counters().stacked, 1U);
  EXPECT_EQ(Send(kStatus), "FC 05 16 98 22");
  EXPECT_EQ(Send(kStatus), "FC 05 11 27 56");

  const DeviceCounters& c = model_.Counters();
  EXPECT_EQ(c.escrowed, 1U);
  EXPECT_EQ(c.stack1, 1U);
  EXPECT_EQ(c.acks, 1U);
  EXPECT_EQ(c.returned + c.rejected + c.badcrc + c.unknown, 0U);
  EXPECT_EQ(c.requests, 15U);
}

TEST_F(DeviceOnTheLine, HoldThenReturnGivesTheBillBack) {
  BringToEnabled();
  BringToEscrow(0x62);
  EXPECT_EQ(Send(kHold), kAckReply);
  EXPECT_EQ(Send(kStatus), "FC 05 19 6F DA");
  EXPECT_EQ(Send(kStatus), "FC 05 19 6F DA");
  EXPECT_EQ(Send(kReturn), kAckReply);
  EXPECT_EQ(Send(kStatus), "FC 05 18 E6 CB");
  EXPECT_EQ(Send(kStatus), "FC 05 11 27 56");
  EXPECT_EQ(model_.Counters().returned, 1U);
  EXPECT_EQ(model_.Counters().stacked, 0U);
}

TEST_F(DeviceOnTheLine, StackAndReturnOutsideEscrowAreAcknowledgedAndChangeNothing) {
  BringToEnabled();
  EXPECT_EQ(Send("FC 05 42 39 36"), kAckReply);  // Stack2
  EXPECT_EQ(Send(kReturn), kAckReply);
  EXPECT_EQ(Send("FC 05 45 86 42"), kAckReply);  // Wait
  EXPECT_EQ(Send(kStatus), "FC 05 11 27 56");
  EXPECT_EQ(model_.Counters().stack2, 1U);
  EXPECT_EQ(model_.Counters().returns, 1U);
  EXPECT_EQ(model_.Counters().returned, 0U);
}

TEST_F(DeviceOnTheLine, UnknownCommandAndBadCrcAreAnsweredWithErrorStatus) {
  EXPECT_EQ(Send("FC 05 33 37 54"), "FC 05 4B F8 AB");
  EXPECT_EQ(Send("FC 05 11 27 57"), "FC 05 4A 71 BA");
  // A setting command without its data bytes is malformed, not unknown.
  EXPECT_EQ(Send(HexDump(BuildFrame({0xC5, 0x01}))), "FC 05 4A 71 BA");
  EXPECT_EQ(model_.Counters().unknown, 1U);
  EXPECT_EQ(model_.Counters().badcrc, 1U);
  EXPECT_EQ(model_.Counters().requests, 2U);
  EXPECT_EQ(Send(kStatus), "FC 05 40 2B 15") << "errors leave the state alone";
}

TEST_F(DeviceOnTheLine, AckIsNeverAnsweredInAnyState) {
  EXPECT_EQ(Send(kAckFrame), "");
  BringToEnabled();
  EXPECT_EQ(Send(kAckFrame), "");
  BringToEscrow(0x61);
  EXPECT_EQ(Send(kAckFrame), "");
  EXPECT_EQ(Send(kStatus), "FC 06 13 61 B0 FB") << "an ACK in escrow does not stack";
  EXPECT_EQ(model_.Counters().acks, 3U);
}

TEST_F(DeviceOnTheLine, SettingsAreEchoedAndReadBack) {
  // The enabled mask travels inverted: C0 0F means denominations 5 to 8.
  EXPECT_EQ(Send(HexDump(BuildFrame({0xC0, 0x0F, 0x00}))), HexDump(BuildFrame({0xC0, 0x0F, 0x00})));
  EXPECT_EQ(model_.Settings().enabled, 0xF0);
  EXPECT_EQ(Send(HexDump(BuildFrame({0x80}))), HexDump(BuildFrame({0x80, 0x0F, 0x00})));
  // The validated mask is not inverted.
  EXPECT_EQ(Send(HexDump(BuildFrame({0xC1, 0xA5, 0x00}))), HexDump(BuildFrame({0xC1, 0xA5, 0x00})));
  EXPECT_EQ(Send(HexDump(BuildFrame({0x81}))), HexDump(BuildFrame({0x81, 0xA5, 0x00})));
  EXPECT_EQ(Send(kInhibitOff), kInhibitOff);
  EXPECT_EQ(Send(HexDump(BuildFrame({0x83}))), HexDump(BuildFrame({0x83, 0x00})));
  // Only bit 0 of the inhibit byte counts.
  EXPECT_EQ(Send(HexDump(BuildFrame({0xC3, 0xFF}))), HexDump(BuildFrame({0xC3, 0x01})));
  EXPECT_EQ(Send(HexDump(BuildFrame({0xC4, 0x7E}))), HexDump(BuildFrame({0xC4, 0x7E})));
  EXPECT_EQ(Send(HexDump(BuildFrame({0x84}))), HexDump(BuildFrame({0x84, 0x7E})));
  EXPECT_EQ(Send(HexDump(BuildFrame({0xC5, 0x23, 0x45}))), HexDump(BuildFrame({0xC5, 0x23, 0x45})));
  EXPECT_EQ(Send(HexDump(BuildFrame({0x85}))), HexDump(BuildFrame({0x85, 0x23, 0x45})));
  EXPECT_EQ(model_.Settings().optional, 0x2345);
  EXPECT_EQ(Send("FC 05 88 6F 5F"), "FC 0D 88 52 44 52 55 42 30 30 33 E3 FA");  // "RDRUB003"
  EXPECT_EQ(Send(HexDump(BuildFrame({0x89}))), "FC 0A 89 56 31 2E 30 37 72 4F");  // "V1.07"
}

TEST(DeviceModel, IdentityCanBeChosen) {
  DeviceModel model(DeviceIdentity{"XXUSD1", "B2"});
  EXPECT_EQ(*model.HandleRequest({0x88}), (Bytes{0x88, 'X', 'X', 'U', 'S', 'D', '1'}));
  EXPECT_EQ(*model.HandleRequest({0x89}), (Bytes{0x89, 'B', '2'}));
}

TEST_F(DeviceOnTheLine, IdleStatusFollowsInhibitAndEnabledMask) {
  BringToEnabled();
  EXPECT_EQ(Send(kInhibitOn), kInhibitOn);
  EXPECT_EQ(Send(kStatus), "FC 05 1A F4 E8");
  EXPECT_EQ(Send(kInhibitOff), kInhibitOff);
  EXPECT_EQ(Send(kStatus), "FC 05 11 27 56");
  EXPECT_EQ(Send(HexDump(BuildFrame({0xC0, 0xFF, 0x00}))), HexDump(BuildFrame({0xC0, 0xFF, 0x00})));
  EXPECT_EQ(Send(kStatus), "FC 05 1A F4 E8") << "no denomination enabled";
}

TEST_F(DeviceOnTheLine, InsertIsRefusedUnlessIdleAndEnabled) {
  EXPECT_EQ(model_.Insert(0x65), "device not enabled");  // power-up
  EXPECT_EQ(Send(kReset), kAckReply);
  EXPECT_EQ(model_.Insert(0x65), "device not enabled");  // initializing
  EXPECT_EQ(Send(kStatus), "FC 05 1B 7D F9");
  EXPECT_EQ(model_.Insert(0x65), "device not enabled");  // inhibited
  BringToEnabled();
  BringToEscrow(0x65);
  EXPECT_EQ(model_.Insert(0x66), "device busy");
  EXPECT_EQ(model_.Counters().escrowed, 1U);
}

TEST_F(DeviceOnTheLine, RejectReplacesTheBillAndReturnsToIdle) {
  BringToEnabled();
  BringToEscrow(0x65);
  EXPECT_EQ(model_.Reject(0x71), "");
  EXPECT_EQ(Send(kStatus), "FC 06 17 71 51 8C");
  EXPECT_EQ(Send(kStack1), kAckReply);
  EXPECT_EQ(Send(kStatus), "FC 05 11 27 56") << "the rejected bill is not stacked";
  // A rejection without escrow: the bill never got that far.
  EXPECT_EQ(model_.Reject(0x7A), "");
  EXPECT_EQ(Send(kStatus), HexDump(BuildFrame({0x17, 0x7A})));
  EXPECT_EQ(Send(kStatus), "FC 05 11 27 56");
  EXPECT_EQ(model_.Counters().rejected, 2U);
  EXPECT_EQ(model_.Counters().stacked, 0U);
}

TEST_F(DeviceOnTheLine, ABillTheDeviceRejectsIsAcceptedFirstAndNeverReachesEscrow) {
  EXPECT_EQ(model_.InsertToReject(0x64, 0x75), "device not enabled");
  BringToEnabled();
  EXPECT_EQ(model_.InsertToReject(0x64, 0x75), "");
  EXPECT_EQ(Send(kStatus), "FC 05 12 BC 64");
  EXPECT_EQ(Send(kStatus), HexDump(BuildFrame({0x17, 0x75})));
  EXPECT_EQ(Send(kStatus), "FC 05 11 27 56");
  BringToEscrow(0x65);  // the next bill is a plain one again
  EXPECT_EQ(model_.Counters().rejected, 1U);
  EXPECT_EQ(model_.Counters().escrowed, 1U);
}

TEST_F(DeviceOnTheLine, RejectIsRefusedWhereNoBillCanBe) {
  EXPECT_NE(model_.Reject(0x71), "");  // power-up
  BringToEnabled();
  BringToEscrow(0x65);
  EXPECT_EQ(Send(kStack1), kAckReply);
  EXPECT_NE(model_.Reject(0x71), "") << "a bill on its way to the box";
  EXPECT_EQ(model_.Counters().rejected, 0U);
}

TEST_F(DeviceOnTheLine, FailureHoldsUntilResetOrClear) {
  BringToEnabled();
  model_.Fail(0xA2);
  EXPECT_EQ(Send(kStatus), "FC 06 49 A2 A0 21");
  EXPECT_EQ(Send(kStatus), "FC 06 49 A2 A0 21");
  EXPECT_EQ(Send(kReset), kAckReply);
  EXPECT_EQ(Send(kStatus), "FC 05 1B 7D F9");
  EXPECT_EQ(Send(kStatus), "FC 05 11 27 56") << "Reset keeps the host's settings";
  model_.Fail(0xB0);
  model_.Clear();
  EXPECT_EQ(Send(kStatus), "FC 05 11 27 56");
  EXPECT_EQ(model_.Counters().failures, 2U);
}

TEST_F(DeviceOnTheLine, ForcedStatesHoldUntilClear) {
  BringToEnabled();
  EXPECT_EQ(model_.Force(0x42), "state must be 0x43 to 0x48");
  EXPECT_EQ(model_.Force(0x49), "state must be 0x43 to 0x48");
  EXPECT_EQ(model_.Force(0x45), "");
  EXPECT_EQ(Send(kStatus), HexDump(BuildFrame({0x45})));
  EXPECT_EQ(Send(kStatus), HexDump(BuildFrame({0x45})));
  EXPECT_NE(model_.Insert(0x65), "");
  model_.Clear();
  EXPECT_EQ(Send(kStatus), "FC 05 11 27 56");
  EXPECT_EQ(model_.Force(0x48), "");
  EXPECT_EQ(Send(kReset), kAckReply);
  EXPECT_EQ(Send(kStatus), "FC 05 1B 7D F9");
}

TEST_F(DeviceOnTheLine, PowerUpRestoresDefaultsAndRestartZeroesCounters) {
  BringToEnabled();
  BringToEscrow(0x65);
  model_.PowerUp(kStatusPowerUpBillInStacker);
  EXPECT_EQ(Send(kStatus), HexDump(BuildFrame({0x42})));
  EXPECT_TRUE(model_.Settings().inhibit);
  EXPECT_EQ(model_.Settings().enabled, 0x00);
  EXPECT_EQ(model_.Counters().escrowed, 1U) << "power-up keeps the counters";
  model_.Restart();
  EXPECT_EQ(model_.Counters().escrowed, 0U);
  EXPECT_EQ(model_.Counters().requests, 0U);
  EXPECT_EQ(Send(kStatus), "FC 05 40 2B 15");
}

TEST(DeviceModel, StartStatesSkipThePowerUp) {
  DeviceModel enabled({}, StartState::kEnabled);
  EXPECT_EQ(*enabled.HandleRequest({0x11}), Bytes{0x11});
  EXPECT_EQ(enabled.Insert(0x65), "");
  DeviceModel inhibited({}, StartState::kInhibited);
  EXPECT_EQ(*inhibited.HandleRequest({0x11}), Bytes{0x1A});
  DeviceModel powered({}, StartState::kPowerUp);
  EXPECT_EQ(*powered.HandleRequest({0x11}), Bytes{0x40});
}

}  // namespace
}  // namespace notarel::emu
