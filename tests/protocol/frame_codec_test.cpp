#include "frame_codec.h"

#include <gtest/gtest.h>

#include <string>

namespace notarel {
namespace {

TEST(FrameCodec, CrcIsKermitWithItsCheckValue) {
  const std::string text = "123456789";
  EXPECT_EQ(FrameCrc(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), 0x2189);
  EXPECT_EQ(FrameCrc(nullptr, 0), 0x0000);
}

TEST(FrameCodec, BuildsTheDocumentedFrames) {
  EXPECT_EQ(HexDump(BuildFrame({0x11})), "FC 05 11 27 56");
  EXPECT_EQ(HexDump(BuildFrame({0x40})), "FC 05 40 2B 15");
  EXPECT_EQ(HexDump(BuildFrame({0x50})), "FC 05 50 AA 05");
  EXPECT_EQ(HexDump(BuildFrame({0xC0, 0x00, 0x00})), "FC 07 C0 00 00 2D B5");
  EXPECT_EQ(HexDump(BuildFrame({0xC3, 0x01})), "FC 06 C3 01 8D C7");
}

TEST(FrameCodec, HexDumpFormat) {
  EXPECT_EQ(HexDump(Bytes{}), "");
  EXPECT_EQ(HexDump(Bytes{0x0A}), "0A");
  EXPECT_EQ(HexDump(Bytes{0x00, 0xFF, 0xab}), "00 FF AB");
}

TEST(FrameCodec, CrcCheckRejectsSwappedCorruptAndShortFrames) {
  EXPECT_TRUE(FrameCrcMatches({0xFC, 0x05, 0x11, 0x27, 0x56}));
  EXPECT_FALSE(FrameCrcMatches({0xFC, 0x05, 0x11, 0x56, 0x27}));
  EXPECT_FALSE(FrameCrcMatches({0xFC, 0x05, 0x12, 0x27, 0x56}));
  EXPECT_FALSE(FrameCrcMatches({0xFC, 0x05, 0x11}));
  EXPECT_FALSE(FrameCrcMatches({0xFC}));
}

}  // namespace
}  // namespace notarel
