#pragma once
// Small text helpers shared by the reader and the writer.
#include <string_view>

namespace notarel {

// Bytes 0 to 32, the blanks texts are trimmed of (0 itself ends the reader's input).
inline bool IsBlankByte(char c) { return static_cast<unsigned char>(c) <= ' '; }

// Empty once blanks are trimmed from both ends.
inline bool IsBlankText(std::string_view text) {
  for (const char c : text) {
    if (!IsBlankByte(c)) return false;
  }
  return true;
}

// `text` without the blanks at either end.
inline std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlankByte(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlankByte(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace notarel
