// Cutting a byte stream into frames: what the driver and the device emulator
// both rely on when they read the other side.
#include "frame_reader.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace notarel {
namespace {

Bytes FromHex(const std::string& text) {
  std::istringstream in(text);
  Bytes bytes;
  for (std::string word; in >> word;) {
    bytes.push_back(static_cast<std::uint8_t>(std::stoul(word, nullptr, 16)));
  }
  return bytes;
}

std::string Describe(const FrameRead& read) {
  const char* names[] = {"frame", "badcrc", "short", "noise", "cutoff", "gaveup"};
  return std::string(names[static_cast<int>(read.kind)]) + " " + HexDump(read.bytes);
}

std::string Describe(const std::vector<FrameRead>& reads) {
  std::string text;
  for (const FrameRead& read : reads) text += (text.empty() ? "" : " | ") + Describe(read);
  return text;
}

// Everything a reader reports for a stream, with silence at its end.
std::string ReadAllAtOnce(const std::string& hex, std::size_t maxSkipped) {
  FrameReader reader(maxSkipped);
  std::vector<FrameRead> reads = reader.Feed(FromHex(hex));
  if (auto last = reader.Silence()) reads.push_back(*last);
  return Describe(reads);
}

std::string ReadByteByByte(const std::string& hex, std::size_t maxSkipped) {
  FrameReader reader(maxSkipped);
  std::vector<FrameRead> reads;
  for (std::uint8_t byte : FromHex(hex)) {
    if (auto read = reader.Take(byte)) reads.push_back(*read);
  }
  if (auto last = reader.Silence()) reads.push_back(*last);
  return Describe(reads);
}

TEST(FrameReader, SplitFeedsAgreeWithOneFeed) {
  struct Case {
    const char* stream;
    std::size_t maxSkipped;
    const char* reads;
  };
  const Case cases[] = {
      {"FC 05 11 27 56", FrameReader::kUnlimited, "frame FC 05 11 27 56"},
      {"01 02 FC 05 11 27 56 03", FrameReader::kUnlimited,
       "noise 01 02 | frame FC 05 11 27 56 | noise 03"},
      {"FC 05 11 56 27 FC 04 FC 06 C3 01 8D C7", FrameReader::kUnlimited,
       "badcrc FC 05 11 56 27 | short FC 04 | frame FC 06 C3 01 8D C7"},
      {"FC 07 C0 FC 00", FrameReader::kUnlimited, "cutoff FC 07 C0 FC 00"},
      {"10 11 12 FC 05 40 2B 15", 2, "gaveup 10 11 12 | frame FC 05 40 2B 15"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadAllAtOnce(c.stream, c.maxSkipped), c.reads) << c.stream;
    EXPECT_EQ(ReadByteByByte(c.stream, c.maxSkipped), c.reads) << c.stream;
  }
  // Any split of a stream into pieces gives the same outcomes.
  const Bytes stream = FromHex("AA FC 05 11 27 56 FC 04 FC 07 C0 00 00 2D B5 BB");
  const std::string whole = ReadAllAtOnce(HexDump(stream), FrameReader::kUnlimited);
  for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
    FrameReader reader;
    std::vector<FrameRead> reads = reader.Feed(Bytes(stream.begin(), stream.begin() + cut));
    for (FrameRead& read : reader.Feed(Bytes(stream.begin() + cut, stream.end()))) {
      reads.push_back(read);
    }
    if (auto last = reader.Silence()) reads.push_back(*last);
    EXPECT_EQ(Describe(reads), whole) << "cut at " << cut;
  }
}

TEST(FrameReader, GarbageBeforeTheSyncIsReportedApartFromTheFrame) {
  FrameReader reader;
  EXPECT_FALSE(reader.Take(0x00));
  EXPECT_FALSE(reader.Take(0x27));
  EXPECT_FALSE(reader.FrameBegun());
  // The sync ends the noise and begins the frame.
  const auto noise = reader.Take(kFrameSync);
  ASSERT_TRUE(noise);
  EXPECT_EQ(Describe(*noise), "noise 00 27");
  EXPECT_EQ(HexDump(reader.Partial()), "FC");
  EXPECT_EQ(Describe(reader.Feed(FromHex("05 11 27 56"))), "frame FC 05 11 27 56");
  // Noise can be collected without waiting for a sync, and only once.
  reader.Feed(FromHex("01 02"));
  EXPECT_EQ(Describe(*reader.TakeNoise()), "noise 01 02");
  EXPECT_FALSE(reader.TakeNoise());
  EXPECT_FALSE(reader.Silence());
}

TEST(FrameReader, BadCrcAndSyncBytesAmongTheData) {
  FrameReader reader;
  // Swapped CRC bytes.
  EXPECT_EQ(Describe(reader.Feed(FromHex("FC 05 11 56 27"))), "badcrc FC 05 11 56 27");
  // A flipped data bit.
  EXPECT_EQ(Describe(reader.Feed(FromHex("FC 07 C0 00 01 2D B5"))), "badcrc FC 07 C0 00 01 2D B5");
  // The length byte says how much to take, even if a sync comes in the data.
  EXPECT_TRUE(reader.Feed(FromHex("FC 07 C0 FC")).empty());
  EXPECT_EQ(Describe(reader.Feed(FromHex("00 AA BB"))), "badcrc FC 07 C0 FC 00 AA BB");
  const FrameRead frame = reader.Feed(BuildFrame(FromHex("88 52 44"))).at(0);
  EXPECT_EQ(frame.kind, FrameRead::Kind::kFrame);
  EXPECT_EQ(HexDump(frame.Body()), "88 52 44");
}

TEST(FrameReader, ShortLengthEndsTheFrameAtItsLengthByte) {
  for (unsigned length = 0; length <= kFrameOverhead; ++length) {
    FrameReader reader;
    EXPECT_FALSE(reader.Take(kFrameSync));
    const auto read = reader.Take(static_cast<std::uint8_t>(length));
    ASSERT_TRUE(read) << length;
    EXPECT_EQ(read->kind, FrameRead::Kind::kTooShort) << length;
    EXPECT_EQ(read->bytes, (Bytes{kFrameSync, static_cast<std::uint8_t>(length)}));
    EXPECT_TRUE(read->Body().empty());
    EXPECT_FALSE(reader.FrameBegun());
  }
  // The search resumes right after the length byte: what follows is not part of it.
  FrameReader reader;
  EXPECT_EQ(Describe(reader.Feed(FromHex("FC 04 FC 05 11 27 56"))),
            "short FC 04 | frame FC 05 11 27 56");
}

TEST(FrameReader, SilenceCutsOffAFrameAtEveryStage) {
  struct Case {
    const char* before;
    const char* cut;
    std::size_t bodySize;
  };
  const Case cases[] = {{"FC", "cutoff FC", 0},
                        {"FC 07", "cutoff FC 07", 0},
                        {"FC 07 C0", "cutoff FC 07 C0", 0},
                        {"FC 07 C0 00 00 2D", "cutoff FC 07 C0 00 00 2D", 2}};
  for (const Case& c : cases) {
    FrameReader reader;
    EXPECT_TRUE(reader.Feed(FromHex(c.before)).empty()) << c.before;
    EXPECT_TRUE(reader.FrameBegun());
    const auto cut = reader.Silence();
    ASSERT_TRUE(cut) << c.before;
    EXPECT_EQ(Describe(*cut), c.cut);
    EXPECT_EQ(cut->Body().size(), c.bodySize) << c.before;
    // What comes after the silence is a new frame.
    EXPECT_EQ(Describe(reader.Feed(FromHex("FC 05 11 27 56"))), "frame FC 05 11 27 56");
  }
}

TEST(FrameReader, SaysHowManyBytesTheFrameStillLacks) {
  FrameReader reader;
  EXPECT_EQ(reader.Missing(), 1U);
  EXPECT_FALSE(reader.LengthKnown());
  reader.Take(0x33);
  EXPECT_EQ(reader.Missing(), 1U);
  reader.Take(kFrameSync);
  EXPECT_EQ(reader.Missing(), 1U);
  EXPECT_FALSE(reader.LengthKnown());
  reader.Take(0x07);
  EXPECT_TRUE(reader.LengthKnown());
  EXPECT_EQ(reader.Missing(), 5U);
  reader.Feed(FromHex("C0 00"));
  EXPECT_EQ(reader.Missing(), 3U);
  reader.Feed(FromHex("00 2D B5"));
  EXPECT_EQ(reader.Missing(), 1U);  // complete: the next sync is awaited
  EXPECT_FALSE(reader.FrameBegun());
}

TEST(FrameReader, OverLongLengthWaitsForAllItAnnounces) {
  // The length byte 0xFF announces 255 bytes, far more than any reply.
  FrameReader reader;
  EXPECT_TRUE(reader.Feed(FromHex("FC FF 11 27 56")).empty());
  EXPECT_EQ(reader.Missing(), 250U);
  // A correct frame arriving meanwhile is swallowed as data of the long one.
  EXPECT_TRUE(reader.Feed(FromHex("FC 05 11 27 56")).empty());
  EXPECT_EQ(reader.Missing(), 245U);
  const auto cut = reader.Silence();
  ASSERT_TRUE(cut);
  EXPECT_EQ(Describe(*cut), "cutoff FC FF 11 27 56 FC 05 11 27 56");
  // Given every byte it announced, it ends as any whole frame does, by its CRC.
  Bytes body(251, 0x00);
  body[0] = 0x88;
  Bytes frame = BuildFrame(body);
  ASSERT_EQ(frame[1], 0xFF);
  EXPECT_EQ(Describe(reader.Feed(frame)), "frame " + HexDump(frame));
  frame.back() ^= 0x01;
  EXPECT_EQ(reader.Feed(frame).at(0).kind, FrameRead::Kind::kBadCrc);
}

TEST(FrameReader, GivesUpTheSyncSearchAfterItsLimitAndStartsAfresh) {
  FrameReader reader(3);
  EXPECT_TRUE(reader.Feed(FromHex("01 02 03")).empty());
  // A sync as the byte after the limit is still found.
  EXPECT_EQ(Describe(reader.Feed(FromHex("FC"))), "noise 01 02 03");
  reader.Reset();
  EXPECT_EQ(Describe(reader.Feed(FromHex("01 02 03 04 05 06 07"))), "gaveup 01 02 03 04");
  EXPECT_EQ(Describe(*reader.TakeNoise()), "noise 05 06 07");
  // Without a limit the search never gives up.
  FrameReader patient;
  EXPECT_TRUE(patient.Feed(Bytes(5000, 0x55)).empty());
  EXPECT_EQ(patient.TakeNoise()->bytes.size(), 5000U);
}

}  // namespace
}  // namespace notarel
