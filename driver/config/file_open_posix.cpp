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

// Module path, existence test and the parts of the settings file's replacement.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
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

std::string FollowLinks(const std::string& path) {
  std::string current = path;
  // As many links as the system itself follows; a longer chain is left to fail
  // when the file is opened.
  for (int hop = 0; hop < 40; ++hop) {
    char link[PATH_MAX];
    const ssize_t n = readlink(current.c_str(), link, sizeof link);
    if (n <= 0 || static_cast<std::size_t>(n) == sizeof link) break;
    std::string next(link, static_cast<std::size_t>(n));
    const auto slash = current.rfind('/');
    // A relative link names a file in the folder of the link.
    if (next[0] != '/' && slash != std::string::npos) next = current.substr(0, slash + 1) + next;
    current = next;
  }
  return current;
}

TReplaceTarget ProbeTarget(const std::string& target) {
  struct stat st{};
  if (stat(target.c_str(), &st) != 0) {
    return errno == ENOENT ? TReplaceTarget::Missing : TReplaceTarget::Refused;
  }
  // A new file in place of one with further hard links would separate them.
  if (!S_ISREG(st.st_mode) || st.st_nlink > 1) return TReplaceTarget::InPlaceOnly;
  // Asks the system itself, which knows the writer's groups, capabilities and
  // read-only mounts; nothing is truncated yet.
  const int fd = open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return TReplaceTarget::Refused;
  close(fd);
  return TReplaceTarget::Replaceable;
}

TTemporaryFile CreateTemporaryBeside(const std::string& target) {
  static std::atomic<unsigned> counter{0};
  const auto slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  TTemporaryFile temporary;
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary.Name = folder + "." + base + "." + std::to_string(getpid()) + "-" +
                     std::to_string(counter++) + ".tmp";
    // Created exclusively, so a file that happens to have the name is never
    // taken; 0666 under the umask is the mode any newly created file gets.
    const int fd = open(temporary.Name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      temporary.File = fdopen(fd, "wb");
      if (temporary.File == nullptr) {
        close(fd);
        unlink(temporary.Name.c_str());
      }
      return temporary;
    }
    if (errno != EEXIST) {
      temporary.FolderRefused = errno == EACCES || errno == EPERM || errno == EROFS;
      return temporary;
    }
  }
  return temporary;
}

bool CopyOwnerAndMode(const std::string& target, std::FILE* temporary) {
  const int fd = fileno(temporary);
  struct stat wanted{};
  struct stat got{};
  if (stat(target.c_str(), &wanted) != 0 || fstat(fd, &got) != 0) return false;
  // The owner first: a change of owner may clear the set-id bits of the mode.
  if ((wanted.st_uid != got.st_uid || wanted.st_gid != got.st_gid) &&
      fchown(fd, wanted.st_uid, wanted.st_gid) != 0) {
    return false;
  }
  return fchmod(fd, wanted.st_mode & 07777) == 0;
}

bool SyncFile(std::FILE* file) { return fsync(fileno(file)) == 0; }

bool MoveReplacing(const std::string& from, const std::string& to) {
  if (std::rename(from.c_str(), to.c_str()) != 0) return false;
  // The new name reaches the disk with the folder; a folder that cannot be
  // synced leaves the rename to the system's own flushing.
  const auto slash = to.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : to.substr(0, slash + 1);
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    fsync(fd);
    close(fd);
  }
  return true;
}

}  // namespace notarel
