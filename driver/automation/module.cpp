// Module entry points DllGetClassObject and DllCanUnloadNow, and the
// module's table of control classes. The counts behind DllCanUnloadNow are
// in module_objects.cpp.
#include "module.h"

#include "Notarel_h.h"
#include "automation_classes.h"
#include "ax_window.h"
#include "class_factory.h"
#include "ole_control_base.h"

namespace notarel {
namespace {

HMODULE gModule = nullptr;

}  // namespace

const TControlClass kControlClasses[] = {
    {&CLSID_Notarel, L"" NOTAREL_PROGID, L"" NOTAREL_CLASS_HELP},
    {&CLSID_Notarel2, L"" NOTAREL2_PROGID, L"" NOTAREL2_CLASS_HELP},
};
const std::size_t kControlClassCount = sizeof(kControlClasses) / sizeof(kControlClasses[0]);

const TControlClass* FindControlClass(REFCLSID clsid) {
  for (const TControlClass& entry : kControlClasses) {
    if (IsEqualCLSID(clsid, *entry.clsid)) return &entry;
  }
  return nullptr;
}

HMODULE ModuleHandle() { return gModule; }

std::wstring ModuleFilePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(gModule, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace notarel

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
  if (reason == DLL_PROCESS_ATTACH) {
    notarel::gModule = instance;
    DisableThreadLibraryCalls(instance);
  } else if (reason == DLL_PROCESS_DETACH) {
    // Windows keeps a DLL's window classes after it unloads; a later load
    // would register the class again over a window procedure that is gone.
    TAxCtrl::UnregisterWindowClass();
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (IsEqualCLSID(clsid, notarel::kPropertyPageClsid)) {
    return notarel::GetPageClassFactory()->QueryInterface(iid, out);
  }
  const notarel::TControlClass* entry = notarel::FindControlClass(clsid);
  if (!entry) return CLASS_E_CLASSNOTAVAILABLE;
  return notarel::GetControlClassFactory(*entry)->QueryInterface(iid, out);
}

STDAPI DllCanUnloadNow() { return notarel::ModuleInUse() ? S_FALSE : S_OK; }
