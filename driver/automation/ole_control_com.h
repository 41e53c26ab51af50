// A small owning COM pointer for the control plumbing: one reference held,
// released on reset and destruction.
#pragma once

#include <unknwn.h>

template <class T>
class TComPtr {
public:
  TComPtr() = default;
  // Takes a new reference to `p`.
  explicit TComPtr(T* p) : FPtr(p) { if (FPtr) FPtr->AddRef(); }
  TComPtr(const TComPtr& other) : TComPtr(other.FPtr) {}
  TComPtr& operator=(const TComPtr& other) {
    Reset(other.FPtr);
    return *this;
  }
  ~TComPtr() { Reset(); }

  // Holds a new reference to `p` (or nothing) instead of the current one.
  void Reset(T* p = nullptr) {
    if (p) p->AddRef();
    T* old = FPtr;
    FPtr = p;
    if (old) old->Release();
  }
  // Releases the current reference and gives the slot to a function that
  // returns an interface with a reference added.
  T** Put() {
    Reset();
    return &FPtr;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }
  // Hands the reference to the caller's out-parameter.
  void CopyTo(T** out) const {
    *out = FPtr;
    if (FPtr) FPtr->AddRef();
  }

  T* Get() const { return FPtr; }
  T* operator->() const { return FPtr; }
  explicit operator bool() const { return FPtr != nullptr; }

private:
  T* FPtr = nullptr;
};
