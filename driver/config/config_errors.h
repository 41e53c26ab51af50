#pragma once
// Errors raised inside the configuration code. The driver catches them at the
// edge of each settings operation and turns the message into a result code,
// so every message is complete text in Windows-1251.
#include <stdexcept>
#include <string>

namespace notarel {

// A document the reader cannot accept: "<message> on line <n>".
class EParserError : public std::runtime_error {
 public:
  EParserError(const std::string& message, int line);
  int Line() const { return FLine; }

 private:
  int FLine;
};

// A file that cannot be opened or created, or a stream that fails to read or write.
class EFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A text that should hold a decimal integer and does not.
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "Cannot open file <name>" and "Cannot create file <name>".
EFileError CannotOpenFile(const std::string& fileName);
EFileError CannotCreateFile(const std::string& fileName);

}  // namespace notarel
