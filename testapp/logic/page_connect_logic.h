#pragma once
// The connection test: open the port, request the status, close the port,
// over and over, counting passes and failures. Window-free: the page is the
// host that shows the counters, yields to the window messages, reports the
// result and says when to stop.
#include <cstdint>

#include "notarel2.h"
#include "page_connect_stats.h"

class TConnectHost {
 public:
  virtual ~TConnectHost() = default;
  // The tick count in ms (GetTickCount on the page).
  virtual std::uint32_t Tick() = 0;
  // The counters after a pass in which time has elapsed.
  virtual void Show(const TConnectCounters& counters) = 0;
  // Handles pending window messages.
  virtual void ProcessMessages() = 0;
  // The main window's result area for the pass's last call.
  virtual void EndCommand() = 0;
  // The stop-on-error check box.
  virtual bool StopOnError() = 0;
  // The stop request, tested at the end of every pass.
  virtual bool Stopped() = 0;
};

class TConnectLogic {
 public:
  explicit TConnectLogic(TNotarel2& driver) : FDriver(driver) {}

  // Runs the test loop until the host asks to stop, or until a failed pass
  // while stop-on-error is set. Returns the last counters. An error raised at
  // the interface level ends the loop and passes through.
  TConnectCounters Run(TConnectHost& host);

  // One pass: OpenPort, then ReadStatus only if the port opened. True when both succeed.
  bool Pass();

 private:
  TNotarel2& FDriver;
};
