#pragma once
// A COM enumerator (IEnumXxx) over a snapshot of items taken when it is
// made. Each enumerator counts as a live object of the module, so that the
// module is not unloaded under a client that still holds one. Traits says
// how an item is held while in the snapshot and how it is handed out to the
// caller of Next:
//   static void Hold(Item&);                      // a reference kept by the snapshot
//   static void Drop(Item&);                      // released with the snapshot
//   static bool CopyOut(const Item&, Item& out);  // what the caller owns; false: out of memory
#include <windows.h>

#include <new>
#include <utility>
#include <vector>

#include "module.h"

namespace notarel {

template <class Interface, class Item, const IID* Iid, class Traits>
class TComEnum : public Interface {
 public:
  explicit TComEnum(std::vector<Item> items, std::size_t position = 0)
      : FItems(std::move(items)), FPosition(position) {
    for (Item& item : FItems) Traits::Hold(item);
    ModuleAddObject();
  }

  // A new enumerator with a reference for the caller, or E_OUTOFMEMORY.
  static HRESULT Create(std::vector<Item> items, Interface** out) {
    if (!out) return E_POINTER;
    *out = new (std::nothrow) TComEnum(std::move(items));
    return *out ? S_OK : E_OUTOFMEMORY;
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, *Iid)) {
      *out = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&FRefs)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&FRefs);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }
  HRESULT STDMETHODCALLTYPE Next(ULONG count, Item* out, ULONG* fetched) override {
    if (!out) return E_POINTER;
    if (count != 1 && !fetched) return E_INVALIDARG;
    ULONG done = 0;
    while (done < count && FPosition < FItems.size()) {
      if (!Traits::CopyOut(FItems[FPosition], out[done])) break;
      ++done;
      ++FPosition;
    }
    if (fetched) *fetched = done;
    return done == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    const std::size_t left = FItems.size() - FPosition;
    FPosition += count < left ? count : left;
    return count <= left ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    FPosition = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(Interface** out) override {
    if (!out) return E_POINTER;
    *out = new (std::nothrow) TComEnum(FItems, FPosition);
    return *out ? S_OK : E_OUTOFMEMORY;
  }

 private:
  virtual ~TComEnum() {
    for (Item& item : FItems) Traits::Drop(item);
    ModuleReleaseObject();
  }

  LONG FRefs = 1;
  std::vector<Item> FItems;
  std::size_t FPosition;
};

}  // namespace notarel
