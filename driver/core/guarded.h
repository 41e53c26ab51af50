#pragma once
// A value that one thread writes while another reads it without the driver's
// lock: texts and byte strings of the driver that the polling thread updates
// and the client reads at any time. Each access copies under a private mutex,
// held only for the copy, never across I/O.
#include <mutex>
#include <utility>

namespace notarel {

template <class T>
class Guarded {
 public:
  Guarded() = default;
  explicit Guarded(T value) : value_(std::move(value)) {}
  Guarded(const Guarded&) = delete;
  Guarded& operator=(const Guarded&) = delete;

  T Get() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return value_;
  }
  void Set(T value) {
    std::lock_guard<std::mutex> hold(mutex_);
    value_ = std::move(value);
  }

 private:
  mutable std::mutex mutex_;
  T value_{};
};

}  // namespace notarel
