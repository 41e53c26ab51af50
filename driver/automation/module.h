#pragma once
// The module that holds the control: its instance handle, the count of live
// objects and of class-object locks behind DllCanUnloadNow, and the table of
// the control classes it serves.
#include <windows.h>

#include <string>

namespace notarel {

// One creatable control class of the module.
struct TControlClass {
  const CLSID* clsid;
  const wchar_t* progId;
  // The coclass's help string, the default value of its registry keys.
  const wchar_t* description;
};

extern const TControlClass kControlClasses[];
extern const std::size_t kControlClassCount;
// The class with this CLSID, or null.
const TControlClass* FindControlClass(REFCLSID clsid);

HMODULE ModuleHandle();
// Full path of the module file.
std::wstring ModuleFilePath();

// Every object and lock of the module counts here; DllCanUnloadNow answers
// S_OK only when both are zero.
void ModuleAddObject();
void ModuleReleaseObject();
void ModuleLock(bool lock);
bool ModuleInUse();

}  // namespace notarel
