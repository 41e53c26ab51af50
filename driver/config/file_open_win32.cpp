// Windows: the file is opened with sharing denied for reading and writing,
// so nobody else can open the settings file while it is read or written.
// The name is in the ANSI code page, as the driver keeps it.
#include <share.h>

#include "file_stream.h"

namespace notarel {

std::FILE* OpenUnsharedFile(const std::string& fileName, TFileAccess access) {
  return _fsopen(fileName.c_str(), access == TFileAccess::Read ? "rb" : "w+b", _SH_DENYRW);
}

}  // namespace notarel
