// The automation layer's own cost: calls per second of a property read and
// of ReadStatus against the emulator, through the vtable and through
// IDispatch::Invoke, next to the same status exchange through the core.
// Run under Wine by scripts/bench.sh; prints figures only.
#include <windows.h>
#include <ocidl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "Notarel_h.h"
#include "driver.h"

namespace {

using Clock = std::chrono::steady_clock;

void Report(const char* what, int count, const std::function<bool()>& call) {
  call();  // warm up
  int failures = 0;
  const auto begin = Clock::now();
  for (int i = 0; i < count; ++i) {
    if (!call()) ++failures;
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
  std::printf("%-40s %9.0f calls/s  %8.4f ms/call  (%d calls, %d failed)\n", what, count / seconds,
              seconds * 1000.0 / count, count, failures);
}

IWBA003_4* CreateFromBesideUs() {
  HMODULE server = LoadLibraryW(L"Notarel.dll");
  if (!server) return nullptr;
  using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  const auto get = reinterpret_cast<GetClassObject>(
      reinterpret_cast<void*>(GetProcAddress(server, "DllGetClassObject")));
  IClassFactory* factory = nullptr;
  if (!get || FAILED(get(CLSID_Notarel2, IID_IClassFactory, reinterpret_cast<void**>(&factory))))
    return nullptr;
  IWBA003_4* control = nullptr;
  factory->CreateInstance(nullptr, IID_IWBA003_4, reinterpret_cast<void**>(&control));
  factory->Release();
  return control;
}

bool InvokeNoArgs(IDispatch* dispatch, DISPID id, WORD flags) {
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  VARIANT result;
  VariantInit(&result);
  const HRESULT hr = dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &none, &result,
                                      nullptr, nullptr);
  VariantClear(&result);
  return SUCCEEDED(hr);
}

}  // namespace

int main(int argc, char** argv) {
  const int propertyCount = argc > 1 ? std::atoi(argv[1]) : 200000;
  const int statusCount = argc > 2 ? std::atoi(argv[2]) : 5000;
  const char* com = std::getenv("NOTAREL_EMU_COM");
  if (!com) {
    std::printf("NOTAREL_EMU_COM is not set: run this under the emulator's Wine set-up\n");
    return 1;
  }
  CoInitialize(nullptr);
  // The core alone before and after the control, so that a drift of the
  // machine or the emulator shows as a difference between the two.
  const auto core = [&](const char* what) {
    notarel::TDriver driver;
    driver.SetPortNumber(std::atoi(com));
    Report(what, statusCount, [&] { return driver.ReadStatus(); });
  };
  core("ReadStatus, core directly (before)");
  IWBA003_4* control = CreateFromBesideUs();
  if (!control) {
    std::printf("cannot create the control from the Notarel.dll beside this program\n");
    return 1;
  }
  control->put_PortNumber(std::atoi(com));
  DISPID resultCode = 0, readStatus = 0;
  LPOLESTR names[] = {const_cast<LPOLESTR>(L"ResultCode"), const_cast<LPOLESTR>(L"ReadStatus")};
  control->GetIDsOfNames(IID_NULL, &names[0], 1, LOCALE_USER_DEFAULT, &resultCode);
  control->GetIDsOfNames(IID_NULL, &names[1], 1, LOCALE_USER_DEFAULT, &readStatus);

  Report("ResultCode read, vtable", propertyCount, [&] {
    LONG value = 0;
    return SUCCEEDED(control->get_ResultCode(&value));
  });
  Report("ResultCode read, IDispatch::Invoke", propertyCount,
         [&] { return InvokeNoArgs(control, resultCode, DISPATCH_PROPERTYGET); });
  Report("ReadStatus, vtable", statusCount, [&] {
    VARIANT_BOOL ok = VARIANT_FALSE;
    return SUCCEEDED(control->ReadStatus(&ok)) && ok == VARIANT_TRUE;
  });
  Report("ReadStatus, IDispatch::Invoke", statusCount,
         [&] { return InvokeNoArgs(control, readStatus, DISPATCH_METHOD); });
  control->Release();

  core("ReadStatus, core directly (after)");
  CoUninitialize();
  return 0;
}
