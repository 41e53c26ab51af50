#include "settings_file.h"

#include <cstdio>

#include "config_errors.h"
#include "file_stream.h"

namespace notarel {

std::string SettingsFileNameFor(const std::string& path) {
  const auto nameStart = path.find_last_of("/\\");
  const auto dot = path.rfind('.');
  const bool hasExtension =
      dot != std::string::npos && (nameStart == std::string::npos || dot > nameStart);
  return (hasExtension ? path.substr(0, dot) : path) + ".xml";
}

namespace {

bool WriteAndClose(std::FILE* file, const std::string& bytes) {
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() &&
                       std::fflush(file) == 0 && SyncFile(file);
  const bool closed = std::fclose(file) == 0;
  return written && closed;
}

// Truncates the file and writes it where it is, the way a plain open for
// writing does.
void WriteInPlace(const std::string& target, const std::string& bytes,
                  const std::string& path) {
  std::FILE* file = OpenUnsharedFile(target, TFileAccess::Create);
  if (file == nullptr || !WriteAndClose(file, bytes)) throw CannotCreateFile(path);
}

// Writes a temporary file and moves it over `target`. False, with nothing
// changed, when the file is to be written in place instead.
bool ReplaceThroughTemporary(const std::string& target, TReplaceTarget state,
                             const std::string& bytes, const std::string& path) {
  const TTemporaryFile temporary = CreateTemporaryBeside(target);
  if (temporary.File == nullptr) {
    if (temporary.FolderRefused) return false;
    throw CannotCreateFile(path);
  }
  if (state == TReplaceTarget::Replaceable && !CopyOwnerAndMode(target, temporary.File)) {
    std::fclose(temporary.File);
    std::remove(temporary.Name.c_str());
    return false;
  }
  if (!WriteAndClose(temporary.File, bytes) || !MoveReplacing(temporary.Name, target)) {
    std::remove(temporary.Name.c_str());
    throw CannotCreateFile(path);
  }
  return true;
}

}  // namespace

void ReplaceFileContents(const std::string& path, const std::string& bytes) {
  const std::string target = FollowLinks(path);
  const TReplaceTarget state = ProbeTarget(target);
  if (state == TReplaceTarget::Refused) throw CannotCreateFile(path);
  if (state != TReplaceTarget::InPlaceOnly &&
      ReplaceThroughTemporary(target, state, bytes, path)) {
    return;
  }
  WriteInPlace(target, bytes, path);
}

}  // namespace notarel
