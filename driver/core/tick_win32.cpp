// Millisecond tick counter on Windows: the system's 32-bit GetTickCount, which
// wraps after about 49.7 days; callers compare ticks by unsigned difference.
#include "serial_backend.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace notarel {

std::uint32_t TickCount() { return GetTickCount(); }

}  // namespace notarel
