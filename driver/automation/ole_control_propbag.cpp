// TOleControlBase: IPersistPropertyBag. The control's read/write properties
// are saved under their member names, each read and written through the
// control's own IDispatch, so every rule of the property applies on load.
#include "ole_control_base.h"

#include "ole_control_state.h"

namespace {

class TVariant {
public:
  TVariant() { VariantInit(&FValue); }
  ~TVariant() { VariantClear(&FValue); }
  TVariant(const TVariant&) = delete;
  TVariant& operator=(const TVariant&) = delete;
  VARIANT* Get() { return &FValue; }

private:
  VARIANT FValue;
};

HRESULT DispidOf(IDispatch* automation, const wchar_t* name, DISPID* id) {
  auto* names = const_cast<LPOLESTR>(name);  // GetIDsOfNames does not write the names
  return automation->GetIDsOfNames(IID_NULL, &names, 1, LOCALE_USER_DEFAULT, id);
}

HRESULT GetProperty(IDispatch* automation, DISPID id, VARIANT* value) {
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  return automation->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, value, nullptr,
                            nullptr);
}

HRESULT PutProperty(IDispatch* automation, DISPID id, VARIANT* value) {
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{value, &named, 1, 1};
  return automation->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr,
                            nullptr, nullptr);
}

}  // namespace

HRESULT TOleControlBase::SavePropertyBag(IPropertyBag* bag) {
  for (size_t i = 0; i < notarel::kPropertyBagNameCount; ++i) {
    const wchar_t* name = notarel::kPropertyBagNames[i];
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = DispidOf(FAutomation, name, &id);
    TVariant value;
    if (SUCCEEDED(hr)) hr = GetProperty(FAutomation, id, value.Get());
    if (SUCCEEDED(hr)) hr = bag->Write(name, value.Get());
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

// A name missing from the bag keeps the property as it is; a value the
// property refuses fails the load.
HRESULT TOleControlBase::LoadPropertyBag(IPropertyBag* bag, IErrorLog* log) {
  for (size_t i = 0; i < notarel::kPropertyBagNameCount; ++i) {
    const wchar_t* name = notarel::kPropertyBagNames[i];
    TVariant value;
    if (FAILED(bag->Read(name, value.Get(), log))) continue;
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = DispidOf(FAutomation, name, &id);
    if (SUCCEEDED(hr)) hr = PutProperty(FAutomation, id, value.Get());
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::Load(IPropertyBag* bag, IErrorLog* log) {
  if (!bag) return E_POINTER;
  const HRESULT hr = LoadPropertyBag(bag, log);
  if (SUCCEEDED(hr)) FState->Dirty = false;
  return hr;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::Save(IPropertyBag* bag, BOOL clearDirty, BOOL) {
  if (!bag) return E_POINTER;
  const HRESULT hr = SavePropertyBag(bag);
  if (SUCCEEDED(hr) && clearDirty) FState->Dirty = false;
  return hr;
}
