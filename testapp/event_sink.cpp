// The IWBAEvents sink: events of the control's polling thread to handler slots.
#include "event_sink.h"

#include <oleauto.h>

namespace {

// Argument `index` in call order (DISPPARAMS holds them in reverse).
VARIANT* Arg(DISPPARAMS* params, UINT index) {
  if (!params || index >= params->cArgs) return nullptr;
  return &params->rgvarg[params->cArgs - 1 - index];
}

long LongArg(DISPPARAMS* params, UINT index) {
  VARIANT* arg = Arg(params, index);
  if (!arg) return 0;
  VARIANT value;
  VariantInit(&value);
  long result = 0;
  if (SUCCEEDED(VariantChangeType(&value, arg, 0, VT_I4))) result = value.lVal;
  VariantClear(&value);
  return result;
}

std::wstring StringArg(DISPPARAMS* params, UINT index) {
  VARIANT* arg = Arg(params, index);
  if (!arg) return {};
  VARIANT value;
  VariantInit(&value);
  std::wstring result;
  if (SUCCEEDED(VariantChangeType(&value, arg, 0, VT_BSTR)) && value.bstrVal)
    result.assign(value.bstrVal, SysStringLen(value.bstrVal));
  VariantClear(&value);
  return result;
}

}  // namespace

template <class F, class C>
void TEventSink::Fire(const F& slot, const C& call) {
  F handler;
  {
    std::lock_guard<std::mutex> lock(FLock);
    if (!slot) return;
    handler = slot;
    ++FCalls;
  }
  try {
    call(handler);
  } catch (...) {
    // An event handler's failure must not unwind into the control's thread.
  }
  std::lock_guard<std::mutex> lock(FLock);
  if (--FCalls == 0) FIdle.notify_all();
}

template <class F>
void TEventSink::Assign(F& slot, F handler) {
  std::unique_lock<std::mutex> lock(FLock);
  FIdle.wait(lock, [this] { return FCalls == 0; });
  slot = std::move(handler);
}

void TEventSink::SetOnError(TNotarel2::TErrorHandler handler) { Assign(FOnError, std::move(handler)); }
void TEventSink::SetOnBill(TNotarel2::TBillHandler handler) { Assign(FOnBill, std::move(handler)); }
void TEventSink::SetOnReject(TNotarel2::TRejectHandler handler) {
  Assign(FOnReject, std::move(handler));
}
void TEventSink::SetOnStacked(TNotarel2::TStackedHandler handler) {
  Assign(FOnStacked, std::move(handler));
}

HRESULT STDMETHODCALLTYPE TEventSink::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
      IsEqualIID(riid, DIID_IWBAEvents)) {
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE TEventSink::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&FRefs));
}

ULONG STDMETHODCALLTYPE TEventSink::Release() {
  LONG refs = InterlockedDecrement(&FRefs);
  if (refs == 0) delete this;
  return static_cast<ULONG>(refs);
}

HRESULT STDMETHODCALLTYPE TEventSink::GetTypeInfoCount(UINT* count) {
  if (count) *count = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TEventSink::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TEventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TEventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params,
                                             VARIANT*, EXCEPINFO*, UINT*) {
  switch (id) {
    case kDispEventError:
    case kDispEventReject: {
      long code = LongArg(params, 0);
      long extCode = LongArg(params, 1);
      std::wstring text = StringArg(params, 2);
      auto call = [&](const TNotarel2::TErrorHandler& handler) { handler(code, extCode, text); };
      if (id == kDispEventError)
        Fire(FOnError, call);
      else
        Fire(FOnReject, call);
      return S_OK;
    }
    case kDispEventBill: {
      long summ = LongArg(params, 0);
      VARIANT* accept = Arg(params, 1);
      VARIANT_BOOL local = VARIANT_FALSE;
      VARIANT_BOOL* answer =
          accept && accept->vt == (VT_BOOL | VT_BYREF) && accept->pboolVal ? accept->pboolVal : &local;
      Fire(FOnBill, [&](const TNotarel2::TBillHandler& handler) { handler(summ, answer); });
      return S_OK;
    }
    case kDispEventStacked:
      Fire(FOnStacked, [](const TNotarel2::TStackedHandler& handler) { handler(); });
      return S_OK;
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}
