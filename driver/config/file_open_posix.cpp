// POSIX has no share modes; a plain open serves.
#include "cp1251.h"
#include "file_stream.h"

namespace notarel {

std::FILE* OpenUnsharedFile(const std::string& fileName, TFileAccess access) {
  return std::fopen(fileName.c_str(), access == TFileAccess::Read ? "rb" : "w+b");
}

// File names here are UTF-8.
std::string FileNameInMessage(const std::string& fileName) { return Utf8ToCp1251(fileName); }

}  // namespace notarel

// Module path, existence test and durable replacement for the settings file.
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

#include "settings_file.h"

namespace notarel {

std::string ModulePath() {
  // The shared object or program that holds this function; a program's own
  // entry may come back as the name it was started by, so resolve it fully.
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&ModulePath), &info) != 0 && info.dli_fname != nullptr) {
    char resolved[PATH_MAX];
    if (realpath(info.dli_fname, resolved) != nullptr) return resolved;
  }
  char self[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  return n > 0 ? std::string(self, static_cast<std::size_t>(n)) : std::string("notarel");
}

bool FileExists(const std::string& path) {
  struct stat st{};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool SyncFile(std::FILE* file) { return fsync(fileno(file)) == 0; }

bool MoveReplacing(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace notarel
