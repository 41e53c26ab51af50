#pragma once
// Ends the whole program when a run outlasts its bound, or when it stops
// making progress for a while: a driver call that never returns (a deadlock
// between the client thread and the polling loop) must fail the soak, not
// hang it. The phase in progress is printed first.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace notarel::soak {

class Watchdog {
 public:
  Watchdog(std::chrono::seconds bound, std::chrono::seconds stall);
  // Disarms the watchdog and waits for its thread.
  ~Watchdog();
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

  // A static text naming what the program is doing now.
  void Phase(const char* name) { phase_.store(name); }
  // A figure that grows while the run gets on (the device's request count):
  // the stall time runs from its last change.
  void Progress(unsigned long figure);

 private:
  using Clock = std::chrono::steady_clock;
  void Watch(std::chrono::seconds bound, std::chrono::seconds stall);
  [[noreturn]] void Fail(const char* why, long long seconds);

  std::atomic<const char*> phase_{"start"};
  std::atomic<unsigned long> figure_{0};
  std::atomic<Clock::rep> lastProgress_;
  std::mutex lock_;
  std::condition_variable done_;
  bool finished_ = false;
  std::thread thread_;
};

}  // namespace notarel::soak
