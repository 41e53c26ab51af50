#include "class_factory.h"

#include <new>

#include "notarel_control.h"
#include "property_page.h"

namespace notarel {

HRESULT STDMETHODCALLTYPE TControlClassFactory::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
    *out = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE TControlClassFactory::CreateInstance(IUnknown* outer, REFIID iid,
                                                               void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  TNotarel* control = new (std::nothrow) TNotarel(class_);
  if (!control) return E_OUTOFMEMORY;
  // The new object starts with one reference; QueryInterface adds the
  // client's, and the Release drops ours (destroying it if the IID is unknown).
  const HRESULT hr = control->Initialize();
  HRESULT result = SUCCEEDED(hr) ? control->QueryInterface(iid, out) : hr;
  control->Release();
  return result;
}

HRESULT STDMETHODCALLTYPE TControlClassFactory::LockServer(BOOL lock) {
  ModuleLock(lock != FALSE);
  return S_OK;
}

TControlClassFactory* GetControlClassFactory(const TControlClass& controlClass) {
  static TControlClassFactory factories[] = {TControlClassFactory(kControlClasses[0]),
                                             TControlClassFactory(kControlClasses[1])};
  static_assert(sizeof(factories) / sizeof(factories[0]) == 2, "one class object per control class");
  return &factories[&controlClass - kControlClasses];
}

HRESULT STDMETHODCALLTYPE TPageClassFactory::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
    *out = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE TPageClassFactory::CreateInstance(IUnknown* outer, REFIID iid,
                                                            void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  return CreatePropertyPage(iid, out);
}

HRESULT STDMETHODCALLTYPE TPageClassFactory::LockServer(BOOL lock) {
  ModuleLock(lock != FALSE);
  return S_OK;
}

TPageClassFactory* GetPageClassFactory() {
  static TPageClassFactory factory;
  return &factory;
}

}  // namespace notarel
