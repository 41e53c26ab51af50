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

void ReplaceFileContents(const std::string& path, const std::string& bytes) {
  const std::string temporary = path + ".new";
  std::FILE* file = OpenUnsharedFile(temporary, TFileAccess::Create);
  if (!file) throw CannotCreateFile(path);
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() &&
                       std::fflush(file) == 0 && SyncFile(file);
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed || !MoveReplacing(temporary, path)) {
    std::remove(temporary.c_str());
    throw CannotCreateFile(path);
  }
}

}  // namespace notarel
