#pragma once
// The emulated acceptor for a host in the same process: the bytes the host
// wrote in, the bytes the device puts on the line out, with the faults and
// silences of a soak scenario chosen as the emulator program chooses them,
// but with no line in between: no wire time and no reply delay (a slow reply
// comes at once). Control lines are the emulator's own language, except for
// the verbs that concern the line or the program (stream, wire, hangup,
// delay, slow, sleep, quit). Pure apart from the time the caller passes, which
// only measures silences; not thread-safe.
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "device_model.h"
#include "fault_injector.h"
#include "inhibit_ledger.h"
#include "soak_scenario.h"
#include "frame_reader.h"

namespace notarel::emu {

class InProcessDevice {
 public:
  using Clock = std::chrono::steady_clock;

  // What became of the requests of one write.
  struct Reply {
    Bytes bytes;                    // everything the device sends back; empty: nothing
    unsigned silenced = 0;          // requests that got no answer because the device was silent
    std::vector<FaultKind> faults;  // the faults applied to the replies, in order
  };

  explicit InProcessDevice(std::uint32_t noise_seed, StartState start = StartState::kPowerUp);

  // The host wrote these bytes at `now`; a frame may span writes.
  Reply Serve(const Bytes& written, Clock::time_point now);
  // One control line; the reply line is "OK ..." or "ERR ...".
  std::string Command(const std::string& line, Clock::time_point now);

  const DeviceModel& Model() const { return model_; }
  // Null until a soak is started.
  const SoakScenario* Soak() const { return soak_.get(); }

 private:
  void ServeFrame(const FrameRead& frame, Clock::time_point now, Reply& reply);
  void SendReply(const Bytes& request, const Bytes& body, Reply& reply);
  std::string SoakCommand(bool on, std::uint32_t seed, const SoakRates& rates);

  DeviceModel model_;
  FaultInjector faults_;
  InhibitLedger inhibits_;
  std::unique_ptr<SoakScenario> soak_;
  FrameReader frames_;
  Clock::time_point silent_until_{};
};

}  // namespace notarel::emu
