#include "test_control.h"

#include <gtest/gtest.h>

namespace {

// {6F1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D}: the test control's own class.
const CLSID kTestClsid = {0x6F1B2C3D, 0x4E5F, 0x4A6B, {0x8C, 0x7D, 0x9E, 0x0F, 0x1A, 0x2B, 0x3C, 0x4D}};

// OLE for the whole test program, on the thread that runs the tests.
class TOleEnvironment : public ::testing::Environment {
public:
  void SetUp() override { ASSERT_EQ(S_OK, OleInitialize(nullptr)); }
  void TearDown() override { OleUninitialize(); }
};
[[maybe_unused]] ::testing::Environment* const kOleEnvironment = ::testing::AddGlobalTestEnvironment(new TOleEnvironment);

VARTYPE TypeOf(const std::wstring& name) {
  if (name.rfind(L"Denomination", 0) == 0 || name == L"InhibitStatus" || name == L"BillEnabled") return VT_BOOL;
  if (name == L"CurrencyName" || name == L"FileName") return VT_BSTR;
  return VT_I4;
}

}  // namespace

const std::vector<std::wstring> kBagNames = {
    L"PortNumber",    L"Denomination1",   L"Denomination2",  L"Denomination3",  L"Denomination4",
    L"Denomination5", L"Denomination6",   L"Denomination7",  L"Denomination8",  L"InhibitStatus",
    L"DirectionValue", L"OptionalSettings", L"BaudRate",     L"PollingInterval", L"ErrorTimeout",
    L"BillEnabled",   L"ParentWnd",       L"BillCode",       L"BillSumm",       L"CountryCode",
    L"CountryIndex",  L"CurrencyIndex",   L"CurrencyName",   L"FileName",
};

TTestVariant TTestVariant::I4(LONG value) {
  TTestVariant v;
  V_VT(&v.FValue) = VT_I4;
  V_I4(&v.FValue) = value;
  return v;
}

TTestVariant TTestVariant::Bool(bool value) {
  TTestVariant v;
  V_VT(&v.FValue) = VT_BOOL;
  V_BOOL(&v.FValue) = value ? VARIANT_TRUE : VARIANT_FALSE;
  return v;
}

TTestVariant TTestVariant::Text(const wchar_t* text) {
  TTestVariant v;
  V_VT(&v.FValue) = VT_BSTR;
  V_BSTR(&v.FValue) = SysAllocString(text);
  return v;
}

// --- TTestControl

TTestControl::TTestControl(HRESULT showResult)
    : FShowResult(showResult), FBase(this, this, kTestClsid, [this] {
        ++FShowCalls;
        return FShowResult;
      }) {
  for (const auto& name : kBagNames) {
    switch (TypeOf(name)) {
      case VT_BOOL: FProperties[name] = TTestVariant::Bool(false); break;
      case VT_BSTR: FProperties[name] = TTestVariant::Text(L""); break;
      default: FProperties[name] = TTestVariant::I4(0); break;
    }
  }
}

HRESULT STDMETHODCALLTYPE TTestControl::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IDispatch) {
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  return FBase.QueryControlInterface(iid, out);
}

ULONG STDMETHODCALLTYPE TTestControl::AddRef() { return static_cast<ULONG>(++FRefs); }

ULONG STDMETHODCALLTYPE TTestControl::Release() {
  const LONG left = --FRefs;
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE TTestControl::GetTypeInfoCount(UINT* count) {
  *count = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TTestControl::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  *info = nullptr;
  return DISP_E_BADINDEX;
}

// DISPIDs are 100 plus the position in kBagNames.
HRESULT STDMETHODCALLTYPE TTestControl::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (count != 1) return E_INVALIDARG;
  for (size_t i = 0; i < kBagNames.size(); ++i) {
    if (kBagNames[i] == names[0]) {
      ids[0] = static_cast<DISPID>(100 + i);
      return S_OK;
    }
  }
  ids[0] = DISPID_UNKNOWN;
  return DISP_E_UNKNOWNNAME;
}

HRESULT STDMETHODCALLTYPE TTestControl::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                               VARIANT* result, EXCEPINFO*, UINT*) {
  if (id < 100 || id >= static_cast<DISPID>(100 + kBagNames.size())) return DISP_E_MEMBERNOTFOUND;
  const std::wstring& name = kBagNames[static_cast<size_t>(id - 100)];
  if (flags == DISPATCH_PROPERTYGET) {
    if (!result || params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
    FCalls.push_back(L"get " + name);
    return VariantCopy(result, &FProperties[name].Get());
  }
  if (flags != DISPATCH_PROPERTYPUT) return DISP_E_MEMBERNOTFOUND;
  if (params->cArgs != 1 || params->cNamedArgs != 1 || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
    return DISP_E_PARAMNOTFOUND;
  }
  FCalls.push_back(L"put " + name);
  TTestVariant value;
  const HRESULT hr = VariantChangeType(&value.Get(), &params->rgvarg[0], 0, TypeOf(name));
  if (FAILED(hr)) return hr;
  FProperties[name] = value;
  return S_OK;
}

// --- TTestPropertyBag

HRESULT STDMETHODCALLTYPE TTestPropertyBag::QueryInterface(REFIID iid, void** out) {
  if (iid == IID_IUnknown || iid == IID_IPropertyBag) {
    *out = static_cast<IPropertyBag*>(this);
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE TTestPropertyBag::Read(LPCOLESTR name, VARIANT* value, IErrorLog*) {
  for (auto& entry : Values) {
    if (entry.first == name) return VariantCopy(value, &entry.second.Get());
  }
  return E_INVALIDARG;
}

HRESULT STDMETHODCALLTYPE TTestPropertyBag::Write(LPCOLESTR name, VARIANT* value) {
  Values.emplace_back(name, TTestVariant(*value));
  return S_OK;
}

// --- TTestSite

HRESULT STDMETHODCALLTYPE TTestSite::QueryInterface(REFIID iid, void** out) {
  if (iid == IID_IUnknown || iid == IID_IOleClientSite) *out = static_cast<IOleClientSite*>(this);
  else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite) *out = static_cast<IOleInPlaceSite*>(this);
  else {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TTestSite::SaveObject() {
  Calls.push_back("SaveObject");
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TTestSite::ShowObject() {
  Calls.push_back("ShowObject");
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TTestSite::GetWindow(HWND* window) {
  *window = FWindow;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TTestSite::OnInPlaceActivate() {
  Calls.push_back("OnInPlaceActivate");
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TTestSite::OnUIActivate() {
  Calls.push_back("OnUIActivate");
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TTestSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc,
                                                      LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
  *frame = nullptr;
  *doc = nullptr;
  *position = FPosition;
  GetClientRect(FWindow, clip);
  info->fMDIApp = FALSE;
  info->hwndFrame = FWindow;
  info->haccel = nullptr;
  info->cAccelEntries = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TTestSite::OnUIDeactivate(BOOL) {
  Calls.push_back("OnUIDeactivate");
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TTestSite::OnInPlaceDeactivate() {
  Calls.push_back("OnInPlaceDeactivate");
  return S_OK;
}
