// Background polling: the loop that runs the bill cycle and reports through
// the handler slots.
#include "poller.h"

#include <chrono>

#include "notify_thread.h"
#include "serial_backend.h"
#include "status_tables.h"

namespace notarel {
namespace {

// Longest single call of the owner's wait while a loop finishes: the end of
// the loop is noticed at most this late.
constexpr std::uint32_t kLoopWaitSliceMs = 10;

constexpr std::int32_t kRejectEventCode = kStatusRejecting;
constexpr std::int32_t kFailureEventCode = kStatusFailure;

}  // namespace

TPoller::TPoller(TPollTarget& target, RecursiveLock& exchangeLock)
    : target_(target), exchangeLock_(exchangeLock) {}

TPoller::~TPoller() = default;

template <class Handler, class... Args>
void TPoller::CallHandler(Handler TPollEvents::*slot, Args&&... args) {
  Handler handler;
  {
    std::lock_guard<std::mutex> hold(handlerLock_);
    handler = events_.*slot;
  }
  if (handler) handler(std::forward<Args>(args)...);
}

void TPoller::SetLoopWait(TLoopWait wait) {
  std::lock_guard<std::mutex> hold(handlerLock_);
  loopWait_ = std::move(wait);
}

bool TPoller::Started() const {
  std::lock_guard<std::mutex> hold(threadLock_);
  return loopThread_ != nullptr;
}

void TPoller::BeginDestruction() {
  std::lock_guard<std::mutex> hold(threadLock_);
  destroying_.store(true);
}

void TPoller::AwaitEnd() {
  std::unique_lock<std::mutex> lock(threadLock_);
  WaitForFinishingLoop(lock, false);
}

bool TPoller::WaitForFinishingLoop(std::unique_lock<std::mutex>& lock, bool mayRevive) {
  while (finishingThread_) {
    if (finishingThread_->IsCurrent()) {
      // Not for ourselves, and not while the driver is being destroyed.
      if (!mayRevive || destroying_.load()) return false;
      // Start from a handler of the loop that was told to stop: that loop
      // simply goes on, so there is never a second one.
      loopThread_ = std::move(finishingThread_);
      activeLoop_.store(loopThread_.get());
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
    if (loopThread_) return true;  // revived by its own handler, or started meanwhile
  }
  return false;
}

void TPoller::AwaitLoopSignal(std::unique_lock<std::mutex>& lock) {
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
  // (even Start) finds the lock free; the caller looks at the slots again.
  lock.unlock();
  wait(kLoopWaitSliceMs);
  lock.lock();
}

bool TPoller::Start() {
  std::unique_lock<std::mutex> lock(threadLock_);
  // A handler may call this while its driver is being destroyed: no loop
  // may start or go on then, or the destruction would wait for it for ever.
  if (destroying_.load()) return false;
  if (!loopThread_ && !WaitForFinishingLoop(lock, true) && !loopThread_) {
    stopRequested_.store(false);
    loopThread_ = std::make_unique<TNotifyThread>([this](TNotifyThread& t) { Loop(t); });
    activeLoop_.store(loopThread_.get());
  }
  return true;
}

void TPoller::Stop() {
  RequestStop();
  ReleaseLoop();
  { std::lock_guard<std::mutex> wake(pauseLock_); }
  pauseWake_.notify_all();
}

// One step under the exchange lock: the loop checks the flag under the same
// lock before each of its commands, so once this returns no command of a
// stopped loop can reach the device, and the inhibit sent here is the last
// word. With no loop running the inhibit is sent all the same: a client that
// drives the device with single commands calls this to make it safe.
void TPoller::RequestStop() {
  std::lock_guard<std::recursive_mutex> hold(exchangeLock_);
  stopRequested_.store(true);
  activeLoop_.store(nullptr);
  target_.PollStopInhibit();
}

void TPoller::ReleaseLoop() {
  std::unique_lock<std::mutex> lock(threadLock_);
  std::unique_ptr<TNotifyThread> stopping = std::move(loopThread_);
  if (!stopping) return;
  // A loop let go earlier has ended by now, or is this thread's own.
  WaitForFinishingLoop(lock, false);
  if (!finishingThread_) finishingThread_ = std::move(stopping);
}

void TPoller::Loop(TNotifyThread& thread) {
  // Start holds this lock until it has made this loop the active one.
  { std::lock_guard<std::mutex> started(threadLock_); }
  errorSince_.store(0);
  lastStatus_.store(0);
  while (activeLoop_.load() == &thread) {
    try {
      Step();
    } catch (const std::exception& error) {
      target_.PollFailed(error);  // nothing may escape the thread
    } catch (...) {
    }
    PauseBetweenCycles(thread);
  }
  std::lock_guard<std::mutex> hold(threadLock_);
  thread.MarkEnded();
  loopEnded_.notify_all();
}

void TPoller::PauseBetweenCycles(const TNotifyThread& thread) {
  std::unique_lock<std::mutex> lock(pauseLock_);
  pauseWake_.wait_for(lock, std::chrono::milliseconds(Interval()),
                      [&] { return activeLoop_.load() != &thread; });
}

template <class Body>
bool TPoller::LoopCommand(Body body) {
  std::lock_guard<std::recursive_mutex> hold(exchangeLock_);
  if (stopRequested_.load()) return false;
  return body();
}

bool TPoller::Send(TLoopCommand command) {
  return LoopCommand([&] { return target_.PollCommand(command); });
}

void TPoller::Step() {
  TPollTarget::TStatusRead shot;
  const bool asked = LoopCommand([&] {
    shot = target_.PollStatus();
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
  lastStatus_.store(shot.status);
}

void TPoller::TrackReadFailure(std::int32_t code, const std::string& text) {
  const std::uint32_t now = TickCount();
  const std::uint32_t since = errorSince_.load();
  if (since == 0) {
    errorSince_.store(now);
  } else if (now - since > ErrorTimeout()) {
    errorSince_.store(0);
    CallHandler(&TPollEvents::onError, code, code, text);
  }
}

// The commands go through LoopCommand: after a stop the loop sends nothing
// more, while the reports of what the device has already done still go out.
void TPoller::ReactToStatus(std::uint8_t status) {
  const bool changed = status != lastStatus_.load();
  switch (status) {
    case kStatusEnable:
      if (!BillEnabled()) Send(TLoopCommand::kInhibit);
      break;
    case kStatusInhibit:
      if (BillEnabled()) Send(TLoopCommand::kEnable);
      break;
    case kStatusEscrow:
      if (BillEnabled()) OfferBill();
      else Send(TLoopCommand::kReturn);
      break;
    case kStatusVendValid:
      Send(TLoopCommand::kAck);
      break;
    case kStatusPowerUp:
    case kStatusPowerUpBillInAcceptor:
    case kStatusPowerUpBillInStacker:
      Send(TLoopCommand::kReset);
      break;
    case kStatusStacked:
    case kStatusRejecting:
    case kStatusFailure:
      if (changed) Report(status);
      break;
    default:
      break;
  }
}

void TPoller::Report(std::uint8_t status) {
  if (status == kStatusStacked) {
    CallHandler(&TPollEvents::onStacked, target_.PollSender());
    return;
  }
  const TPollTarget::TCodeReport report = target_.PollReport(status);
  if (status == kStatusRejecting) {
    CallHandler(&TPollEvents::onReject, kRejectEventCode, report.extCode, report.text);
  } else {
    CallHandler(&TPollEvents::onError, kFailureEventCode, report.extCode, report.text);
  }
}

// A stop that comes while the handler decides leaves the bill in escrow: the
// stopped loop sends neither Stack1 nor Return, and the next loop offers the
// bill again.
void TPoller::OfferBill() {
  std::int32_t summ = 0;
  const bool offered = LoopCommand([&] {
    summ = target_.PollBillValue();
    return true;
  });
  if (!offered) return;
  std::int16_t accept = 0;
  CallHandler(&TPollEvents::onBill, summ, accept);
  Send(accept != 0 ? TLoopCommand::kStack : TLoopCommand::kReturn);
}

}  // namespace notarel
