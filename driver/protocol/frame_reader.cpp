#include "frame_reader.h"

#include <utility>

namespace notarel {

Bytes FrameRead::Body() const {
  if (bytes.size() < kFrameOverhead) return {};
  return Bytes(bytes.begin() + 2, bytes.end() - 2);
}

std::optional<FrameRead> FrameReader::Take(std::uint8_t byte) {
  if (partial_.empty()) return Hunt(byte);
  partial_.push_back(byte);
  const std::size_t length = partial_[1];
  // A length byte of the overhead alone leaves no room for a command or status byte.
  if (partial_.size() == 2 && length <= kFrameOverhead) return Finish(FrameRead::Kind::kTooShort);
  // The length byte says how much to take, even if a sync byte comes among the data.
  if (partial_.size() < length) return std::nullopt;
  return Finish(FrameCrcMatches(partial_) ? FrameRead::Kind::kFrame : FrameRead::Kind::kBadCrc);
}

std::optional<FrameRead> FrameReader::Hunt(std::uint8_t byte) {
  if (byte == kFrameSync) {
    partial_.push_back(byte);
    return TakeNoise();
  }
  noise_.push_back(byte);
  if (noise_.size() <= maxSkipped_) return std::nullopt;
  FrameRead gaveUp{FrameRead::Kind::kGaveUp, std::move(noise_)};
  noise_.clear();
  return gaveUp;
}

std::vector<FrameRead> FrameReader::Feed(const Bytes& bytes) {
  std::vector<FrameRead> reads;
  for (std::uint8_t byte : bytes) {
    if (auto read = Take(byte)) reads.push_back(std::move(*read));
  }
  return reads;
}

std::optional<FrameRead> FrameReader::Silence() {
  if (partial_.empty()) return TakeNoise();
  return Finish(FrameRead::Kind::kCutOff);
}

std::optional<FrameRead> FrameReader::TakeNoise() {
  if (noise_.empty()) return std::nullopt;
  FrameRead noise{FrameRead::Kind::kNoise, std::move(noise_)};
  noise_.clear();
  return noise;
}

void FrameReader::Reset() {
  noise_.clear();
  partial_.clear();
}

std::size_t FrameReader::Missing() const {
  if (!LengthKnown()) return 1;
  const std::size_t length = partial_[1];
  return length > partial_.size() ? length - partial_.size() : 0;
}

std::optional<FrameRead> FrameReader::Finish(FrameRead::Kind kind) {
  FrameRead read{kind, std::move(partial_)};
  partial_.clear();
  return read;
}

}  // namespace notarel
