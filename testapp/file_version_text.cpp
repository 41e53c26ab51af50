// The program's file version from its version resource.
#include "file_version_text.h"

#include <windows.h>

#include <cstring>

#include "win_ui.h"

std::wstring GetFileVersionText() {
  DWORD ms = 0;
  DWORD ls = 0;
  HMODULE module = GetModuleHandleW(nullptr);
  // RT_VERSION is resource type 16; "#1" names the integer identifier 1.
  HRSRC info = FindResourceW(module, L"#1", MAKEINTRESOURCEW(16));
  if (info) {
    HGLOBAL data = LoadResource(module, info);
    const BYTE* bytes = data ? static_cast<const BYTE*>(LockResource(data)) : nullptr;
    // dwFileVersionMS and dwFileVersionLS of VS_FIXEDFILEINFO sit at byte 48.
    if (bytes && SizeofResource(module, info) >= 56) {
      std::memcpy(&ms, bytes + 48, sizeof ms);
      std::memcpy(&ls, bytes + 52, sizeof ls);
    }
    if (data) FreeResource(data);
  }
  return notarel::ui::Format(L"%d.%d.%d.%d", static_cast<int>(HIWORD(ms)), static_cast<int>(LOWORD(ms)),
                             static_cast<int>(HIWORD(ls)), static_cast<int>(LOWORD(ls)));
}
