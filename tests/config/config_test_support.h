#pragma once
// Helpers shared by the configuration tests.
#include <sstream>
#include <string>
#include <string_view>

#include "config_errors.h"
#include "cp1251.h"
#include "xml_parser.h"

namespace notarel::test {

// Russian literals are written in UTF-8 and compared as Windows-1251 bytes.
inline std::string W(std::string_view utf8) { return Utf8ToCp1251(utf8); }

// Loads a document held in a string.
inline void LoadText(TXmlParser& parser, const std::string& document) {
  std::istringstream stream(document);
  parser.LoadFromStream(stream);
}

// The bytes the writer produces for the parser's tree.
inline std::string SavedText(TXmlParser& parser, bool omitStyleSheet = false) {
  std::ostringstream stream;
  parser.SaveToStream(stream, omitStyleSheet);
  return stream.str();
}

// The message of the parse error a document raises, or "no error".
inline std::string ParseErrorOf(const std::string& document) {
  TXmlParser parser;
  try {
    LoadText(parser, document);
  } catch (const EParserError& error) {
    return error.what();
  }
  return "no error";
}

}  // namespace notarel::test
