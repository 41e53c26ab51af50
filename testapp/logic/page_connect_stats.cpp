#include "page_connect_stats.h"

#include <cwchar>

namespace {

std::wstring Decimal(std::int64_t value) { return std::to_wstring(value); }

std::wstring TwoDecimals(double value, wchar_t separator) {
  wchar_t buffer[64];
  std::swprintf(buffer, sizeof(buffer) / sizeof(buffer[0]), L"%.2f", value);
  std::wstring text(buffer);
  const std::size_t point = text.find(L'.');
  if (point != std::wstring::npos) text[point] = separator;
  return text;
}

}  // namespace

TConnectView FormatConnectView(const TConnectCounters& counters, wchar_t decimalSeparator) {
  const double elapsed = static_cast<double>(counters.Elapsed);
  const double passes = static_cast<double>(counters.Passes);
  TConnectView view;
  view.RepCount = Decimal(counters.Passes);
  view.ErrCount = Decimal(counters.Failures);
  view.TxSpeed = Decimal(static_cast<std::int64_t>(passes * 1000.0 / elapsed));
  view.ErrRate = TwoDecimals(static_cast<double>(counters.Failures) * 100.0 / passes, decimalSeparator);
  view.TimeLeft = Decimal(counters.Elapsed / 1000);
  view.CommandTime = Decimal(static_cast<std::int64_t>(elapsed / passes));
  return view;
}

