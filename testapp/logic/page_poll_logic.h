#pragma once
// What the polling page does with the control: starting and stopping the
// driver's polling, the bill session flag, and the four event handlers.
//
// The handlers run on the driver's polling thread. They never touch a window:
// the Bill answer comes from an atomic copy of the "accept bills" check box,
// and each line goes into a locked queue, after which `notify` (a PostMessage
// on the page) tells the window thread to take the lines. So the polling
// thread never waits for the window thread, and the Bill answer is given
// before the polling thread goes on.
#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "notarel2.h"

class TPollLines {
 public:
  explicit TPollLines(std::function<void()> notify) : FNotify(std::move(notify)) {}
  // Queues a line and notifies; any thread.
  void Add(const std::wstring& line);
  // The queued lines, oldest first, leaving the queue empty.
  std::vector<std::wstring> Take();

 private:
  std::mutex FLock;
  std::deque<std::wstring> FLines;
  std::function<void()> FNotify;
};

class TPollLogic {
 public:
  // `notify` is called on the thread that queued a line.
  TPollLogic(TNotarel2& driver, std::function<void()> notify);
  // Detaches the handlers.
  ~TPollLogic();
  TPollLogic(const TPollLogic&) = delete;
  TPollLogic& operator=(const TPollLogic&) = delete;

  // The state of the "accept bills" check box, read by the Bill handler.
  void SetAcceptBills(bool accept) { FAcceptBills.store(accept); }
  bool AcceptBills() const { return FAcceptBills.load(); }

  // ErrorTimeout and PollingInterval from the two texts (the time-out first;
  // TConvertError for a text that is not an integer, before anything else
  // happens to the control for the time-out, after ErrorTimeout for the
  // interval), ConnectEvents, StartPolling. Returns StartPolling's flag.
  bool Start(const std::wstring& errorTimeoutText, const std::wstring& pollingIntervalText);
  // StopPolling, then DisconnectEvents. Returns StopPolling's flag.
  bool Stop();
  // BillEnabled := enabled.
  void SetBillEnabled(bool enabled);
  bool PollingStarted();

  void ConnectEvents();
  void DisconnectEvents();

  // The lines the handlers wrote since the last call, oldest first.
  std::vector<std::wstring> TakeLines() { return FLines.Take(); }

  // The handlers, as the control calls them.
  void DriverError(long code, long extCode, const std::wstring& text);
  void DriverReject(long code, long extCode, const std::wstring& text);
  void DriverBill(long summ, VARIANT_BOOL* accept);
  void DriverStacked();

 private:
  TNotarel2& FDriver;
  TPollLines FLines;
  std::atomic<bool> FAcceptBills{true};
};
