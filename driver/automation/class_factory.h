#pragma once
// The class objects of the control classes. Each is a static object that
// lives as long as the module; IClassFactory::LockServer counts as a module lock.
#include <windows.h>
#include <unknwn.h>

#include "module.h"

namespace notarel {

class TControlClassFactory : public IClassFactory {
 public:
  explicit TControlClassFactory(const TControlClass& controlClass) : class_(controlClass) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  // The object is static: references do not decide its life.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

 private:
  const TControlClass& class_;
};

// The class object of one entry of kControlClasses.
TControlClassFactory* GetControlClassFactory(const TControlClass& controlClass);

// The class object of the property page; static like the others.
class TPageClassFactory : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;
};

TPageClassFactory* GetPageClassFactory();

}  // namespace notarel
