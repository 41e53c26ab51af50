// The serial side of the event loop: bytes from the pty through wire pacing
// into the request reader and the device model, replies back out through the
// fault injector, the reply delay and wire pacing.
#include <cerrno>
#include <cstring>

#include "emulator.h"

namespace notarel::emu {
namespace {

// Noise is sent in chunks of this size when streaming.
constexpr std::size_t kStreamChunk = 64;
constexpr std::chrono::milliseconds kStreamPeriod{1};

}  // namespace

void Emulator::ReadLine(TimePoint now) {
  std::uint8_t buffer[4096];
  for (;;) {
    const ssize_t n = pty_.Read(buffer, sizeof buffer);
    if (n > 0) {
      pacer_.Receive(Bytes(buffer, buffer + n), now);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) {
      log_.Line(std::string("pty read failed: ") + std::strerror(errno));
    }
    return;
  }
}

void Emulator::ServeRequests(TimePoint now) {
  const Bytes arrived = pacer_.TakeReceived(now);
  if (arrived.empty()) return;
  for (const FrameRead& event : reader_.Feed(arrived, now)) HandleEvent(event, now);
}

// Why requests are not answered now, or null when they are.
const char* Emulator::IgnoreReason(TimePoint now) const {
  if (streaming_) return "streaming";
  if (now < silent_until_) return "silent";
  return nullptr;
}

void Emulator::HandleEvent(const FrameRead& event, TimePoint now) {
  const std::string hex = HexDump(event.bytes);
  const char* ignored = IgnoreReason(now);
  switch (event.kind) {
    case FrameRead::Kind::kFrame:
    case FrameRead::Kind::kBadCrc: {
      const bool bad = event.kind == FrameRead::Kind::kBadCrc;
      log_.Line("RX " + hex + (bad ? " (bad CRC)" : "") + (ignored ? std::string(" (ignored: ") + ignored + ")" : ""));
      // The ledger books what the host sent, also when the device is silent.
      if (!bad) BookRequest(event.Body());
      if (ignored) return;
      if (bad) {
        QueueReply(model_.HandleCorruptRequest(), now);
        return;
      }
      const Bytes body = event.Body();
      const auto reply = AnswerRequest(body, now);
      if (!reply) return;
      const bool intact = QueueReply(*reply, now, ExtraDelay(body));
      if (soak_) soak_->AfterReply(body, *reply, intact);
      LogSoakNotes();
      return;
    }
    case FrameRead::Kind::kTooShort:
      log_.Line("RX " + hex + " (length under 5, dropped)");
      return;
    case FrameRead::Kind::kNoise:
      log_.Line("RX " + hex + " (before sync, dropped)");
      return;
    case FrameRead::Kind::kCutOff:
      log_.Line("RX " + hex + " (incomplete, dropped)");
      return;
    case FrameRead::Kind::kGaveUp:  // the device's reader has no limit
      return;
  }
}

void Emulator::BookRequest(const Bytes& body) {
  const std::string fault = inhibits_.Request(body);
  if (!fault.empty()) log_.Line("LEDGER " + fault);
  if (soak_) soak_->Heard(body);
}

std::chrono::milliseconds Emulator::ExtraDelay(const Bytes& request) {
  std::chrono::milliseconds extra{0};
  if (request.empty()) return extra;
  const auto slow = slow_.find(request[0]);
  if (slow != slow_.end()) extra += slow->second;
  if (soak_) extra += soak_->ReplyDelay(request);
  return extra;
}

bool Emulator::QueueReply(const Bytes& body, TimePoint now, std::chrono::milliseconds extra) {
  const Bytes frame = BuildFrame(body);
  PendingReply reply{now + delay_ + extra, now, frame, {}};
  if (faults_.HasPending()) {
    ShapedReply shaped = faults_.Shape(frame);
    reply.bytes = std::move(shaped.bytes);
    reply.faults = std::move(shaped.applied);
  }
  const bool intact = ReachesHostIntact(reply.bytes, frame);
  replies_.push_back(std::move(reply));
  return intact;
}

void Emulator::ReleaseReplies(TimePoint now) {
  while (!replies_.empty() && replies_.front().release <= now) {
    const PendingReply& reply = replies_.front();
    for (const std::string& fault : reply.faults) log_.Line("FAULT " + fault);
    log_.Line("TX " + HexDump(reply.bytes));
    if (soak_ && soak_->Released(now - reply.queued)) log_.Line("SOAK reply after the host's read time-out");
    pacer_.Send(reply.bytes, now);
    replies_.pop_front();
  }
}

void Emulator::FeedStream(TimePoint now) {
  if (!streaming_) return;
  if (pacer_.Baud() != 0) {
    // Keep the paced line busy: refill before the queued noise runs out.
    if (pacer_.SendBacklog() < kStreamChunk) pacer_.Send(faults_.Noise(kStreamChunk), now);
    return;
  }
  if (now < next_stream_chunk_) return;
  pacer_.Send(faults_.Noise(kStreamChunk), now);
  next_stream_chunk_ = now + kStreamPeriod;
}

void Emulator::FlushLine(TimePoint now) {
  const Bytes due = pacer_.TakeSendable(now);
  line_out_.insert(line_out_.end(), due.begin(), due.end());
  // A line that is away takes nothing: what was due is lost, as on a cut wire.
  if (pty_.master_fd() < 0) {
    line_out_.clear();
    return;
  }
  while (!line_out_.empty()) {
    const ssize_t n = pty_.Write(line_out_.data(), line_out_.size());
    if (n > 0) {
      line_out_.erase(line_out_.begin(), line_out_.begin() + n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    const bool full = n == 0 || errno == EAGAIN;
    if (!full) log_.Line(std::string("pty write failed: ") + std::strerror(errno));
    // Noise that the line cannot take is simply lost, as on a real wire;
    // a reply waits for room.
    if (streaming_ || !full) line_out_.clear();
    return;
  }
}

void Emulator::ResetLine() {
  pacer_.Clear();
  reader_.Reset();
  replies_.clear();
  line_out_.clear();
}

}  // namespace notarel::emu
