#include "page_connect_logic.h"

bool TConnectLogic::Pass() {
  if (!FDriver.Call(&IWBA003_4::OpenPort, L"OpenPort")) return false;
  return FDriver.Call(&IWBA003_4::ReadStatus, L"ReadStatus");
}

TConnectCounters TConnectLogic::Run(TConnectHost& host) {
  TConnectCounters counters;
  const std::uint32_t start = host.Tick();
  do {
    ++counters.Passes;
    const bool passed = Pass();
    if (!passed) ++counters.Failures;
    counters.Elapsed = host.Tick() - start;
    // While the tick count has not moved, nothing is shown, nothing yields
    // and the port stays open for the next pass.
    if (counters.Elapsed == 0) continue;
    host.Show(counters);
    host.ProcessMessages();
    host.EndCommand();
    if (!passed && host.StopOnError()) break;
    FDriver.Call(&IWBA003_4::ClosePort, L"ClosePort");
  } while (!host.Stopped());
  return counters;
}
