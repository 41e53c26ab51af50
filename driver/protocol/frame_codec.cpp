#include "frame_codec.h"

#include <array>

namespace notarel {
namespace {

constexpr std::array<std::uint16_t, 256> MakeCrcTable() {
  std::array<std::uint16_t, 256> table{};
  for (unsigned i = 0; i < 256; ++i) {
    unsigned crc = i;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1U) ? (crc >> 1) ^ 0x8408U : crc >> 1;
    table[i] = static_cast<std::uint16_t>(crc);
  }
  return table;
}

constexpr auto kCrcTable = MakeCrcTable();

}  // namespace

std::uint16_t FrameCrc(const std::uint8_t* data, std::size_t size) {
  unsigned crc = 0;
  for (std::size_t i = 0; i < size; ++i) crc = kCrcTable[(crc ^ data[i]) & 0xFFU] ^ (crc >> 8);
  return static_cast<std::uint16_t>(crc);
}

std::string HexDump(const std::uint8_t* data, std::size_t size) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  if (size == 0) return text;
  text.reserve(size * 3 - 1);
  for (std::size_t i = 0; i < size; ++i) {
    if (i != 0) text += ' ';
    text += kDigits[data[i] >> 4];
    text += kDigits[data[i] & 0x0F];
  }
  return text;
}

Bytes BuildFrame(const Bytes& body) {
  Bytes frame;
  frame.reserve(body.size() + kFrameOverhead);
  frame.push_back(kFrameSync);
  frame.push_back(static_cast<std::uint8_t>(body.size() + kFrameOverhead));
  frame.insert(frame.end(), body.begin(), body.end());
  const std::uint16_t crc = FrameCrc(frame);
  frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
  frame.push_back(static_cast<std::uint8_t>(crc >> 8));
  return frame;
}

bool FrameCrcMatches(const Bytes& frame) {
  if (frame.size() < 2) return false;
  const std::size_t n = frame.size() - 2;
  const std::uint16_t crc = FrameCrc(frame.data(), n);
  return frame[n] == (crc & 0xFF) && frame[n + 1] == (crc >> 8);
}

}  // namespace notarel
