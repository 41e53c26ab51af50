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
  std::vector<std::string> emuArgs;
  if (!options.emuLog.empty()) emuArgs = {"--log", options.emuLog};
  auto peer = EmulatorPeer::Start(emuArgs);
  if (!peer) {
    std::printf("FAIL the emulator did not start\n");
    return nullptr;
  }
  return std::make_unique<PtySoakLink>(std::move(peer));
}

}  // namespace notarel::soak
