// TNotarel2: the control Notarel2 created by its class identifier, its
// methods through the vtable, its properties through IDispatch, its events
// through an IWBAEvents sink.
#include "notarel2.h"

#include <oleauto.h>
#include <olectl.h>

#include "automation_classes.h"
#include "event_sink.h"

TNotarel2::TNotarel2() {
  HRESULT hr = CoCreateInstance(CLSID_Notarel2, nullptr, CLSCTX_INPROC_SERVER, IID_IWBA003_4,
                                reinterpret_cast<void**>(&FIntf));
  if (FAILED(hr) || !FIntf) {
    FIntf = nullptr;
    throw TOleError::FromResult(FAILED(hr) ? hr : E_NOINTERFACE, L"" NOTAREL2_PROGID);
  }
  hr = FIntf->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&FDispatch));
  if (FAILED(hr)) {
    FIntf->Release();
    throw TOleError::FromResult(hr, L"IDispatch");
  }
  FSink = new TEventSink();
  IConnectionPointContainer* container = nullptr;
  if (SUCCEEDED(FIntf->QueryInterface(IID_IConnectionPointContainer,
                                      reinterpret_cast<void**>(&container)))) {
    if (SUCCEEDED(container->FindConnectionPoint(DIID_IWBAEvents, &FPoint))) {
      if (FAILED(FPoint->Advise(static_cast<IDispatch*>(FSink), &FCookie))) {
        FPoint->Release();
        FPoint = nullptr;
      }
    }
    container->Release();
  }
}

TNotarel2::~TNotarel2() {
  if (FPoint) {
    FPoint->Unadvise(FCookie);
    FPoint->Release();
  }
  FDispatch->Release();
  FIntf->Release();
  FSink->Release();
}

void TNotarel2::Check(HRESULT hr, const wchar_t* name) {
  if (FAILED(hr)) throw TOleError::FromResult(hr, name);
}

VARIANT TNotarel2::Get(DISPID id) {
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  VARIANT result;
  VariantInit(&result);
  EXCEPINFO info{};
  HRESULT hr = FDispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                                 &result, &info, nullptr);
  if (FAILED(hr)) {
    std::wstring text = info.bstrDescription ? info.bstrDescription : L"";
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrHelpFile);
    if (!text.empty()) throw TOleError(hr, text);
    throw TOleError::FromResult(hr, L"IDispatch::Invoke");
  }
  return result;
}

void TNotarel2::Put(DISPID id, VARIANT& value) {
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{&value, &named, 1, 1};
  EXCEPINFO info{};
  HRESULT hr = FDispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params,
                                 nullptr, &info, nullptr);
  if (FAILED(hr)) {
    std::wstring text = info.bstrDescription ? info.bstrDescription : L"";
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrHelpFile);
    if (!text.empty()) throw TOleError(hr, text);
    throw TOleError::FromResult(hr, L"IDispatch::Invoke");
  }
}

namespace {

// Converts a property's value in place; throws when it cannot be converted.
void Convert(VARIANT& value, VARTYPE type) {
  HRESULT hr = VariantChangeType(&value, &value, 0, type);
  if (FAILED(hr)) {
    VariantClear(&value);
    throw TOleError::FromResult(hr, L"VariantChangeType");
  }
}

}  // namespace

long TNotarel2::GetLong(DISPID id) {
  VARIANT value = Get(id);
  Convert(value, VT_I4);
  return value.lVal;
}

void TNotarel2::SetLong(DISPID id, long value) {
  VARIANT arg;
  VariantInit(&arg);
  arg.vt = VT_I4;
  arg.lVal = value;
  Put(id, arg);
}

bool TNotarel2::GetBool(DISPID id) {
  VARIANT value = Get(id);
  Convert(value, VT_BOOL);
  return value.boolVal != VARIANT_FALSE;
}

void TNotarel2::SetBool(DISPID id, bool value) {
  VARIANT arg;
  VariantInit(&arg);
  arg.vt = VT_BOOL;
  arg.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  Put(id, arg);
}

std::wstring TNotarel2::GetString(DISPID id) {
  VARIANT value = Get(id);
  Convert(value, VT_BSTR);
  std::wstring text = value.bstrVal ? std::wstring(value.bstrVal, SysStringLen(value.bstrVal))
                                    : std::wstring();
  VariantClear(&value);
  return text;
}

void TNotarel2::SetString(DISPID id, const std::wstring& value) {
  VARIANT arg;
  VariantInit(&arg);
  arg.vt = VT_BSTR;
  arg.bstrVal = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
  try {
    Put(id, arg);
  } catch (...) {
    VariantClear(&arg);
    throw;
  }
  VariantClear(&arg);
}

void TNotarel2::SetOnError(TErrorHandler handler) { FSink->SetOnError(std::move(handler)); }
void TNotarel2::SetOnBill(TBillHandler handler) { FSink->SetOnBill(std::move(handler)); }
void TNotarel2::SetOnReject(TRejectHandler handler) { FSink->SetOnReject(std::move(handler)); }
void TNotarel2::SetOnStacked(TStackedHandler handler) { FSink->SetOnStacked(std::move(handler)); }
