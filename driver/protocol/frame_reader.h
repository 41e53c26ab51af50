#pragma once
// Cuts a byte stream into frames: find the sync byte, take the length byte,
// take the rest, check the CRC. Pure: the caller moves the bytes and decides
// when the line has been silent long enough, and tells the reader so.
//
// The driver feeds it one reply at a time and stops at the first outcome; the
// device emulator feeds it everything the host sends and keeps going.
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "frame_codec.h"

namespace notarel {

struct FrameRead {
  enum class Kind {
    kFrame,     // a whole frame with a matching CRC
    kBadCrc,    // a whole frame whose CRC does not match
    kTooShort,  // sync and a length byte with no room for a command or status byte
    kNoise,     // bytes before a sync, dropped
    kCutOff,    // a frame begun, then silence before its length was reached
    kGaveUp,    // more bytes without a sync than the reader's limit, dropped
  };
  Kind kind;
  // The frame from its sync byte on, as far as it came; for kNoise and kGaveUp
  // the dropped bytes.
  Bytes bytes;

  // The command or status byte and its data: the frame without sync, length
  // and CRC; empty when fewer than four bytes came.
  Bytes Body() const;
};

class FrameReader {
 public:
  static constexpr std::size_t kUnlimited = std::numeric_limits<std::size_t>::max();

  // After maxSkipped bytes without a sync, the next one that is not a sync
  // gives up (kGaveUp) and the search starts afresh.
  explicit FrameReader(std::size_t maxSkipped = kUnlimited) : maxSkipped_(maxSkipped) {}

  // Takes one byte. A sync after noise reports the noise (and starts a frame);
  // the byte that completes a frame reports it.
  std::optional<FrameRead> Take(std::uint8_t byte);
  // Takes the bytes in order and returns every outcome they complete.
  std::vector<FrameRead> Feed(const Bytes& bytes);
  // The line has fallen silent: a frame begun is cut off, else pending noise is reported.
  std::optional<FrameRead> Silence();
  // Reports the noise taken since the last sync, without waiting for one.
  std::optional<FrameRead> TakeNoise();
  void Reset();

  // Whether a sync byte has come and its frame is not complete yet.
  bool FrameBegun() const { return !partial_.empty(); }
  // Whether the frame begun has its length byte.
  bool LengthKnown() const { return partial_.size() >= 2; }
  // Bytes the frame begun still lacks; 1 while the sync or the length byte is awaited.
  std::size_t Missing() const;
  // The frame begun, from its sync byte on.
  const Bytes& Partial() const { return partial_; }

 private:
  std::optional<FrameRead> Finish(FrameRead::Kind kind);
  std::optional<FrameRead> Hunt(std::uint8_t byte);

  std::size_t maxSkipped_;
  Bytes noise_;
  Bytes partial_;
};

}  // namespace notarel
