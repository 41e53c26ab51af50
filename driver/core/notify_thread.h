#pragma once
// TNotifyThread: a worker thread that runs one procedure once and ends when it
// returns. The procedure gets the thread object, so a loop inside it can ask
// whether it was told to terminate.
//
// The driver keeps a thread object until the thread has ended (it waits for a
// finishing loop before it starts another one, and before its own destruction
// releases what the loop uses), so no object here ever releases itself.
#include <atomic>
#include <functional>
#include <thread>

namespace notarel {

class TNotifyThread {
 public:
  using Procedure = std::function<void(TNotifyThread&)>;

  // Starts running at once; raises std::system_error when no thread can be made.
  explicit TNotifyThread(Procedure procedure);
  // Waits for the thread to end, unless called on that very thread (a handler
  // releasing the driver): then the thread is left to finish on its own.
  ~TNotifyThread();
  TNotifyThread(const TNotifyThread&) = delete;
  TNotifyThread& operator=(const TNotifyThread&) = delete;

  // Set by the procedure as its last act, under its owner's lock, so the owner
  // can wait for it on a condition of its own.
  void MarkEnded() { ended_.store(true); }
  bool Ended() const { return ended_.load(); }
  // Whether the calling thread is this one.
  bool IsCurrent() const { return std::this_thread::get_id() == id_.load(); }
  // Waits until the procedure has returned; does nothing on the thread itself.
  void WaitFor();

 private:
  std::atomic<bool> ended_{false};
  // Set by the thread itself as it starts: the std::thread member is still
  // being assigned by the creating thread at that moment.
  std::atomic<std::thread::id> id_{};
  std::thread thread_;
};

}  // namespace notarel
