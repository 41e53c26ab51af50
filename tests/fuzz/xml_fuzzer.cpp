// libFuzzer target for the XML reader through windows of every size.
//
// Each input is read once through the reader's own window (far larger than
// any input here), which gives the reference: the tree as written back, or
// the parse error's message. It is then read again through windows of 2
// (the least the reader takes) to 64 bytes (up to the input's length), of
// the input's own length and one more, and of a few sizes in between picked
// from the input's bytes. Every one must give the reference,
// except that a window too small for a line (or a token) may refuse the
// input with "Line too long". A tree that was read is written and read
// again. Anything else, an exception other than a parse error, and any read
// beyond the data (AddressSanitizer) is a finding.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "config_errors.h"
#include "fuzz_check.h"
#include "xml_parser.h"
#include "xml_tokenizer.h"

namespace notarel::fuzz {
namespace {

// What a read gave: the tree as our writer writes it, or the error's message.
struct TOutcome {
  bool read = false;
  std::string text;
};

TOutcome ReadWith(const std::string& data, std::size_t window) {
  TXmlParser parser;
  std::istringstream stream(data);
  try {
    parser.Root().LoadFromStream(stream, window);
  } catch (const EParserError& error) {
    return {false, error.what()};
  }
  std::ostringstream out;
  parser.SaveToStream(out);
  return {true, out.str()};
}

bool LineTooLong(const TOutcome& outcome) {
  return !outcome.read && outcome.text.rfind("Line too long", 0) == 0;
}

// The tokenizer needs room for one byte and its sentinel.
constexpr std::size_t kSmallestWindow = 2;

// The window sizes to try on an input of `size` bytes.
std::vector<std::size_t> Windows(const std::uint8_t* data, std::size_t size) {
  std::vector<std::size_t> windows;
  // A window larger than the input reads it in one piece, as the full read does.
  for (std::size_t w = kSmallestWindow; w <= std::min<std::size_t>(64, size); ++w) windows.push_back(w);
  windows.push_back(size);
  windows.push_back(size + 1);
  // A few more between 65 and the input's length, from its first bytes.
  for (std::size_t i = 0; i + 1 < std::min<std::size_t>(size, 8) && size > 65; i += 2) {
    const std::size_t pick = static_cast<std::size_t>(data[i] << 8 | data[i + 1]);
    windows.push_back(65 + pick % (size - 64));
  }
  windows.erase(std::remove_if(windows.begin(), windows.end(),
                               [](std::size_t w) { return w < kSmallestWindow; }),
                windows.end());
  return windows;
}

}  // namespace
}  // namespace notarel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace notarel::fuzz;
  const std::string input(reinterpret_cast<const char*>(data), size);
  const TOutcome reference = ReadWith(input, notarel::TXmlTokenizer::kWindowSize);
  FUZZ_CHECK(!LineTooLong(reference));
  for (std::size_t window : Windows(data, size)) {
    const TOutcome outcome = ReadWith(input, window);
    const bool same = outcome.read == reference.read && outcome.text == reference.text;
    // A window can only be too small when the input fills it.
    FUZZ_CHECK(same || (LineTooLong(outcome) && window <= size));
  }
  // The dialect is lossy (a line break in a text comes back with an extra
  // child, an unnamed root is written without a name), so what was written
  // is read again for what the reader does with it, not compared.
  if (reference.read) ReadWith(reference.text, notarel::TXmlTokenizer::kWindowSize);
  return 0;
}
