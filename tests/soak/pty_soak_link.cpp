// The soak's device as the emulator program on a pseudo-terminal.
#include <cstdio>

#include "emulator_peer.h"
#include "soak_link.h"

namespace notarel::soak {
namespace {

class PtySoakLink final : public SoakLink {
 public:
  explicit PtySoakLink(std::unique_ptr<EmulatorPeer> peer) : peer_(std::move(peer)) {}

  std::string Command(const std::string& line) override { return peer_->Command(line); }
  std::unique_ptr<TDriver> NewDriver() override {
    auto driver = std::make_unique<TDriver>();
    peer_->Attach(*driver);
    return driver;
  }

 private:
  std::unique_ptr<EmulatorPeer> peer_;
};

}  // namespace

std::unique_ptr<SoakLink> StartPtyLink(const SoakOptions& options) {
  // A device answers in its own time whatever the host's load; the emulator
  // is given real-time scheduling (where this process may grant it) so that
  // it does too, and a reply it could not send in time is counted as late.
  std::vector<std::string> emuArgs = {"--realtime", "10"};
  if (!options.emuLog.empty()) emuArgs.insert(emuArgs.end(), {"--log", options.emuLog});
  auto peer = EmulatorPeer::Start(emuArgs);
  if (!peer) {
    std::printf("FAIL the emulator did not start\n");
    return nullptr;
  }
  return std::make_unique<PtySoakLink>(std::move(peer));
}

}  // namespace notarel::soak
