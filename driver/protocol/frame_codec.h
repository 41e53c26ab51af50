#pragma once
// The acceptor's frame: 0xFC, total length, command or status byte, data, CRC.
// Pure functions only: building and checking frames involves no I/O, so the
// driver and the device emulator share them and tests feed them byte vectors.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace notarel {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kFrameSync = 0xFC;
// Sync, length and the two CRC bytes around the command/status and data bytes.
constexpr std::size_t kFrameOverhead = 4;

// CRC-16/KERMIT: reflected polynomial 0x8408, initial 0, no final XOR.
std::uint16_t FrameCrc(const std::uint8_t* data, std::size_t size);
inline std::uint16_t FrameCrc(const Bytes& data) { return FrameCrc(data.data(), data.size()); }

// Two upper-case hex digits per byte, separated by single blanks.
std::string HexDump(const std::uint8_t* data, std::size_t size);
inline std::string HexDump(const Bytes& data) { return HexDump(data.data(), data.size()); }

// The whole frame for a body (command byte first, then its data).
// The length byte is body size + 4, truncated to one byte as the device reads it.
Bytes BuildFrame(const Bytes& body);

// True when the last two bytes of a received frame are the CRC of the rest, low byte first.
// A frame of fewer than two bytes has no CRC and fails.
bool FrameCrcMatches(const Bytes& frame);

}  // namespace notarel
