// libFuzzer target for the XML reader through windows of every size.
//
// Each input is read once through a window far larger than itself, which
// gives the reference: the tree as written back, or the parse error's
// message. It is then read again through smaller windows.
// An input of up to 32 bytes goes through every window from 2 (the least the
// reader takes) to one more than its length. A longer one goes through the
// window of 2, where every token crosses a refill, three windows between 3
// and 64 and two between 65 and its length, picked by a hash of the input,
// and windows of its own length and one more. The hash moves the picks with
// every mutation, so a long run meets every size many times over, at a
// tenth of the cost of sweeping every size on every input. Every read must
// give the reference, except that a window too small for a line (or a token)
// may refuse the input with "Line too long". A tree that was read is written
// and read again. Anything else, an exception other than a parse error, and
// any read beyond the data (AddressSanitizer) is a finding.
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
// Inputs up to this long go through every window.
constexpr std::size_t kSweptInput = 32;
// The reference window. Any window larger than the input reads it in one
// piece; the reader's own (1 MiB) would cost more under AddressSanitizer
// than all the other reads of an input together, and libFuzzer's inputs
// stay far below this unless it is told otherwise.
constexpr std::size_t kReferenceWindow = 65536;

// FNV-1a over the input, then a step of splitmix64 for each pick.
class TWindowPicks {
 public:
  TWindowPicks(const std::uint8_t* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) FState = (FState ^ data[i]) * 0x100000001B3ULL;
  }
  // A window from `low` to `high`, both included.
  std::size_t Between(std::size_t low, std::size_t high) {
    std::uint64_t z = (FState += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    z ^= z >> 31;
    return low + static_cast<std::size_t>(z % (high - low + 1));
  }

 private:
  std::uint64_t FState = 0xCBF29CE484222325ULL;
};

// The window sizes to try on an input of `size` bytes.
std::vector<std::size_t> Windows(const std::uint8_t* data, std::size_t size) {
  std::vector<std::size_t> windows;
  if (size <= kSweptInput) {
    for (std::size_t w = kSmallestWindow; w <= size + 1; ++w) windows.push_back(w);
    return windows;
  }
  TWindowPicks picks(data, size);
  windows.push_back(kSmallestWindow);
  for (int i = 0; i < 3; ++i) windows.push_back(picks.Between(kSmallestWindow + 1, 64));
  if (size > 65) {
    for (int i = 0; i < 2; ++i) windows.push_back(picks.Between(65, size - 1));
  }
  // A window larger than the input reads it in one piece, as the full read does.
  windows.push_back(size);
  windows.push_back(size + 1);
  return windows;
}

}  // namespace
}  // namespace notarel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace notarel::fuzz;
  const std::string input(reinterpret_cast<const char*>(data), size);
  const TOutcome reference =
      ReadWith(input, size < kReferenceWindow ? kReferenceWindow : notarel::TXmlTokenizer::kWindowSize);
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
  if (reference.read) ReadWith(reference.text, reference.text.size() + 1);
  return 0;
}
