#include "automation_test.h"

namespace notarel::test {
namespace {

// The tests call the control from this thread, a single-threaded apartment,
// as the control's clients do.
class ApartmentEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)); }
  void TearDown() override { CoUninitialize(); }
};

const auto* const kApartment = ::testing::AddGlobalTestEnvironment(new ApartmentEnvironment);

}  // namespace

std::wstring TestDir() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir(path, length);
  return dir.substr(0, dir.find_last_of(L'\\') + 1);
}

std::wstring ServerPath() { return TestDir() + L"Notarel.dll"; }

HMODULE ServerModule() {
  static const HMODULE module = LoadLibraryW(ServerPath().c_str());
  return module;
}

TComPtr<IWBA003_4> CreateControl(REFCLSID clsid) {
  TComPtr<IWBA003_4> control;
  const HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IWBA003_4,
                                      control.OutVoid());
  EXPECT_EQ(hr, S_OK) << "CoCreateInstance";
  return control;
}

DISPID DispIdOf(IDispatch* dispatch, const wchar_t* name) {
  DISPID dispid = DISPID_UNKNOWN;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &dispid);
  return dispid;
}

HRESULT InvokeGet(IDispatch* dispatch, DISPID dispid, VARIANT* result, WORD flags) {
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  VariantInit(result);
  return dispatch->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, flags, &none, result, nullptr,
                          nullptr);
}

HRESULT InvokePut(IDispatch* dispatch, DISPID dispid, VARIANT value) {
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{&value, &named, 1, 1};
  return dispatch->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params,
                          nullptr, nullptr, nullptr);
}

std::wstring TakeBstr(BSTR text) {
  std::wstring result(text ? text : L"", SysStringLen(text));
  SysFreeString(text);
  return result;
}

}  // namespace notarel::test
