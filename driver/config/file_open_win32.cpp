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

// Module path, existence test and the parts of the settings file's replacement.
#include <io.h>
#include <share.h>

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

namespace {

// The attributes SetFileAttributes takes over to a new file.
constexpr DWORD kCopiedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                    FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                    FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

using TGetFinalPathName = DWORD(WINAPI*)(HANDLE, LPSTR, DWORD, DWORD);

// GetFinalPathNameByHandleA where the system has it; a system without it has
// no symbolic links to files either.
TGetFinalPathName FinalPathFunction() {
  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  return kernel == nullptr ? nullptr
                           : reinterpret_cast<TGetFinalPathName>(reinterpret_cast<void*>(
                                 GetProcAddress(kernel, "GetFinalPathNameByHandleA")));
}

// "\\?\C:\dir\file" as "C:\dir\file", "\\?\UNC\host\share" as "\\host\share".
std::string WithoutLongPathPrefix(const std::string& path) {
  if (path.rfind("\\\\?\\UNC\\", 0) == 0) return "\\\\" + path.substr(8);
  if (path.rfind("\\\\?\\", 0) == 0) return path.substr(4);
  return path;
}

}  // namespace

std::string FollowLinks(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  const TGetFinalPathName finalPath = FinalPathFunction();
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
      finalPath == nullptr) {
    return path;
  }
  // Opening without FILE_FLAG_OPEN_REPARSE_POINT opens the file at the end of
  // the chain; a link to nothing stays as it is and is written through.
  const HANDLE file = CreateFileA(path.c_str(), 0,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return path;
  char resolved[MAX_PATH + 8];
  const DWORD n = finalPath(file, resolved, sizeof resolved, FILE_NAME_NORMALIZED);
  CloseHandle(file);
  if (n == 0 || n >= sizeof resolved) return path;
  return WithoutLongPathPrefix(std::string(resolved, n));
}

TReplaceTarget ProbeTarget(const std::string& target) {
  const DWORD attributes = GetFileAttributesA(target.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
               ? TReplaceTarget::Missing
               : TReplaceTarget::Refused;
  }
  // The open for writing refuses a read-only file; so does the save.
  if (attributes & FILE_ATTRIBUTE_READONLY) return TReplaceTarget::Refused;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return TReplaceTarget::InPlaceOnly;
  const HANDLE file = CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    // A link to a file that is not there yet: the open for writing creates it.
    return GetLastError() == ERROR_FILE_NOT_FOUND ? TReplaceTarget::InPlaceOnly
                                                  : TReplaceTarget::Refused;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  // A new file in place of one with further hard links would separate them.
  const bool linked = GetFileInformationByHandle(file, &info) && info.nNumberOfLinks > 1;
  const bool onDisk = GetFileType(file) == FILE_TYPE_DISK;
  CloseHandle(file);
  return linked || !onDisk ? TReplaceTarget::InPlaceOnly : TReplaceTarget::Replaceable;
}

TTemporaryFile CreateTemporaryBeside(const std::string& target) {
  const auto slash = target.find_last_of("\\/");
  const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
  TTemporaryFile temporary;
  char name[MAX_PATH];
  // GetTempFileName creates the file under a name no file in the folder has.
  if (GetTempFileNameA(folder.c_str(), "ntr", 0, name) == 0) {
    const DWORD error = GetLastError();
    temporary.FolderRefused = error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT;
    return temporary;
  }
  temporary.Name = name;
  temporary.File = _fsopen(name, "wb", _SH_DENYRW);
  if (temporary.File == nullptr) DeleteFileA(name);
  return temporary;
}

// ReplaceFile carries the attributes, owner and access rights of the replaced
// file over to the new one (MoveReplacing).
bool CopyOwnerAndMode(const std::string&, std::FILE*) { return true; }

bool SyncFile(std::FILE* file) { return _commit(_fileno(file)) == 0; }

bool MoveReplacing(const std::string& from, const std::string& to) {
  const DWORD attributes = GetFileAttributesA(to.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != FALSE;
  }
  // ReplaceFile takes the attributes over itself, but not every implementation
  // does, and the plain move below needs them.
  SetFileAttributesA(from.c_str(), attributes & kCopiedAttributes);
  if (ReplaceFileA(to.c_str(), from.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                   nullptr)) {
    return true;
  }
  // Where ReplaceFile cannot work (some file systems and network shares), a
  // plain move.
  return MoveFileExA(from.c_str(), to.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

}  // namespace notarel
