#include "watchdog.h"

#include <cstdio>
#include <cstdlib>

namespace notarel::soak {

// The exit status of a run the watchdog ended.
constexpr int kDeadlockStatus = 3;

Watchdog::Watchdog(std::chrono::seconds bound) : thread_([this, bound] { Watch(bound); }) {}

Watchdog::~Watchdog() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    finished_ = true;
  }
  done_.notify_all();
  thread_.join();
}

void Watchdog::Watch(std::chrono::seconds bound) {
  std::unique_lock<std::mutex> lock(lock_);
  if (done_.wait_for(lock, bound, [this] { return finished_; })) return;
  std::printf("FAIL deadlock: the run did not end within %lld s (phase: %s)\n",
              static_cast<long long>(bound.count()), phase_.load());
  std::fflush(stdout);
  // The stuck threads cannot be unwound; the emulator ends when its input closes.
  std::_Exit(kDeadlockStatus);
}

}  // namespace notarel::soak
