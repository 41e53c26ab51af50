#include "page_poll_logic.h"

#include "page_poll_text.h"

void TPollLines::Add(const std::wstring& line) {
  {
    std::lock_guard<std::mutex> guard(FLock);
    FLines.push_back(line);
  }
  if (FNotify) FNotify();
}

std::vector<std::wstring> TPollLines::Take() {
  std::lock_guard<std::mutex> guard(FLock);
  std::vector<std::wstring> lines(FLines.begin(), FLines.end());
  FLines.clear();
  return lines;
}

TPollLogic::TPollLogic(TNotarel2& driver, std::function<void()> notify)
    : FDriver(driver), FLines(std::move(notify)) {}

TPollLogic::~TPollLogic() {
  try {
    DisconnectEvents();
  } catch (...) {
    // Clearing the slots only touches the wrapper; nothing to report at the end.
  }
}

bool TPollLogic::Start(const std::wstring& errorTimeoutText, const std::wstring& pollingIntervalText) {
  FDriver.SetLong(kDispErrorTimeout, ParsePageInteger(errorTimeoutText));
  FDriver.SetLong(kDispPollingInterval, ParsePageInteger(pollingIntervalText));
  ConnectEvents();
  return FDriver.Call(&IWBA003_4::StartPolling, L"StartPolling");
}

bool TPollLogic::Stop() {
  const bool stopped = FDriver.Call(&IWBA003_4::StopPolling, L"StopPolling");
  DisconnectEvents();
  return stopped;
}

void TPollLogic::SetBillEnabled(bool enabled) { FDriver.SetBool(kDispBillEnabled, enabled); }

bool TPollLogic::PollingStarted() { return FDriver.GetBool(kDispPollingStarted); }

void TPollLogic::ConnectEvents() {
  FDriver.SetOnBill([this](long summ, VARIANT_BOOL* accept) { DriverBill(summ, accept); });
  FDriver.SetOnError([this](long code, long ext, const std::wstring& text) { DriverError(code, ext, text); });
  FDriver.SetOnReject([this](long code, long ext, const std::wstring& text) { DriverReject(code, ext, text); });
  FDriver.SetOnStacked([this] { DriverStacked(); });
}

// Clearing a slot waits for a call of it in progress, so no handler runs on
// this object once this returns.
void TPollLogic::DisconnectEvents() {
  FDriver.SetOnBill(nullptr);
  FDriver.SetOnError(nullptr);
  FDriver.SetOnReject(nullptr);
  FDriver.SetOnStacked(nullptr);
}

void TPollLogic::DriverError(long code, long extCode, const std::wstring& text) {
  FLines.Add(ErrorLine(code, extCode, text));
}

void TPollLogic::DriverReject(long code, long extCode, const std::wstring& text) {
  FLines.Add(RejectLine(code, extCode, text));
}

// The currency word agreeing with the value comes from the control; should
// that call fail, the line carries the error's text instead, and the answer
// is given all the same.
void TPollLogic::DriverBill(long summ, VARIANT_BOOL* accept) {
  try {
    FDriver.SetLong(kDispCurrencyIndex, 13);
    FDriver.Call(&IWBA003_4::GetCountryParams, L"GetCountryParams");
    FLines.Add(BillLine(summ, FDriver.GetString(kDispCurrencyName)));
  } catch (const TOleError& error) {
    FLines.Add(BillLine(summ, error.Message()));
  }
  *accept = FAcceptBills.load() ? VARIANT_TRUE : VARIANT_FALSE;
}

void TPollLogic::DriverStacked() { FLines.Add(StackedLine()); }
