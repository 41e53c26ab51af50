// What the control side can do to the next reply on its way to the line.
#include <gtest/gtest.h>

#include <algorithm>

#include "fault_injector.h"
#include "hex_bytes.h"

namespace notarel::emu {
namespace {

const char* const kEscrowFrame = "FC 06 13 65 94 BD";

std::string ShapeEscrow(FaultInjector& faults) { return HexDump(faults.Shape(FromHex(kEscrowFrame)).bytes); }

TEST(FaultInjector, CrcFaultsAndTruncationChangeOnlyWhatTheySay) {
  FaultInjector faults(1);
  faults.Add({FaultKind::kSwapCrc, 0, {}});
  EXPECT_EQ(ShapeEscrow(faults), "FC 06 13 65 BD 94");

  faults.Add({FaultKind::kCorrupt, 0, {}});
  const Bytes corrupt = faults.Shape(FromHex(kEscrowFrame)).bytes;
  EXPECT_FALSE(FrameCrcMatches(corrupt));
  ASSERT_EQ(corrupt.size(), 6U);
  // Exactly one bit differs, and it is in the CRC.
  const Bytes good = FromHex(kEscrowFrame);
  EXPECT_TRUE(std::equal(good.begin(), good.end() - 2, corrupt.begin()));
  const unsigned diff = (good[4] ^ corrupt[4]) << 8 | (good[5] ^ corrupt[5]);
  EXPECT_EQ(__builtin_popcount(diff), 1);

  faults.Add({FaultKind::kTruncate, 2, {}});
  EXPECT_EQ(ShapeEscrow(faults), "FC 06");
  faults.Add({FaultKind::kTruncate, 10, {}});
  EXPECT_EQ(ShapeEscrow(faults), kEscrowFrame) << "a longer limit leaves the frame whole";
}

TEST(FaultInjector, ReplacementsAndAdditions) {
  FaultInjector faults(1);
  faults.Add({FaultKind::kRaw, 0, FromHex("FC 04")});
  EXPECT_EQ(ShapeEscrow(faults), "FC 04");
  faults.Add({FaultKind::kReply, 0, FromHex("17 71")});
  EXPECT_EQ(ShapeEscrow(faults), "FC 06 17 71 51 8C");
  faults.Add({FaultKind::kTrailing, 0, FromHex("AA BB")});
  EXPECT_EQ(ShapeEscrow(faults), "FC 06 13 65 94 BD AA BB");
}

TEST(FaultInjector, FaultsApplyInOrderToTheNextReplyOnly) {
  FaultInjector faults(1);
  faults.Add({FaultKind::kCorrupt, 0, {}});
  faults.Add({FaultKind::kReply, 0, FromHex("11")});
  EXPECT_EQ(ShapeEscrow(faults), "FC 05 11 27 56") << "a later replacement discards the corruption";
  EXPECT_FALSE(faults.HasPending());
  EXPECT_EQ(ShapeEscrow(faults), kEscrowFrame);

  faults.Add({FaultKind::kReply, 0, FromHex("11")});
  faults.Add({FaultKind::kSwapCrc, 0, {}});
  faults.Add({FaultKind::kTrailing, 0, FromHex("01")});
  faults.Add({FaultKind::kTruncate, 4, {}});
  // Truncation cuts the frame; the trailing bytes still follow it.
  const ShapedReply shaped = faults.Shape(FromHex(kEscrowFrame));
  EXPECT_EQ(HexDump(shaped.bytes), "FC 05 11 56 01");
  EXPECT_EQ(shaped.applied.size(), 4U);
}

TEST(FaultInjector, GarbageIsSeededNoiseWithoutSyncBytes) {
  FaultInjector faults(7);
  faults.Add({FaultKind::kGarbage, 3000, {}});
  const Bytes shaped = faults.Shape(FromHex(kEscrowFrame)).bytes;
  ASSERT_EQ(shaped.size(), 3006U);
  EXPECT_EQ(std::count(shaped.begin(), shaped.begin() + 3000, kFrameSync), 0);
  EXPECT_EQ(HexDump(Bytes(shaped.begin() + 3000, shaped.end())), kEscrowFrame);
  // Enough values occur that the noise is not a constant filler.
  Bytes values(shaped.begin(), shaped.begin() + 3000);
  std::sort(values.begin(), values.end());
  EXPECT_GT(std::unique(values.begin(), values.end()) - values.begin(), 200);

  FaultInjector same_seed(7);
  same_seed.Add({FaultKind::kGarbage, 3000, {}});
  EXPECT_EQ(same_seed.Shape(FromHex(kEscrowFrame)).bytes, shaped);
}

TEST(FaultInjector, OnlyNoiseInFrontOrBytesBehindLeaveAFrameReadable) {
  const Bytes frame = FromHex(kEscrowFrame);
  EXPECT_TRUE(ReachesHostIntact(frame, frame));
  EXPECT_TRUE(ReachesHostIntact(FromHex("00 13 FB FC 06 13 65 94 BD"), frame));
  EXPECT_TRUE(ReachesHostIntact(FromHex("FC 06 13 65 94 BD AA"), frame));
  EXPECT_FALSE(ReachesHostIntact(FromHex("FC 06 13 65 BD 94"), frame)) << "swapped CRC";
  EXPECT_FALSE(ReachesHostIntact(FromHex("FC 06 13 65 94"), frame)) << "cut short";
  EXPECT_FALSE(ReachesHostIntact({}, frame)) << "nothing at all";
  EXPECT_FALSE(ReachesHostIntact(FromHex("FC 00 FC 06 13 65 94 BD"), frame))
      << "a sync in front starts a frame of its own";
  // Swapping two equal CRC bytes changes nothing on the line, so the host reads the frame.
  const Bytes equalCrc = FromHex("FC 05 4D CE CE");
  FaultInjector faults(1);
  faults.Add({FaultKind::kSwapCrc, 0, {}});
  EXPECT_TRUE(ReachesHostIntact(faults.Shape(equalCrc).bytes, equalCrc));
}

TEST(NoiseSource, StreamNoiseNeverHoldsTheSyncByte) {
  NoiseSource noise(3);
  for (int round = 0; round < 100; ++round) {
    const Bytes chunk = noise.Take(64);
    ASSERT_EQ(chunk.size(), 64U);
    ASSERT_EQ(std::count(chunk.begin(), chunk.end(), kFrameSync), 0);
  }
}

}  // namespace
}  // namespace notarel::emu
