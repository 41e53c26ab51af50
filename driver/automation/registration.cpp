// DllRegisterServer and DllUnregisterServer: the control classes, their
// ProgIDs and the property page class under HKEY_CLASSES_ROOT, and the type
// library. No ThreadingModel value is written: the classes are single-threaded.
#include <windows.h>
#include <oleauto.h>

#include <string>

#include "Notarel_h.h"
#include "com_ptr.h"
#include "module.h"
#include "ole_control_base.h"

namespace notarel {
namespace {

const wchar_t kPropertyPageName[] = L"TfmPage property page";
// Both control classes: invisible at run time, recompose on resize, can't
// link inside, inside-out, activate when visible, set client site first.
const wchar_t kMiscStatus[] = L"132497";

class TRegKey {
 public:
  TRegKey() = default;
  TRegKey(const TRegKey&) = delete;
  TRegKey& operator=(const TRegKey&) = delete;
  ~TRegKey() {
    if (FKey) RegCloseKey(FKey);
  }
  PHKEY Out() { return &FKey; }
  HKEY Get() const { return FKey; }

 private:
  HKEY FKey = nullptr;
};

std::wstring GuidText(REFGUID guid) {
  wchar_t text[40];
  StringFromGUID2(guid, text, 40);
  return text;
}

// The control's property page class.
std::wstring PropertyPageKey() { return L"CLSID\\" + GuidText(kPropertyPageClsid); }

// The module's path; in its short form when it holds a blank, since the
// command line of some hosts is split at blanks.
std::wstring RegisteredModulePath() {
  const std::wstring path = ModuleFilePath();
  if (path.find(L' ') == std::wstring::npos) return path;
  wchar_t shortPath[MAX_PATH];
  const DWORD length = GetShortPathNameW(path.c_str(), shortPath, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::wstring(shortPath, length) : path;
}

// Creates HKCR\key and sets its default value.
HRESULT SetKey(const std::wstring& key, const std::wstring& value) {
  TRegKey handle;
  LONG rc = RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                            handle.Out(), nullptr);
  if (rc == ERROR_SUCCESS) {
    const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    rc = RegSetValueExW(handle.Get(), nullptr, 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(value.c_str()), bytes);
  }
  return HRESULT_FROM_WIN32(static_cast<DWORD>(rc));
}

HRESULT RegisterControlClass(const TControlClass& entry, const std::wstring& module) {
  const std::wstring clsid = GuidText(*entry.clsid);
  const std::wstring key = L"CLSID\\" + clsid;
  const std::wstring progId = entry.progId;
  const std::pair<std::wstring, std::wstring> keys[] = {
      {key, entry.description},
      {key + L"\\InprocServer32", module},
      {key + L"\\ProgID", progId},
      {progId, entry.description},
      {progId + L"\\Clsid", clsid},
      {key + L"\\TypeLib", GuidText(LIBID_RUDLib)},
      {key + L"\\Version", L"1.0"},
      {key + L"\\MiscStatus", L"0"},
      {key + L"\\MiscStatus\\1", kMiscStatus},
      {key + L"\\ToolboxBitmap32", module + L",1"},
      {key + L"\\Control", L""},
      {key + L"\\Verb", L""},
      {key + L"\\Verb\\0", L"Properties,0,2"},
  };
  for (const auto& [name, value] : keys) {
    const HRESULT hr = SetKey(name, value);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

HRESULT RegisterTypeLibrary() {
  std::wstring path = ModuleFilePath();
  TComPtr<ITypeLib> library;
  HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.Out());
  if (SUCCEEDED(hr)) hr = RegisterTypeLib(library.Get(), path.data(), nullptr);
  return hr;
}

void DeleteTree(const std::wstring& key) { RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str()); }

// Whether HKCR\key exists, in this module's registry view or in the other
// platform's (which on 32-bit Windows is the same one).
bool KeyExists(const std::wstring& key, bool otherView = false) {
  const REGSAM view = !otherView ? 0 : sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
  TRegKey handle;
  return RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ | view, handle.Out()) ==
         ERROR_SUCCESS;
}

// The type library's registration is shared by the 32-bit and the 64-bit
// module on 64-bit Windows: one key for the library with a subkey per
// platform, and the interfaces' keys written into both registry views.
// UnRegisterTypeLib removes all of it, which would leave the other platform's
// control without its interfaces; while that one is still registered, only
// this platform's subkey goes.
HRESULT UnregisterTypeLibrary() {
  const bool win64 = sizeof(void*) == 8;
  const std::wstring locale = L"TypeLib\\" + GuidText(LIBID_RUDLib) + L"\\1.0\\409\\";
  if (KeyExists(locale + (win64 ? L"win32" : L"win64"))) {
    DeleteTree(locale + (win64 ? L"win64" : L"win32"));
    return S_OK;
  }
  const HRESULT hr = UnRegisterTypeLib(LIBID_RUDLib, 1, 0, 0x0409, win64 ? SYS_WIN64 : SYS_WIN32);
  return hr == TYPE_E_REGISTRYACCESS || hr == TYPE_E_CANTLOADLIBRARY ? S_OK : hr;
}

}  // namespace
}  // namespace notarel

STDAPI DllRegisterServer() {
  using namespace notarel;
  const std::wstring module = RegisteredModulePath();
  for (std::size_t i = 0; i < kControlClassCount; ++i) {
    const HRESULT hr = RegisterControlClass(kControlClasses[i], module);
    if (FAILED(hr)) return hr;
  }
  HRESULT hr = SetKey(PropertyPageKey(), kPropertyPageName);
  if (SUCCEEDED(hr)) hr = SetKey(PropertyPageKey() + L"\\InprocServer32", module);
  if (SUCCEEDED(hr)) hr = RegisterTypeLibrary();
  return hr;
}

STDAPI DllUnregisterServer() {
  using namespace notarel;
  for (std::size_t i = 0; i < kControlClassCount; ++i) {
    const std::wstring clsid = L"CLSID\\" + GuidText(*kControlClasses[i].clsid);
    DeleteTree(clsid);
    // Each platform has its CLSID keys in its own registry view, but the
    // ProgIDs are shared by both: they stay while the other platform's
    // control still names them.
    if (!KeyExists(clsid, true)) DeleteTree(kControlClasses[i].progId);
  }
  DeleteTree(PropertyPageKey());
  return UnregisterTypeLibrary();
}
