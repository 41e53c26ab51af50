#pragma once
// What the connection test shows after a pass: counters and elapsed time as
// the six label texts. Window-free, so the arithmetic can be tested alone.
#include <cstdint>
#include <string>

struct TConnectCounters {
  std::int64_t Passes = 0;
  std::int64_t Failures = 0;
  std::uint32_t Elapsed = 0;  // ms since the start, as an unsigned tick difference
};

struct TConnectView {
  std::wstring RepCount;     // passes
  std::wstring ErrCount;     // failed passes
  std::wstring TxSpeed;      // passes per second, whole part
  std::wstring ErrRate;      // failed passes in per cent, two decimals
  std::wstring TimeLeft;     // elapsed seconds, whole part
  std::wstring CommandTime;  // ms per pass, whole part
};

// The label texts for counters with Elapsed > 0 and Passes > 0. The products
// are taken in 64 bits, so the speed stays right past 2,147,483 passes.
// `decimalSeparator` replaces the point of the failure rate.
TConnectView FormatConnectView(const TConnectCounters& counters, wchar_t decimalSeparator);

