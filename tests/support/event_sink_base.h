#pragma once
// The part of an IWBAEvents sink that every test sink shares: the interfaces
// it answers to, and no type information (the control calls Invoke by DISPID).
// A sink that lives as long as its test owns no reference count.
#include <windows.h>
#include <oaidl.h>

#include "Notarel_h.h"

namespace notarel::test {

class EventSinkBase : public IDispatch {
 public:
  virtual ~EventSinkBase() = default;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    const bool known = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
                       IsEqualIID(iid, DIID_IWBAEvents);
    *out = known ? static_cast<IDispatch*>(this) : nullptr;
    return known ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
};

}  // namespace notarel::test
