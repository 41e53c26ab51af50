// The soak's device in this process: every driver gets its own serial link
// in memory whose responder hands what the driver wrote to one emulated
// device, as drivers that take turns on one port do.
#include <mutex>
#include <vector>

#include "in_process_device.h"
#include "serial_memory.h"
#include "soak_link.h"

namespace notarel::soak {
namespace {

using emu::FaultKind;
using emu::InProcessDevice;

const char* DeliveredName(FaultKind kind) {
  switch (kind) {
    case FaultKind::kGarbage: return "garbage";
    case FaultKind::kCorrupt: return "corrupted";
    case FaultKind::kSwapCrc: return "crc_swapped";
    case FaultKind::kTruncate: return "truncated";
    case FaultKind::kReply: return "short_replies";
    default: return "other_faults";
  }
}

class MemorySoakLink final : public SoakLink {
 public:
  explicit MemorySoakLink(std::uint32_t noiseSeed) : device_(noiseSeed) {}

  std::string Command(const std::string& line) override {
    std::lock_guard<std::mutex> hold(lock_);
    return device_.Command(line, InProcessDevice::Clock::now());
  }

  std::unique_ptr<TDriver> NewDriver() override {
    auto line = std::make_shared<TMemorySerial>();
    line->KeepLastWrites(0);
    line->SetResponder([this](const Bytes& written) { return Respond(written); });
    auto driver = std::make_unique<TDriver>(line);
    driver->SetPortPath("memory");
    return driver;
  }

  std::map<std::string, unsigned long> Delivered() const override {
    std::lock_guard<std::mutex> hold(lock_);
    return delivered_;
  }

 private:
  // An unanswered request leaves the line empty, which the driver reads as a time-out.
  TMemorySerial::TReply Respond(const Bytes& written) {
    std::lock_guard<std::mutex> hold(lock_);
    const InProcessDevice::Reply reply = device_.Serve(written, InProcessDevice::Clock::now());
    delivered_["silenced"] += reply.silenced;
    for (FaultKind kind : reply.faults) ++delivered_[DeliveredName(kind)];
    if (reply.bytes.empty()) return {TMemorySerial::Timeout()};
    return {TMemorySerial::Data(reply.bytes), TMemorySerial::Timeout()};
  }

  mutable std::mutex lock_;
  InProcessDevice device_;
  std::map<std::string, unsigned long> delivered_;
};

}  // namespace

std::unique_ptr<SoakLink> StartMemoryLink(const SoakOptions& options) {
  return std::make_unique<MemorySoakLink>(options.seed);
}

}  // namespace notarel::soak
