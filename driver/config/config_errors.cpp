#include "config_errors.h"

#include "file_stream.h"

namespace notarel {

EParserError::EParserError(const std::string& message, int line)
    : std::runtime_error(message + " on line " + std::to_string(line)), FLine(line) {}

EFileError CannotOpenFile(const std::string& fileName) {
  return EFileError("Cannot open file " + FileNameInMessage(fileName));
}

EFileError CannotCreateFile(const std::string& fileName) {
  return EFileError("Cannot create file " + FileNameInMessage(fileName));
}

}  // namespace notarel
