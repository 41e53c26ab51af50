#pragma once
#include <ctime>
// The emulator process: one thread, one poll() over the pty master, standard
// input, the TCP listening socket and its clients, and a wake-up pipe for
// signals. Each turn it moves bytes between the line and the device model,
// carries out control commands, and sleeps until the next byte or timer is due.
#include <chrono>
#include <csignal>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "control_channel.h"
#include "control_command.h"
#include "device_model.h"
#include "emu_log.h"
#include "emu_options.h"
#include "fault_injector.h"
#include "inhibit_ledger.h"
#include "pty_link.h"
#include "request_reader.h"
#include "soak_scenario.h"
#include "wire_pacer.h"

namespace notarel::emu {

class Emulator {
 public:
  using Clock = std::chrono::steady_clock;
  using TimePoint = Clock::time_point;

  Emulator(EmulatorOptions options, std::uint32_t seed, EmuLog& log);
  ~Emulator();
  Emulator(const Emulator&) = delete;
  Emulator& operator=(const Emulator&) = delete;

  // Opens the line and the control sources, then prints PTY, CONTROL and READY.
  // Throws std::system_error (or std::runtime_error for an unreadable script).
  void Start();
  // Serves until quit, a stop request, or the end of standard input when it is
  // the only interactive control source. wake_fd becomes readable on a signal.
  void Run(const volatile std::sig_atomic_t& stop_requested, int wake_fd);
  // Removes the link and prints the final counters line.
  void Finish();

 private:
  struct PendingReply {
    TimePoint release;
    TimePoint queued;  // when its request was read
    Bytes bytes;
    std::vector<std::string> faults;
  };

  // Serial side.
  void ReadLine(TimePoint now);
  void ServeRequests(TimePoint now);
  void HandleEvent(const FrameRead& event, TimePoint now);
  const char* IgnoreReason(TimePoint now) const;
  // Every well-formed request goes into the ledgers, answered or not.
  void BookRequest(const Bytes& body);
  // Returns whether the reply leaves in a form the host can read. `extra` is
  // added to the reply delay.
  bool QueueReply(const Bytes& body, TimePoint now, std::chrono::milliseconds extra = {});
  // The extra delay of the reply to this request: `slow` and the soak's.
  std::chrono::milliseconds ExtraDelay(const Bytes& request);
  void ReleaseReplies(TimePoint now);
  void FeedStream(TimePoint now);
  void FlushLine(TimePoint now);
  void ResetLine();

  // Control side.
  void LoadScript();
  void AcceptClients();
  void ReadChannel(ControlChannel& channel);
  void ServeChannels(TimePoint now);
  void ServeChannel(ControlChannel& channel, TimePoint now);
  std::string Execute(const ControlCommand& command, TimePoint now);
  std::string Hangup(std::chrono::milliseconds away, TimePoint now);
  // A new pseudo-terminal behind the link: "OK PTY <path>", or "ERR <why>".
  std::string OpenNewLine();
  std::string HostCommand(bool polling);
  void RestartLink();
  void Answer(ControlChannel& channel, const std::string& line, const std::string& reply);

  // Soak scenario.
  void StartSoak(std::uint32_t seed, const SoakRates& rates);
  std::string SoakCommand(const ControlCommand& command);
  // The device's answer to a well-formed request with the soak's part in it:
  // nothing when the soak silences the request or the device does not answer.
  std::optional<Bytes> AnswerRequest(const Bytes& body, TimePoint now);
  void LogSoakNotes();
  // The device's counters, then the soak's when one was started.
  std::string CountersText() const;

  // Loop.
  timespec PollTimeout(TimePoint now) const;
  bool ShouldEnd() const;

  EmulatorOptions options_;
  EmuLog& log_;
  DeviceModel model_;
  FaultInjector faults_;
  PtyLink pty_;
  WirePacer pacer_;
  RequestReader reader_;
  std::unique_ptr<SoakScenario> soak_;
  InhibitLedger inhibits_;

  std::deque<PendingReply> replies_;
  Bytes line_out_;  // due bytes the pty has not taken yet
  TimePoint silent_until_{};
  std::optional<TimePoint> line_back_at_;  // a line that hung up for a while returns then
  std::chrono::milliseconds delay_{0};
  std::map<std::uint8_t, std::chrono::milliseconds> slow_;  // by command byte
  bool streaming_ = false;
  TimePoint next_stream_chunk_{};

  int listen_fd_ = -1;
  std::unique_ptr<ControlChannel> stdin_;
  std::unique_ptr<ControlChannel> script_;
  std::vector<std::unique_ptr<ControlChannel>> clients_;
  bool quit_ = false;
};

// One line on standard output, flushed at once: a reader waits for each.
void PrintLine(const std::string& line);

}  // namespace notarel::emu
