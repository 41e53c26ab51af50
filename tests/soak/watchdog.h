#pragma once
// Ends the whole program when a run outlasts its bound: a driver call that
// never returns (a deadlock between the client thread and the polling loop)
// must fail the soak, not hang it. The phase in progress is printed first.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace notarel::soak {

class Watchdog {
 public:
  explicit Watchdog(std::chrono::seconds bound);
  // Disarms the watchdog and waits for its thread.
  ~Watchdog();
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

  // A static text naming what the program is doing now.
  void Phase(const char* name) { phase_.store(name); }

 private:
  void Watch(std::chrono::seconds bound);

  std::atomic<const char*> phase_{"start"};
  std::mutex lock_;
  std::condition_variable done_;
  bool finished_ = false;
  std::thread thread_;
};

}  // namespace notarel::soak
