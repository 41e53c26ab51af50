#include "watchdog.h"

#include <cstdio>
#include <cstdlib>

namespace notarel::soak {

// The exit status of a run the watchdog ended.
constexpr int kDeadlockStatus = 3;

Watchdog::Watchdog(std::chrono::seconds bound, std::chrono::seconds stall)
    : lastProgress_(Clock::now().time_since_epoch().count()),
      thread_([this, bound, stall] { Watch(bound, stall); }) {}

Watchdog::~Watchdog() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    finished_ = true;
  }
  done_.notify_all();
  thread_.join();
}

void Watchdog::Progress(unsigned long figure) {
  if (figure_.exchange(figure) != figure) lastProgress_.store(Clock::now().time_since_epoch().count());
}

void Watchdog::Watch(std::chrono::seconds bound, std::chrono::seconds stall) {
  const auto end = Clock::now() + bound;
  std::unique_lock<std::mutex> lock(lock_);
  while (!done_.wait_for(lock, std::chrono::seconds(1), [this] { return finished_; })) {
    const auto now = Clock::now();
    if (now >= end) Fail("the run did not end within", bound.count());
    const Clock::time_point last{Clock::duration(lastProgress_.load())};
    if (now - last > stall) Fail("the run made no progress for", stall.count());
  }
}

void Watchdog::Fail(const char* why, long long seconds) {
  std::printf("FAIL deadlock: %s %lld s (phase: %s)\n", why, seconds, phase_.load());
  std::fflush(stdout);
  // The stuck threads cannot be unwound; the emulator ends when its input closes.
  std::_Exit(kDeadlockStatus);
}

}  // namespace notarel::soak
