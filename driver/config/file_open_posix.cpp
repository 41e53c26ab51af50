// POSIX has no share modes; a plain open serves.
#include "file_stream.h"

namespace notarel {

std::FILE* OpenUnsharedFile(const std::string& fileName, TFileAccess access) {
  return std::fopen(fileName.c_str(), access == TFileAccess::Read ? "rb" : "w+b");
}

}  // namespace notarel
