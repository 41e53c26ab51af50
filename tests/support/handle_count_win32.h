#pragma once
// The number of kernel handles the test process holds: what a host process of
// the driver would see grow if a driver left one behind.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace notarel::test {

// GetProcessHandleCount where it counts (Wine answers a fixed number);
// otherwise the handle values that name an object, probed one by one.
DWORD HandleCount();
// Whether HandleCount comes from GetProcessHandleCount.
bool ReportedHandleCountCounts();

}  // namespace notarel::test
