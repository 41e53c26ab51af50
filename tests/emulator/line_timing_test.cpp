// Cutting the host's bytes into requests, and the emulated wire time.
#include <gtest/gtest.h>

#include "hex_bytes.h"
#include "request_reader.h"
#include "wire_pacer.h"

namespace notarel::emu {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

std::string Describe(const std::vector<FrameRead>& events) {
  std::string text;
  for (const FrameRead& e : events) {
    const char* names[] = {"frame", "badcrc", "short", "noise", "incomplete", "gaveup"};
    if (!text.empty()) text += " | ";
    text += std::string(names[static_cast<int>(e.kind)]) + " " + HexDump(e.bytes);
  }
  return text;
}

TEST(RequestReader, FindsFramesAmidNoiseAndAcrossReads) {
  RequestReader reader;
  const Clock::time_point t0{};
  EXPECT_EQ(Describe(reader.Feed(FromHex("01 02 FC 05 11"), t0)), "noise 01 02");
  EXPECT_EQ(Describe(reader.Feed(FromHex("27 56 FC 05 40 2B 15"), t0 + milliseconds(1))),
            "frame FC 05 11 27 56 | frame FC 05 40 2B 15");
  // A length byte announces how much to wait for, even if a sync byte comes in the data.
  EXPECT_TRUE(reader.Feed(FromHex("FC 07 C0 FC"), t0).empty());
  EXPECT_EQ(Describe(reader.Feed(FromHex("00 AA BB"), t0)), "badcrc FC 07 C0 FC 00 AA BB");
}

TEST(RequestReader, ReportsBadCrcAndDropsShortLengths) {
  RequestReader reader;
  const Clock::time_point t0{};
  EXPECT_EQ(Describe(reader.Feed(FromHex("FC 05 11 56 27"), t0)), "badcrc FC 05 11 56 27");
  // The reader resumes its sync search right after a short length byte.
  EXPECT_EQ(Describe(reader.Feed(FromHex("FC 04 FC 05 11 27 56"), t0)),
            "short FC 04 | frame FC 05 11 27 56");
  EXPECT_EQ(FromHex("11"), reader.Feed(FromHex("FC 05 11 27 56"), t0).at(0).Body());
}

TEST(RequestReader, AbandonsAFrameCutOffByAPause) {
  RequestReader reader;
  const Clock::time_point t0{};
  EXPECT_TRUE(reader.Feed(FromHex("FC 07 C0"), t0).empty());
  const auto late = t0 + RequestReader::kInterByteTimeout + milliseconds(1);
  EXPECT_EQ(Describe(reader.Feed(FromHex("FC 05 11 27 56"), late)),
            "incomplete FC 07 C0 | frame FC 05 11 27 56");
  // Within the time-out a frame may arrive in pieces.
  EXPECT_TRUE(reader.Feed(FromHex("FC 05"), late).empty());
  EXPECT_EQ(Describe(reader.Feed(FromHex("11 27 56"), late + RequestReader::kInterByteTimeout)),
            "frame FC 05 11 27 56");
}

TEST(WirePacer, ByteTimeIsElevenBitTimes) {
  WirePacer pacer;
  EXPECT_EQ(pacer.ByteTime(), Clock::duration::zero());
  pacer.SetBaud(9600);
  EXPECT_EQ(std::chrono::duration_cast<std::chrono::nanoseconds>(pacer.ByteTime()).count(), 1145833);
  pacer.SetBaud(19200);
  EXPECT_EQ(std::chrono::duration_cast<std::chrono::nanoseconds>(pacer.ByteTime()).count(), 572916);
}

TEST(WirePacer, RequestCountsAsReceivedAfterItsOwnWireTime) {
  WirePacer pacer;
  pacer.SetBaud(9600);
  const Clock::time_point t0{};
  const auto byte = pacer.ByteTime();
  pacer.Receive(FromHex("FC 05 11 27 56"), t0);
  EXPECT_TRUE(pacer.TakeReceived(t0).empty());
  EXPECT_EQ(pacer.NextDue(), t0 + byte);
  EXPECT_EQ(HexDump(pacer.TakeReceived(t0 + 2 * byte)), "FC 05");
  EXPECT_TRUE(pacer.TakeReceived(t0 + 5 * byte - Clock::duration(1)).size() == 2);
  EXPECT_EQ(pacer.NextDue(), t0 + 5 * byte);
  EXPECT_TRUE(pacer.TakeReceived(t0 + 5 * byte).size() == 1);
  EXPECT_FALSE(pacer.NextDue().has_value());
}

TEST(WirePacer, RepliesQueueBehindEachOtherOnTheLine) {
  WirePacer pacer;
  pacer.SetBaud(19200);
  const Clock::time_point t0{};
  const auto byte = pacer.ByteTime();
  pacer.Send(FromHex("FC 05 50 AA 05"), t0);
  pacer.Send(FromHex("FC 05 1A F4 E8"), t0 + byte);  // while the first is still going out
  EXPECT_EQ(pacer.SendBacklog(), 10U);
  EXPECT_EQ(pacer.TakeSendable(t0 + 9 * byte).size(), 9U);
  EXPECT_EQ(pacer.TakeSendable(t0 + 10 * byte).size(), 1U);
  // An idle line starts the next byte at once.
  pacer.Send(FromHex("01"), t0 + 100 * byte);
  EXPECT_EQ(pacer.NextDue(), t0 + 101 * byte);
}

TEST(WirePacer, WithoutPacingEverythingPassesAtOnce) {
  WirePacer pacer;
  const Clock::time_point t0{};
  pacer.Receive(FromHex("FC 05 11 27 56"), t0);
  pacer.Send(FromHex("FC 05 40 2B 15"), t0);
  EXPECT_EQ(pacer.TakeReceived(t0).size(), 5U);
  EXPECT_EQ(pacer.TakeSendable(t0).size(), 5U);
  pacer.Send(FromHex("01 02"), t0);
  pacer.DropSend();
  EXPECT_EQ(pacer.SendBacklog(), 0U);
}

}  // namespace
}  // namespace notarel::emu
