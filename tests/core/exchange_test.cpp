// One request, one reply: what the exchange accepts and how it reports bad replies.
#include <gtest/gtest.h>

#include "device_test.h"

namespace notarel {
namespace {

using Exchange = DeviceTest;

TEST_F(Exchange, GoodReplyIsRecordedAsSentAndReceived) {
  ASSERT_TRUE(driver().ReadStatus());
  EXPECT_EQ(driver().Output(), "FC 05 11 27 56");
  EXPECT_EQ(driver().Input(), HexDump(BuildFrame({0x40})));
  EXPECT_EQ(driver().ReplyData(), Bytes{0x40});
  EXPECT_GE(driver().ExecTime(), 0);
  EXPECT_EQ(driver().ResultCode(), 0);
}

TEST_F(Exchange, BytesBeforeTheSyncAreSkippedAndNotRecorded) {
  Emu("raw 00 11 FF FC 05 11 27 56");
  EXPECT_TRUE(driver().ReadStatus());
  EXPECT_EQ(driver().Input(), "FC 05 11 27 56");
  EXPECT_EQ(driver().StatusCode(), 0x11);
}

TEST_F(Exchange, BytesAfterTheReplyArePurgedByTheNextExchange) {
  Emu("reply 1A");
  Emu("trailing FC 05 11 27 56");
  ASSERT_TRUE(driver().ReadStatus());
  EXPECT_EQ(driver().StatusCode(), 0x1A);
  ASSERT_TRUE(driver().ReadStatus());  // the trailing frame must not be taken as this reply
  EXPECT_EQ(driver().StatusCode(), 0x40);
}

TEST_F(Exchange, SilenceIsNoLinkWithNothingRecorded) {
  Emu("silent 10000");
  EXPECT_FALSE(driver().ReadStatus());
  EXPECT_EQ(driver().ResultCode(), -1);
  EXPECT_EQ(driver().ResultDescription(), Cp("Нет связи"));
  EXPECT_EQ(driver().Input(), "");
  EXPECT_EQ(driver().Output(), "FC 05 11 27 56");
  EXPECT_EQ(driver().ExecTime(), 0);
  Emu("silent 0");
  EXPECT_TRUE(driver().ReadStatus());
}

TEST_F(Exchange, SyncWithoutLengthIsNoLink) {
  Emu("raw FC");
  EXPECT_FALSE(driver().ReadStatus());
  EXPECT_EQ(driver().ResultCode(), -1);
  EXPECT_EQ(driver().Input(), "FC");
}

TEST_F(Exchange, LengthOfFourOrLessReadsNothingMore) {
  Emu("raw FC 04 13 65 00 00");
  EXPECT_FALSE(driver().ReadStatus());
  EXPECT_EQ(driver().ResultCode(), -6);
  EXPECT_EQ(driver().ResultDescription(), Cp("Кадр не соотвествует протоколу"));
  EXPECT_EQ(driver().Input(), "FC 04");
  EXPECT_EQ(driver().StatusCode(), 0);  // a failed exchange decodes nothing
}

TEST_F(Exchange, CrcFaultsAreReportedWithTheWholeFrame) {
  Emu("reply 13 65");
  Emu("swapcrc");
  EXPECT_FALSE(driver().ReadStatus());
  EXPECT_EQ(driver().ResultCode(), -5);
  EXPECT_EQ(driver().ResultDescription(), Cp("Ошибка CRC"));
  Bytes swapped = BuildFrame({0x13, 0x65});
  std::swap(swapped[4], swapped[5]);
  EXPECT_EQ(driver().Input(), HexDump(swapped));
  EXPECT_EQ(driver().ExecTime(), 0);

  Emu("corrupt");
  EXPECT_FALSE(driver().ReadStatus());
  EXPECT_EQ(driver().ResultCode(), -5);
  EXPECT_EQ(driver().StatusCode(), 0);
}

TEST_F(Exchange, FrameCutShortBySilenceFailsTheCrc) {
  Emu("raw FC 09 11 22 33");  // announces nine bytes, sends five
  EXPECT_FALSE(driver().ReadStatus());
  EXPECT_EQ(driver().ResultCode(), -5);
  EXPECT_EQ(driver().Input(), "FC 09 11 22 33");
  Emu("reply 13 65");
  Emu("truncate 4");
  EXPECT_FALSE(driver().ReadStatus());
  EXPECT_EQ(driver().ResultCode(), -5);
  EXPECT_TRUE(driver().ReadStatus());  // the next command works
}

// A frame cut short whose last two bytes happen to be the CRC of the bytes
// before them is still short of its length byte: never a reply.
TEST_F(Exchange, CutOffFrameIsRefusedEvenWhenItsTailMatchesTheCrc) {
  const Bytes heads[] = {{0xFC, 0x09, 0x11}, {0xFC, 0x57, 0x13, 0x66}, {0xFC, 0x08, 0x1A, 0x52, 0x55}};
  for (const Bytes& head : heads) {
    Bytes cut = head;
    const std::uint16_t crc = FrameCrc(head);
    cut.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    cut.push_back(static_cast<std::uint8_t>(crc >> 8));
    ASSERT_LT(cut.size(), cut[1]);
    ASSERT_TRUE(FrameCrcMatches(cut));  // only the length tells it is short
    Emu("raw " + HexDump(cut));
    EXPECT_FALSE(driver().ReadStatus()) << HexDump(cut);
    EXPECT_EQ(driver().ResultCode(), -5);
    EXPECT_EQ(driver().Input(), HexDump(cut));
  }
  EXPECT_TRUE(driver().ReadStatus());  // the next command works
}

TEST_F(Exchange, EndlessStreamWithoutSyncEndsWithBadFrame) {
  Emu("stream on");
  EXPECT_FALSE(driver().ReadStatus());
  EXPECT_EQ(driver().ResultCode(), -6);
  EXPECT_EQ(driver().Input(), "");
  Emu("stream off");
  EXPECT_TRUE(driver().ReadStatus());
}

TEST_F(Exchange, GarbageBeforeAValidReplyIsTolerated) {
  Emu("garbage 200");
  EXPECT_TRUE(driver().ReadStatus());
  EXPECT_EQ(driver().StatusCode(), 0x40);
}

TEST_F(Exchange, SyncSearchSkipsAnInputQueueOfGarbageAndNoMore) {
  Emu("garbage 1024");
  EXPECT_TRUE(driver().ReadStatus());
  EXPECT_EQ(driver().Input(), "FC 05 40 2B 15");
  Emu("garbage 1025");
  EXPECT_FALSE(driver().ReadStatus());
  EXPECT_EQ(driver().ResultCode(), -6);
  EXPECT_EQ(driver().Input(), "");
}

TEST_F(Exchange, PeerThatVanishesFailsAndTheReopenedPortWorks) {
  ASSERT_TRUE(driver().ReadStatus());
  Emu("hangup");
  EXPECT_FALSE(driver().ReadStatus());
  EXPECT_EQ(driver().ResultCode(), -8) << driver().ResultDescription();
  EXPECT_EQ(driver().ExecTime(), 0);
  driver().ClosePort();
  peer_->Attach(driver());  // the device is back, behind a new port
  EXPECT_TRUE(driver().ReadStatus());
}

}  // namespace
}  // namespace notarel
