// Windows: the file is opened with sharing denied for reading and writing,
// so nobody else can open the settings file while it is read or written.
// The name is in the ANSI code page, as the driver keeps it.
#include <share.h>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "file_stream.h"

namespace notarel {
namespace {

// The code page of the driver's texts.
constexpr UINT kDriverCodePage = 1251;

}  // namespace

std::FILE* OpenUnsharedFile(const std::string& fileName, TFileAccess access) {
  return _fsopen(fileName.c_str(), access == TFileAccess::Read ? "rb" : "w+b", _SH_DENYRW);
}

std::string FileNameInMessage(const std::string& fileName) {
  if (fileName.empty()) return fileName;
  const int size = static_cast<int>(fileName.size());
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  const int length = MultiByteToWideChar(CP_ACP, 0, fileName.data(), size, wide.data(), size);
  std::string text(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
  // The name is only shown here, so a letter the driver's code page lacks
  // becomes its nearest look-alike.
  const int written = WideCharToMultiByte(kDriverCodePage, 0, wide.data(), length, text.data(),
                                          length, nullptr, nullptr);
  text.resize(static_cast<std::size_t>(written > 0 ? written : 0));
  return text;
}

}  // namespace notarel

// Module path, existence test and durable replacement for the settings file.
#include <io.h>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "settings_file.h"

namespace notarel {

std::string ModulePath() {
  // The DLL (or program) this code is linked into, not the host process.
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                         GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&ModulePath), &module);
  char path[262];
  const DWORD n = GetModuleFileNameA(module, path, sizeof path);
  return std::string(path, n < sizeof path ? n : 0);
}

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool SyncFile(std::FILE* file) { return _commit(_fileno(file)) == 0; }

bool MoveReplacing(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

}  // namespace notarel
