// libFuzzer entry for the XML reader (built with clang only):
//   config_xml_fuzzer [corpus folder] -max_total_time=60
// Each input is read through a small window and the full one; a parse error
// is a normal answer, anything else is a finding.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "config_errors.h"
#include "xml_parser.h"

namespace {

void ReadWith(const std::string& data, std::size_t window) {
  notarel::TXmlParser parser;
  std::istringstream stream(data);
  try {
    parser.Root().LoadFromStream(stream, window);
    std::ostringstream out;
    parser.SaveToStream(out);
  } catch (const notarel::EParserError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  ReadWith(input, 64);
  ReadWith(input, notarel::TXmlTokenizer::kWindowSize);
  return 0;
}
