#pragma once
// The driver's exchange lock: a std::recursive_mutex whose native lock is
// destroyed with it. libstdc++ gives a statically initialised recursive mutex
// a destructor that does nothing, which costs nothing with glibc; with the
// Windows thread runtime (winpthreads) such a mutex gets a kernel event the
// first time two threads meet on it, and that event then outlives the mutex.
// Every driver whose lock was ever contended (a client's command during a
// poll, say) would leave one handle behind in the host process.
#include <mutex>

#include <pthread.h>

namespace notarel {

class RecursiveLock : public std::recursive_mutex {
 public:
  RecursiveLock() = default;
  RecursiveLock(const RecursiveLock&) = delete;
  RecursiveLock& operator=(const RecursiveLock&) = delete;
  // The lock is free by now: nothing of the driver outlives its destructor.
  ~RecursiveLock() { pthread_mutex_destroy(native_handle()); }
};

}  // namespace notarel
