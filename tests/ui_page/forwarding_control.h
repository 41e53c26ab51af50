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
  FORWARD(get_ResultCode, (LONG* a0), (a0))
  FORWARD(get_ResultDescription, (BSTR* a0), (a0))
  FORWARD(ReadStatus, (VARIANT_BOOL* a0), (a0))
  FORWARD(get_PortNumber, (LONG* a0), (a0))
  FORWARD(put_PortNumber, (LONG a0), (a0))
  FORWARD(OpenPort, (VARIANT_BOOL* a0), (a0))
  FORWARD(ClosePort, (VARIANT_BOOL* a0), (a0))
  FORWARD(get_PortOpened, (VARIANT_BOOL* a0), (a0))
  FORWARD(get_Input, (BSTR* a0), (a0))
  FORWARD(get_Output, (BSTR* a0), (a0))
  FORWARD(get_StatusCode, (LONG* a0), (a0))
  FORWARD(get_StatusDescription, (BSTR* a0), (a0))
  FORWARD(get_Denomination, (LONG* a0), (a0))
  FORWARD(get_RejectionCode, (LONG* a0), (a0))
  FORWARD(get_RejectionDescription, (BSTR* a0), (a0))
  FORWARD(get_FailureCode, (LONG* a0), (a0))
  FORWARD(get_FailureDescription, (BSTR* a0), (a0))
  FORWARD(Reset, (VARIANT_BOOL* a0), (a0))
  FORWARD(Stack1, (VARIANT_BOOL* a0), (a0))
  FORWARD(Stack2, (VARIANT_BOOL* a0), (a0))
  FORWARD(Return, (VARIANT_BOOL* a0), (a0))
  FORWARD(Hold, (VARIANT_BOOL* a0), (a0))
  FORWARD(Wait, (VARIANT_BOOL* a0), (a0))
  FORWARD(WriteEnabledDenominations, (VARIANT_BOOL* a0), (a0))
  FORWARD(get_Denomination1, (VARIANT_BOOL* a0), (a0))
  FORWARD(put_Denomination1, (VARIANT_BOOL a0), (a0))
  FORWARD(get_Denomination2, (VARIANT_BOOL* a0), (a0))
  FORWARD(put_Denomination2, (VARIANT_BOOL a0), (a0))
  FORWARD(get_Denomination3, (VARIANT_BOOL* a0), (a0))
  FORWARD(put_Denomination3, (VARIANT_BOOL a0), (a0))
  FORWARD(get_Denomination4, (VARIANT_BOOL* a0), (a0))
  FORWARD(put_Denomination4, (VARIANT_BOOL a0), (a0))
  FORWARD(get_Denomination5, (VARIANT_BOOL* a0), (a0))
  FORWARD(put_Denomination5, (VARIANT_BOOL a0), (a0))
  FORWARD(get_Denomination6, (VARIANT_BOOL* a0), (a0))
  FORWARD(put_Denomination6, (VARIANT_BOOL a0), (a0))
  FORWARD(get_Denomination7, (VARIANT_BOOL* a0), (a0))
  FORWARD(put_Denomination7, (VARIANT_BOOL a0), (a0))
  FORWARD(get_Denomination8, (VARIANT_BOOL* a0), (a0))
  FORWARD(put_Denomination8, (VARIANT_BOOL a0), (a0))
  FORWARD(WriteValidatedDenominations, (VARIANT_BOOL* a0), (a0))
  FORWARD(WriteInhibitStatus, (VARIANT_BOOL* a0), (a0))
  FORWARD(get_InhibitStatus, (VARIANT_BOOL* a0), (a0))
  FORWARD(put_InhibitStatus, (VARIANT_BOOL a0), (a0))
  FORWARD(get_DirectionValue, (LONG* a0), (a0))
  FORWARD(put_DirectionValue, (LONG a0), (a0))
  FORWARD(WriteDirection, (VARIANT_BOOL* a0), (a0))
  FORWARD(get_OptionalSettings, (LONG* a0), (a0))
  FORWARD(put_OptionalSettings, (LONG a0), (a0))
  FORWARD(WriteOptionalSettings, (VARIANT_BOOL* a0), (a0))
  FORWARD(ReadEnabledDenominations, (VARIANT_BOOL* a0), (a0))
  FORWARD(ReadValidatedDenominations, (VARIANT_BOOL* a0), (a0))
  FORWARD(ReadInhibitStatus, (VARIANT_BOOL* a0), (a0))
  FORWARD(ReadDirection, (VARIANT_BOOL* a0), (a0))
  FORWARD(ReadOptionalSettings, (VARIANT_BOOL* a0), (a0))
  FORWARD(ReadModelID, (VARIANT_BOOL* a0), (a0))
  FORWARD(get_ModelID, (BSTR* a0), (a0))
  FORWARD(ReadBootVersion, (VARIANT_BOOL* a0), (a0))
  FORWARD(get_BootVersion, (BSTR* a0), (a0))
  FORWARD(get_FileVersion, (BSTR* a0), (a0))
  FORWARD(Ack, (VARIANT_BOOL* a0), (a0))
  FORWARD(get_BaudRate, (LONG* a0), (a0))
  FORWARD(put_BaudRate, (LONG a0), (a0))
  FORWARD(StartPolling, (VARIANT_BOOL* a0), (a0))
  FORWARD(StopPolling, (VARIANT_BOOL* a0), (a0))
  FORWARD(get_PollingInterval, (LONG* a0), (a0))
  FORWARD(put_PollingInterval, (LONG a0), (a0))
  FORWARD(get_ErrorTimeout, (LONG* a0), (a0))
  FORWARD(put_ErrorTimeout, (LONG a0), (a0))
  FORWARD(get_PollingStarted, (VARIANT_BOOL* a0), (a0))
  FORWARD(get_BillEnabled, (VARIANT_BOOL* a0), (a0))
  FORWARD(put_BillEnabled, (VARIANT_BOOL a0), (a0))
  FORWARD(ShowProperties, (LONG* a0), (a0))
  FORWARD(get_ParentWnd, (LONG* a0), (a0))
  FORWARD(put_ParentWnd, (LONG a0), (a0))
  FORWARD(ShowFindDlg, (LONG* a0), (a0))
  FORWARD(AboutBox, (), ())
  FORWARD(SetDefaults, (LONG* a0), (a0))
  FORWARD(get_ExecTime, (LONG* a0), (a0))
  FORWARD(CountryByCode, (VARIANT_BOOL* a0), (a0))
  FORWARD(CountryByCurrencyName, (VARIANT_BOOL* a0), (a0))
  FORWARD(CountryByIndex, (VARIANT_BOOL* a0), (a0))
  FORWARD(GetBillSumm, (VARIANT_BOOL* a0), (a0))
  FORWARD(GetCountryParams, (VARIANT_BOOL* a0), (a0))
  FORWARD(LoadParams, (VARIANT_BOOL* a0), (a0))
  FORWARD(SaveParams, (VARIANT_BOOL* a0), (a0))
  FORWARD(get_BillCode, (LONG* a0), (a0))
  FORWARD(put_BillCode, (LONG a0), (a0))
  FORWARD(get_BillSumm, (LONG* a0), (a0))
  FORWARD(put_BillSumm, (LONG a0), (a0))
  FORWARD(get_CountryCode, (LONG* a0), (a0))
  FORWARD(put_CountryCode, (LONG a0), (a0))
  FORWARD(get_CountryCount, (LONG* a0), (a0))
  FORWARD(get_CountryIndex, (LONG* a0), (a0))
  FORWARD(put_CountryIndex, (LONG a0), (a0))
  FORWARD(get_CountryName, (BSTR* a0), (a0))
  FORWARD(get_CurrencyIndex, (LONG* a0), (a0))
  FORWARD(put_CurrencyIndex, (LONG a0), (a0))
  FORWARD(get_CurrencyName, (BSTR* a0), (a0))
  FORWARD(put_CurrencyName, (BSTR a0), (a0))
  FORWARD(get_CurrentCountryCode, (LONG* a0), (a0))
  FORWARD(get_FileName, (BSTR* a0), (a0))
  FORWARD(put_FileName, (BSTR a0), (a0))
  FORWARD(get_DeviceCountryCode, (BSTR* a0), (a0))
  FORWARD(FindDevice, (VARIANT_BOOL* a0), (a0))
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
