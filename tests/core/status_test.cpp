// Decoding of the status reply, and a whole bill cycle on the emulator.
#include <gtest/gtest.h>

#include "device_test.h"
#include "status_tables.h"

namespace notarel {
namespace {

using Status = DeviceTest;

TEST_F(Status, EscrowCarriesTheBillCode) {
  Emu("reply 13 65");
  ASSERT_TRUE(driver().ReadStatus());
  EXPECT_EQ(driver().StatusCode(), 19);
  EXPECT_EQ(driver().StatusDescription(), "ESCROW");
  EXPECT_EQ(driver().DenominationCode(), 101);
  EXPECT_EQ(driver().BillCode(), 101);
  // The next status keeps the last escrowed bill.
  Emu("reply 11");
  ASSERT_TRUE(driver().ReadStatus());
  EXPECT_EQ(driver().StatusDescription(), "ENABLE(HDLING)");
  EXPECT_EQ(driver().DenominationCode(), 101);
}

TEST_F(Status, RejectionsAndFailuresAreDescribed) {
  struct Case {
    const char* reply;
    const char* status;
    const char* detail;
  };
  const Case cases[] = {
      {"reply 17 71", "REJECTING: Insertion error", "Insertion error"},
      {"reply 17 7A", "REJECTING: ", ""},
      {"reply 17 7E", "REJECTING: Photo pattern error 2", "Photo pattern error 2"},
      {"reply 17 70", "REJECTING: Unknown rejection code", "Unknown rejection code"},
      {"reply 49 A2", "FAILURE: Stack motor failure", "Stack motor failure"},
      {"reply 49 A3", "FAILURE: Unknown failure code", "Unknown failure code"},
      {"reply 49 B3", "FAILURE: External ROM writing failure", "External ROM writing failure"},
  };
  for (const Case& c : cases) {
    Emu(c.reply);
    ASSERT_TRUE(driver().ReadStatus()) << c.reply;
    EXPECT_EQ(driver().StatusDescription(), c.status);
    const bool rejecting = driver().StatusCode() == 0x17;
    EXPECT_EQ(rejecting ? driver().RejectionDescription() : driver().FailureDescription(),
              c.detail);
  }
  EXPECT_EQ(driver().RejectionCode(), 0x70);
  EXPECT_EQ(driver().FailureCode(), 0xB3);
}

TEST_F(Status, UnknownStatusIsStillASuccess) {
  Emu("reply 30");
  EXPECT_TRUE(driver().ReadStatus());
  EXPECT_EQ(driver().StatusDescription(), "UNKNOWN STATUS CODE");
  EXPECT_EQ(driver().StatusCode(), 0x30);
}

TEST_F(Status, MissingDataByteSetsTheFieldsFromZeroAndFails) {
  Emu("reply 13 65");
  ASSERT_TRUE(driver().ReadStatus());
  Emu("reply 13");
  EXPECT_FALSE(driver().ReadStatus());
  EXPECT_EQ(driver().ResultCode(), -6);
  EXPECT_EQ(driver().StatusCode(), 19);
  EXPECT_EQ(driver().DenominationCode(), 0);
  Emu("reply 49");
  EXPECT_FALSE(driver().ReadStatus());
  EXPECT_EQ(driver().StatusDescription(), "FAILURE: Unknown failure code");
}

TEST_F(Status, EveryNameOfTheTable) {
  const std::pair<std::uint8_t, const char*> names[] = {
      {0x12, "ACCEPTING"}, {0x14, "STACKING"}, {0x15, "VEND VALID"}, {0x16, "STACKED"},
      {0x18, "RETURNING"}, {0x19, "HOLDING"}, {0x1A, "DISABLE(INHIBIT)"},
      {0x1B, "INITIALIZE"}, {0x41, "POWER UP WITH BILL IN ACCEPTOR"},
      {0x42, "POWER UP WITH BILL IN STACKER"}, {0x43, "STACKER FULL"}, {0x44, "STACKER OPEN"},
      {0x45, "JAM IN ACCEPTOR"}, {0x46, "JAM IN STACKER"}, {0x47, "PAUSE"}, {0x48, "CHEATED"},
      {0x4A, "COMMUNICATION ERROR"}, {0x10, "UNKNOWN STATUS CODE"}, {0x4B, "UNKNOWN STATUS CODE"}};
  for (const auto& [code, name] : names) EXPECT_STREQ(StatusName(code), name);
  EXPECT_STREQ(RejectionDescription(0x79),
               "Return by inhibit insertion direction, denominating error");
  EXPECT_STREQ(FailureDescription(0xAB), "Cash box not ready");
}

TEST_F(Status, BillCycleOnTheDevice) {
  EnableDevice();
  Emu("insert 0x65");
  std::vector<std::string> seen;
  for (int i = 0; i < 10 && driver().StatusCode() != 0x13; ++i) {
    ASSERT_TRUE(driver().ReadStatus());
    seen.push_back(driver().StatusDescription());
  }
  ASSERT_EQ(driver().StatusCode(), 0x13);
  EXPECT_EQ(driver().BillCode(), 0x65);
  ASSERT_TRUE(driver().Stack1());
  ASSERT_TRUE(driver().ReadStatus());
  EXPECT_EQ(driver().StatusDescription(), "STACKING");
  ASSERT_TRUE(driver().ReadStatus());
  EXPECT_EQ(driver().StatusDescription(), "VEND VALID");
  ASSERT_TRUE(driver().ReadStatus());
  EXPECT_EQ(driver().StatusDescription(), "VEND VALID");  // until acknowledged
  ASSERT_TRUE(driver().Ack());
  ASSERT_TRUE(driver().ReadStatus());
  EXPECT_EQ(driver().StatusDescription(), "STACKED");
  ASSERT_TRUE(driver().ReadStatus());
  EXPECT_EQ(driver().StatusDescription(), "ENABLE(HDLING)");
  const std::string counters = peer_->Command("counters");
  EXPECT_NE(counters.find("stacked=1"), std::string::npos) << counters;
}

}  // namespace
}  // namespace notarel
