// rud003-emu: the acceptor on a pseudo-terminal, for tests and for
// integrators without the hardware.
#include <sched.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <random>
#include <unistd.h>

#include "emulator.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;
int g_wake_pipe[2] = {-1, -1};

void OnStopSignal(int) {
  g_stop = 1;
  const char byte = 1;
  // Wakes poll(); the result does not matter, the flag is already set.
  [[maybe_unused]] const ssize_t n = ::write(g_wake_pipe[1], &byte, 1);
}

bool InstallSignals() {
  if (::pipe2(g_wake_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  if (::sigaction(SIGTERM, &action, nullptr) != 0 || ::sigaction(SIGINT, &action, nullptr) != 0) return false;
  // A control client that hangs up must not end the emulator.
  std::signal(SIGPIPE, SIG_IGN);
  return true;
}

// Round-robin real-time scheduling where the process may have it; where it
// may not, the emulator runs on with ordinary scheduling and says so.
void ApplyRealtime(unsigned priority, notarel::emu::EmuLog& log) {
  if (priority == 0) return;
  sched_param param{};
  param.sched_priority = static_cast<int>(priority);
  if (::sched_setscheduler(0, SCHED_RR, &param) == 0) {
    log.Line("real-time priority " + std::to_string(priority));
  } else {
    log.Line(std::string("real-time priority refused (") + std::strerror(errno) + "): ordinary scheduling");
  }
}

}  // namespace

int main(int argc, char** argv) {
  using namespace notarel::emu;
  EmulatorOptions options;
  std::string error;
  if (!ParseOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "rud003-emu: %s\n%s", error.c_str(), kUsage);
    return 2;
  }
  std::FILE* log_file = stderr;
  if (!options.log_path.empty()) {
    log_file = std::fopen(options.log_path.c_str(), "w");
    if (log_file == nullptr) {
      std::perror(("rud003-emu: " + options.log_path).c_str());
      return 2;
    }
  }
  if (!InstallSignals()) {
    std::perror("rud003-emu: signal set-up failed");
    return 1;
  }
  EmuLog log(log_file);
  ApplyRealtime(options.realtime_priority, log);
  const std::uint32_t seed = options.seed ? *options.seed : std::random_device{}();
  int status = 0;
  try {
    Emulator emulator(options, seed, log);
    emulator.Start();
    emulator.Run(g_stop, g_wake_pipe[0]);
    emulator.Finish();
  } catch (const std::exception& e) {
    log.Line(std::string("fatal: ") + e.what());
    if (log_file != stderr) std::fprintf(stderr, "rud003-emu: %s\n", e.what());
    status = 1;
  }
  if (log_file != stderr) std::fclose(log_file);
  return status;
}
