#pragma once
// TComPtr: one counted reference to a COM interface, released when it goes.
#include <unknwn.h>

#include <utility>

namespace notarel {

template <class T>
class TComPtr {
 public:
  TComPtr() = default;
  // Takes over a reference the caller already holds.
  static TComPtr Attach(T* raw) {
    TComPtr p;
    p.ptr_ = raw;
    return p;
  }
  // Adds a reference of its own.
  static TComPtr Share(T* raw) {
    if (raw) raw->AddRef();
    return Attach(raw);
  }
  TComPtr(const TComPtr& other) : ptr_(other.ptr_) {
    if (ptr_) ptr_->AddRef();
  }
  TComPtr(TComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
  TComPtr& operator=(TComPtr other) noexcept {
    std::swap(ptr_, other.ptr_);
    return *this;
  }
  ~TComPtr() { Reset(); }

  void Reset() {
    if (ptr_) std::exchange(ptr_, nullptr)->Release();
  }
  T* Get() const { return ptr_; }
  T* operator->() const { return ptr_; }
  explicit operator bool() const { return ptr_ != nullptr; }
  // For out-parameters: releases the old reference and hands out the slot.
  T** Out() {
    Reset();
    return &ptr_;
  }
  void** OutVoid() { return reinterpret_cast<void**>(Out()); }
  T* Detach() { return std::exchange(ptr_, nullptr); }

 private:
  T* ptr_ = nullptr;
};

}  // namespace notarel
