#include "file_version.h"

#include <cstdio>
#include <cstring>

namespace notarel {
namespace {

// VS_VERSIONINFO starts with a 6-byte header and the 32-byte key
// "VS_VERSION_INFO" with its padding; the fixed file information follows at
// offset 40, and its dwFileVersionMS and dwFileVersionLS at 8 bytes into it.
constexpr DWORD kFileVersionOffset = 48;

}  // namespace

std::string GetFileVersion(HMODULE module) {
  DWORD high = 0;
  DWORD low = 0;
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16));
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const auto* data = loaded ? static_cast<const unsigned char*>(LockResource(loaded)) : nullptr;
  if (data && SizeofResource(module, found) >= kFileVersionOffset + 8) {
    std::memcpy(&high, data + kFileVersionOffset, sizeof high);
    std::memcpy(&low, data + kFileVersionOffset + 4, sizeof low);
  }
  // Resources are released with the module; FreeResource is a no-op on Win32.
  char text[48];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", static_cast<unsigned>(HIWORD(high)),
                static_cast<unsigned>(LOWORD(high)), static_cast<unsigned>(HIWORD(low)),
                static_cast<unsigned>(LOWORD(low)));
  return text;
}

}  // namespace notarel
