#pragma once
// Under AddressSanitizer the reader marks the part of its window that holds no
// valid data as unreadable, so that a scan running past the data is reported
// even though the bytes lie inside the window's own allocation.
#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
#define NOTAREL_WITH_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define NOTAREL_WITH_ASAN 1
#endif
#endif

#ifdef NOTAREL_WITH_ASAN
#include <sanitizer/asan_interface.h>
#endif

namespace notarel {

inline void PoisonWindowBytes(const char* start, std::size_t size) {
#ifdef NOTAREL_WITH_ASAN
  ASAN_POISON_MEMORY_REGION(start, size);
#else
  static_cast<void>(start);
  static_cast<void>(size);
#endif
}

inline void UnpoisonWindowBytes(const char* start, std::size_t size) {
#ifdef NOTAREL_WITH_ASAN
  ASAN_UNPOISON_MEMORY_REGION(start, size);
#else
  static_cast<void>(start);
  static_cast<void>(size);
#endif
}

}  // namespace notarel
