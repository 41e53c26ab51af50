#include "handle_count_win32.h"

namespace notarel::test {
namespace {

DWORD ReportedHandleCount() {
  DWORD count = 0;
  GetProcessHandleCount(GetCurrentProcess(), &count);
  return count;
}

// Wine hands out the lowest free multiple of four, so the low values cover
// every handle a test process holds.
DWORD ProbedHandleCount() {
  DWORD count = 0;
  for (ULONG_PTR value = 4; value < (1u << 14); value += 4) {
    DWORD flags = 0;
    if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
  }
  return count;
}

}  // namespace

bool ReportedHandleCountCounts() {
  static const bool counts = [] {
    const DWORD before = ReportedHandleCount();
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    const DWORD during = ReportedHandleCount();
    CloseHandle(event);
    return during == before + 1;
  }();
  return counts;
}

DWORD HandleCount() { return ReportedHandleCountCounts() ? ReportedHandleCount() : ProbedHandleCount(); }

}  // namespace notarel::test
