#pragma once
// A control that stands between the page and a real control: every member of
// IWBA003_4 goes through to the real one, except the members named as
// failing, which return kInjectedError with an error-info record, as a
// control's member does when an error escapes it. It counts its references,
// so that a test sees whether the page released every one, and the calls of
// each member, so that a test sees how often the page wrote and saved.
#include <windows.h>
#include <oleauto.h>

#include <atomic>
#include <map>
#include <mutex>
#include <set>
#include <string>

#include "Notarel_h.h"
#include "member_signatures.h"

namespace notarel::test {

constexpr HRESULT kInjectedError = E_ACCESSDENIED;

class ForwardingControl : public IWBA003_4 {
 public:
  // Holds a reference to `inner`.
  explicit ForwardingControl(IWBA003_4* inner) : FInner(inner) { FInner->AddRef(); }
  ForwardingControl(const ForwardingControl&) = delete;
  ForwardingControl& operator=(const ForwardingControl&) = delete;
  virtual ~ForwardingControl() { FInner->Release(); }

  void Fail(const std::string& member) { FFailing.insert(member); }
  // How often the member was called, failing calls included.
  int Calls(const std::string& member) {
    std::lock_guard<std::mutex> lock(FCallsLock);
    return FCalls[member];
  }
  // References held by others than the creator's first one.
  long ExtraReferences() const { return FRefs.load() - 1; }
  // The description the failing members post.
  static std::wstring FailureText(const std::string& member) {
    return L"Отказ члена " + std::wstring(member.begin(), member.end());
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IWBA003 || iid == IID_IWBA003_2 ||
        iid == IID_IWBA003_3 || iid == IID_IWBA003_4) {
      *out = static_cast<IWBA003_4*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++FRefs); }
  ULONG STDMETHODCALLTYPE Release() override {
    const long count = --FRefs;
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    return FInner->GetTypeInfoCount(count);
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override {
    return FInner->GetTypeInfo(index, lcid, info);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid,
                                          DISPID* ids) override {
    return FInner->GetIDsOfNames(iid, names, count, lcid, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* excep, UINT* argErr) override {
    return FInner->Invoke(id, iid, lcid, flags, params, result, excep, argErr);
  }

#define FORWARD(name, decl, args)                          \
  HRESULT STDMETHODCALLTYPE name decl override {           \
    Count(#name);                                          \
    if (FFailing.count(#name)) return Injected(#name);     \
    return FInner->name args;                              \
  }
#define FORWARD_METHOD_(iface, name, dispid, type, ...) \
  FORWARD(name, (NOTAREL_METHOD_PARAMS(type)), (NOTAREL_METHOD_ARGS(type)))
#define FORWARD_GETTER_(iface, name, dispid, type, ...) \
  FORWARD(get_##name, (NOTAREL_COM_TYPE(type) * Value), (Value))
#define FORWARD_PROPERTY_(iface, name, dispid, type, ...) \
  FORWARD_GETTER_(iface, name, dispid, type, )          \
  FORWARD(put_##name, (NOTAREL_COM_TYPE(type) value), (value))
  // Every member of the member table.
  NOTAREL_AUTOMATION_MEMBERS(FORWARD_METHOD_, FORWARD_GETTER_, FORWARD_PROPERTY_)
#undef FORWARD_METHOD_
#undef FORWARD_GETTER_
#undef FORWARD_PROPERTY_
#undef FORWARD

 private:
  void Count(const char* member) {
    std::lock_guard<std::mutex> lock(FCallsLock);
    ++FCalls[member];
  }
  static HRESULT Injected(const std::string& member) {
    ICreateErrorInfo* create = nullptr;
    if (SUCCEEDED(CreateErrorInfo(&create))) {
      const std::wstring text = FailureText(member);
      create->SetDescription(const_cast<LPOLESTR>(text.c_str()));
      IErrorInfo* info = nullptr;
      if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
        SetErrorInfo(0, info);
        info->Release();
      }
      create->Release();
    }
    return kInjectedError;
  }

  IWBA003_4* FInner;
  std::atomic<long> FRefs{1};
  std::set<std::string> FFailing;
  std::mutex FCallsLock;
  std::map<std::string, int> FCalls;
};

}  // namespace notarel::test
