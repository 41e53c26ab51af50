#pragma once
// The IWBAEvents sink of TNotarel2: an IDispatch that the control calls on
// its polling thread and that forwards each event to a handler slot.
#include <windows.h>

#include <condition_variable>
#include <mutex>

#include "notarel2.h"

class TEventSink : public IDispatch {
 public:
  TEventSink() = default;
  virtual ~TEventSink() = default;

  void SetOnError(TNotarel2::TErrorHandler handler);
  void SetOnBill(TNotarel2::TBillHandler handler);
  void SetOnReject(TNotarel2::TRejectHandler handler);
  void SetOnStacked(TNotarel2::TStackedHandler handler);

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo,
                                   UINT* argErr) override;

 private:
  // Runs `call` with a copy of `slot` taken under the lock, counting the call
  // as in progress until it returns.
  template <class F, class C>
  void Fire(const F& slot, const C& call);
  // Replaces a slot once no call is in progress.
  template <class F>
  void Assign(F& slot, F handler);

  LONG FRefs = 1;
  std::mutex FLock;
  std::condition_variable FIdle;
  int FCalls = 0;
  TNotarel2::TErrorHandler FOnError;
  TNotarel2::TBillHandler FOnBill;
  TNotarel2::TRejectHandler FOnReject;
  TNotarel2::TStackedHandler FOnStacked;
};
