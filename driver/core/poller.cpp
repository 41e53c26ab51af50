// Background polling: the loop that runs the bill cycle and reports through
// the handler slots.
#include <chrono>

#include "driver.h"
#include "notify_thread.h"
#include "result_codes.h"
#include "status_tables.h"

namespace notarel {
namespace {

// The reply of a status request as one consistent picture, taken under the
// driver's lock so that a client command in between cannot mix two exchanges.
struct PollSnapshot {
  bool ok = false;
  std::uint8_t status = 0;
  std::int32_t resultCode = 0;
  std::string resultText;
};

// Longest single call of the owner's wait while a loop finishes: the end of
// the loop is noticed at most this late.
constexpr std::uint32_t kLoopWaitSliceMs = 10;

constexpr std::int32_t kRejectEventCode = kStatusRejecting;
constexpr std::int32_t kFailureEventCode = kStatusFailure;
constexpr std::uint8_t kAllDenominations = 0xFF;
// Tries of StopPolling's inhibit when the device's answer cannot be read.
constexpr int kStopInhibitAttempts = 3;

}  // namespace

template <class Handler, class... Args>
void TDriver::CallHandler(const Handler& slot, Args&&... args) {
  Handler handler;
  {
    std::lock_guard<std::mutex> hold(handlerLock_);
    handler = slot;
  }
  if (handler) handler(std::forward<Args>(args)...);
}

void TDriver::SetOnBill(TBillHandler handler) {
  std::lock_guard<std::mutex> hold(handlerLock_);
  onBill_ = std::move(handler);
}

void TDriver::SetOnError(TCodeHandler handler) {
  std::lock_guard<std::mutex> hold(handlerLock_);
  onError_ = std::move(handler);
}

void TDriver::SetOnReject(TCodeHandler handler) {
  std::lock_guard<std::mutex> hold(handlerLock_);
  onReject_ = std::move(handler);
}

void TDriver::SetOnStacked(TStackedHandler handler) {
  std::lock_guard<std::mutex> hold(handlerLock_);
  onStacked_ = std::move(handler);
}

void TDriver::SetLoopWait(TLoopWait wait) {
  std::lock_guard<std::mutex> hold(handlerLock_);
  loopWait_ = std::move(wait);
}

void TDriver::SetPollingInterval(std::uint32_t ms) { pollingInterval_.store(ms); }

bool TDriver::PollingStarted() const {
  std::lock_guard<std::mutex> hold(pollingLock_);
  return pollThread_ != nullptr;
}

bool TDriver::WaitForFinishingLoop(std::unique_lock<std::mutex>& lock, bool mayRevive) {
  while (finishingThread_) {
    if (finishingThread_->IsCurrent()) {
      // Not for ourselves, and not while the driver is being destroyed.
      if (!mayRevive || destroying_.load()) return false;
      // StartPolling from a handler of the loop that was told to stop: that
      // loop simply goes on, so there is never a second one.
      pollThread_ = std::move(finishingThread_);
      activeLoop_.store(pollThread_.get());
      stopRequested_.store(false);
      loopEnded_.notify_all();
      return true;
    }
    if (finishingThread_->Ended()) {
      std::unique_ptr<TNotifyThread> ended = std::move(finishingThread_);
      lock.unlock();
      ended.reset();  // joins a thread that is past its last act
      lock.lock();
      continue;
    }
    AwaitLoopSignal(lock);
    if (pollThread_) return true;  // revived by its own handler, or started meanwhile
  }
  return false;
}

void TDriver::AwaitLoopSignal(std::unique_lock<std::mutex>& lock) {
  TLoopWait wait;
  {
    std::lock_guard<std::mutex> hold(handlerLock_);
    wait = loopWait_;
  }
  if (!wait) {
    loopEnded_.wait(lock);
    return;
  }
  // The finishing loop's handler may be waiting for this very thread, which
  // the owner's wait lets it have. Whatever that work calls here meanwhile
  // (even StartPolling) finds the lock free; the caller looks at the slots again.
  lock.unlock();
  wait(kLoopWaitSliceMs);
  lock.lock();
}

bool TDriver::StartPolling() {
  try {
    std::unique_lock<std::mutex> lock(pollingLock_);
    // A handler may call this while its driver is being destroyed: no loop
    // may start or go on then, or the destruction would wait for it for ever.
    if (destroying_.load()) return false;
    if (!pollThread_ && !WaitForFinishingLoop(lock, true) && !pollThread_) {
      stopRequested_.store(false);
      pollThread_ = std::make_unique<TNotifyThread>([this](TNotifyThread& t) { PollLoop(t); });
      activeLoop_.store(pollThread_.get());
    }
    lock.unlock();
    return ClearResult();
  } catch (const std::exception& error) {
    return HandleException(error);
  }
}

bool TDriver::StopPolling() {
  try {
    StopAndInhibit();
    ReleaseLoop();
    { std::lock_guard<std::mutex> wake(pauseLock_); }
    pauseWake_.notify_all();
    return ClearResult();  // the inhibit's outcome does not change the result
  } catch (const std::exception& error) {
    return HandleException(error);
  }
}

// One step under DriverLock: the loop checks the flag under the same lock
// before each of its commands, so once this returns no command of a stopped
// loop can reach the device, and the inhibit sent here is the last word. With
// no loop running the inhibit is sent all the same: a client that drives the
// device with single commands calls this to make it safe.
void TDriver::StopAndInhibit() {
  std::lock_guard<std::recursive_mutex> hold(DriverLock);
  stopRequested_.store(true);
  activeLoop_.store(nullptr);
  SetInhibitStatus(true);
  // A device that answered but could not be understood is asked again; a
  // silent one or a port that does not open is not kept waiting for.
  for (int attempt = 0; attempt < kStopInhibitAttempts; ++attempt) {
    if (SendInhibit(true)) break;
    const std::int32_t code = ResultCode();
    if (code == kResultNoLink || code == kResultPortOpenError || !PortOpened()) break;
  }
  SetInhibitStatus(true);
}

void TDriver::ReleaseLoop() {
  std::unique_lock<std::mutex> lock(pollingLock_);
  std::unique_ptr<TNotifyThread> stopping = std::move(pollThread_);
  if (!stopping) return;
  // A loop let go earlier has ended by now, or is this thread's own.
  WaitForFinishingLoop(lock, false);
  if (!finishingThread_) finishingThread_ = std::move(stopping);
}

void TDriver::PollLoop(TNotifyThread& thread) {
  // StartPolling holds this lock until it has made this loop the active one.
  { std::lock_guard<std::mutex> started(pollingLock_); }
  errorSince_.store(0);
  lastPollStatus_.store(0);
  while (activeLoop_.load() == &thread) {
    try {
      PollStep();
    } catch (const std::exception& error) {
      HandleException(error);  // nothing may escape the thread
    } catch (...) {
    }
    PauseBetweenCycles(thread);
  }
  std::lock_guard<std::mutex> hold(pollingLock_);
  thread.MarkEnded();
  loopEnded_.notify_all();
}

void TDriver::PauseBetweenCycles(const TNotifyThread& thread) {
  std::unique_lock<std::mutex> lock(pauseLock_);
  pauseWake_.wait_for(lock, std::chrono::milliseconds(PollingInterval()),
                      [&] { return activeLoop_.load() != &thread; });
}

template <class Body>
bool TDriver::LoopCommand(Body body) {
  std::lock_guard<std::recursive_mutex> hold(DriverLock);
  if (stopRequested_.load()) return false;
  return body();
}

void TDriver::PollStep() {
  PollSnapshot shot;
  const bool asked = LoopCommand([&] {
    shot.ok = ReadStatus();
    shot.status = StatusCode();
    shot.resultCode = ResultCode();
    shot.resultText = ResultDescription();
    return true;
  });
  if (!asked) return;  // stopped: nothing was sent
  if (!shot.ok) {
    // A reply that could not be read is not a status: acting on it could
    // offer a bill twice or reset a device that has moved on, and taking it
    // as seen would make the complete reply that follows look unchanged and
    // hide its event. A failed cycle only runs the failure timer.
    TrackReadFailure(shot.resultCode, shot.resultText);
    return;
  }
  errorSince_.store(0);
  ReactToStatus(shot.status);
  lastPollStatus_.store(shot.status);
}

void TDriver::TrackReadFailure(std::int32_t code, const std::string& text) {
  const std::uint32_t now = TickCount();
  const std::uint32_t since = errorSince_.load();
  if (since == 0) {
    errorSince_.store(now);
  } else if (now - since > ErrorTimeout()) {
    errorSince_.store(0);
    CallHandler(onError_, code, code, text);
  }
}

// The commands go through LoopCommand: after a stop the loop sends nothing
// more, while the reports of what the device has already done still go out.
void TDriver::ReactToStatus(std::uint8_t status) {
  const bool changed = status != lastPollStatus_.load();
  switch (status) {
    case kStatusEnable:
      if (!BillEnabled()) LoopCommand([&] { return InhibitAcceptance(); });
      break;
    case kStatusInhibit:
      if (BillEnabled()) LoopCommand([&] { return EnableAcceptance(); });
      break;
    case kStatusEscrow:
      if (BillEnabled()) OfferBill();
      else LoopCommand([&] { return Return(); });
      break;
    case kStatusVendValid:
      LoopCommand([&] { return Ack(); });
      break;
    case kStatusStacked:
      if (changed) CallHandler(onStacked_, *this);
      break;
    case kStatusRejecting:
      if (changed) CallHandler(onReject_, kRejectEventCode, std::int32_t{RejectionCode()},
                               notarel::TDriver::RejectionDescription());
      break;
    case kStatusPowerUp:
    case kStatusPowerUpBillInAcceptor:
    case kStatusPowerUpBillInStacker:
      LoopCommand([&] { return Reset(); });
      break;
    case kStatusFailure:
      if (changed) CallHandler(onError_, kFailureEventCode, std::int32_t{FailureCode()},
                               notarel::TDriver::FailureDescription());
      break;
    default:
      break;
  }
}

bool TDriver::InhibitAcceptance() {
  SetInhibitStatus(true);
  return SendInhibit(true);
}

bool TDriver::EnableAcceptance() {
  for (int i = 1; i <= 8; ++i) SetDenomination(i, true);
  if (!SendEnabledMask(kAllDenominations)) return false;
  SetInhibitStatus(false);
  return SendInhibit(false);
}

// A stop that comes while the handler decides leaves the bill in escrow: the
// stopped loop sends neither Stack1 nor Return, and the next loop offers the
// bill again.
void TDriver::OfferBill() {
  std::int32_t summ = 0;
  const bool offered = LoopCommand([&] {
    GetBillSumm();
    summ = BillSumm();
    return true;
  });
  if (!offered) return;
  std::int16_t accept = 0;
  CallHandler(onBill_, summ, accept);
  LoopCommand([&] { return accept != 0 ? Stack1() : Return(); });
}

}  // namespace notarel
