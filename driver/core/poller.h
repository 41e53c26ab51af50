#pragma once
// TPoller: the background loop that polls the acceptor and runs the bill cycle.
//
// The poller owns the loop's thread and everything only the loop needs: the
// stop request, the last status seen, the failure timer, the loop's settings
// and the handler slots. It talks to the device only through its target (the
// driver), and every such call is made with the driver's exchange lock held
// and the stop request checked under it, so no command of a stopped loop can
// follow the inhibit that the stop sends under the same lock. The poller keeps
// no device value and writes no field of the driver's; the target does that
// under the lock.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "recursive_lock.h"

namespace notarel {

class TDriver;
class TNotifyThread;

// Handler slots of the polling thread, set by the driver's owner. They are
// called on the polling thread without the exchange lock held.
// A bill in escrow: its value, and the answer (0 = return it, anything else = stack it).
using TBillHandler = std::function<void(std::int32_t summ, std::int16_t& accept)>;
// A failure or a rejection: code, extended code, description.
using TCodeHandler =
    std::function<void(std::int32_t code, std::int32_t extCode, const std::string& text)>;
using TStackedHandler = std::function<void(TDriver& driver)>;
// The owner's way for one of its threads to pass time while the driver waits
// there for a polling loop to end: it returns within about `ms` milliseconds,
// or earlier, and may meanwhile do work that a handler of that loop waits for
// (on Windows: serve the messages sent to the thread's windows).
using TLoopWait = std::function<void(std::uint32_t ms)>;

// The loop's reports; an unset slot is skipped.
struct TPollEvents {
  TBillHandler onBill;
  TCodeHandler onError;
  TCodeHandler onReject;
  TStackedHandler onStacked;
};

// The commands the loop sends.
enum class TLoopCommand { kInhibit, kEnable, kReturn, kStack, kAck, kReset };

// What the loop asks of the device, through the driver. The calls marked
// "locked" are made with the exchange lock held and no stop requested.
class TPollTarget {
 public:
  // One status request as one consistent picture of its outcome.
  struct TStatusRead {
    bool ok = false;
    std::uint8_t status = 0;
    std::int32_t resultCode = 0;
    std::string resultText;
  };
  // The extended code and text of a rejection or failure report.
  struct TCodeReport {
    std::int32_t extCode = 0;
    std::string text;
  };

  // Locked: the status request.
  virtual TStatusRead PollStatus() = 0;
  // Locked: one command of the loop; false when it failed.
  virtual bool PollCommand(TLoopCommand command) = 0;
  // Locked: the value of the bill in escrow in the selected table.
  virtual std::int32_t PollBillValue() = 0;
  // The rejection or failure last decoded, for the report of that status.
  virtual TCodeReport PollReport(std::uint8_t status) = 0;
  // Under the lock, as part of the stop: tells the device to inhibit.
  virtual void PollStopInhibit() = 0;
  // An error that escaped a cycle.
  virtual void PollFailed(const std::exception& error) = 0;
  // The driver that the Stacked report names.
  virtual TDriver& PollSender() = 0;

 protected:
  ~TPollTarget() = default;
};

class TPoller {
 public:
  TPoller(TPollTarget& target, RecursiveLock& exchangeLock);
  // The owner has stopped the loop and waited for its end (AwaitEnd) by now.
  ~TPoller();
  TPoller(const TPoller&) = delete;
  TPoller& operator=(const TPoller&) = delete;

  // Starts the loop unless one runs, waiting first for a loop that is still
  // finishing. False, with nothing started, once destruction has begun;
  // raises std::system_error when no thread can be made.
  bool Start();
  // Ends the loop without waiting: the stop request and the target's inhibit
  // as one step under the exchange lock, then the loop's thread is let go.
  void Stop();
  bool Started() const;
  // Before the owner's destruction: no loop may start or go on from now on.
  void BeginDestruction();
  // Waits until a loop that was let go has ended.
  void AwaitEnd();

  std::uint32_t Interval() const { return interval_.load(); }
  void SetInterval(std::uint32_t ms) { interval_.store(ms); }
  std::uint32_t ErrorTimeout() const { return errorTimeout_.load(); }
  void SetErrorTimeout(std::uint32_t ms) { errorTimeout_.store(ms); }
  bool BillEnabled() const { return billEnabled_.load(); }
  void SetBillEnabled(bool value) { billEnabled_.store(value); }
  std::uint8_t LastStatus() const { return lastStatus_.load(); }

  // Sets one handler slot, e.g. SetHandler(&TPollEvents::onBill, handler).
  template <class Handler>
  void SetHandler(Handler TPollEvents::*slot, Handler handler) {
    std::lock_guard<std::mutex> hold(handlerLock_);
    events_.*slot = std::move(handler);
  }
  // The wait that Start and AwaitEnd use while a loop that was told to stop is
  // still finishing (its handler may be running). Without one they block; with
  // one they call it repeatedly, with no lock held, and look again after each call.
  void SetLoopWait(TLoopWait wait);

  // One cycle of the loop: status request, failure timer, reaction.
  void Step();

 private:
  void Loop(TNotifyThread& thread);
  // Runs one call to the target under the exchange lock, unless a stop has
  // been asked: then nothing is sent and the result is false.
  template <class Body>
  bool LoopCommand(Body body);
  bool Send(TLoopCommand command);
  void RequestStop();
  void ReleaseLoop();
  // Runs the failure timer; reports once a run of failures outlasts ErrorTimeout.
  void TrackReadFailure(std::int32_t code, const std::string& text);
  void ReactToStatus(std::uint8_t status);
  void Report(std::uint8_t status);
  void OfferBill();
  void PauseBetweenCycles(const TNotifyThread& thread);
  // Waits until the loop that Stop let go has ended. Returns true when it was
  // revived instead (Start from a handler on that loop's thread).
  bool WaitForFinishingLoop(std::unique_lock<std::mutex>& lock, bool mayRevive);
  // One round of that wait: until the loop signals, or one call of the owner's wait.
  void AwaitLoopSignal(std::unique_lock<std::mutex>& lock);
  template <class Handler, class... Args>
  void CallHandler(Handler TPollEvents::*slot, Args&&... args);

  TPollTarget& target_;
  RecursiveLock& exchangeLock_;

  // Only the client thread starts and stops loops; threadLock_ guards the two
  // thread slots, handlerLock_ the handler slots and the wait.
  mutable std::mutex threadLock_;
  std::unique_ptr<TNotifyThread> loopThread_;
  std::unique_ptr<TNotifyThread> finishingThread_;
  std::condition_variable loopEnded_;
  // The loop that should go on running; every other loop ends after its cycle.
  std::atomic<const TNotifyThread*> activeLoop_{nullptr};
  // Set under the exchange lock together with the stop's inhibit; the loop
  // checks it under the same lock before each command, so none of its commands
  // can follow that inhibit. Cleared only when a loop is started or revived.
  std::atomic<bool> stopRequested_{false};
  std::atomic<bool> destroying_{false};  // set under threadLock_ as destruction begins
  std::mutex pauseLock_;
  std::condition_variable pauseWake_;
  std::atomic<std::uint32_t> errorSince_{0};
  std::atomic<std::uint8_t> lastStatus_{0};
  std::atomic<std::uint32_t> errorTimeout_{10000};
  std::atomic<bool> billEnabled_{false};
  std::atomic<std::uint32_t> interval_{100};
  mutable std::mutex handlerLock_;
  TPollEvents events_;
  TLoopWait loopWait_;
};

}  // namespace notarel
