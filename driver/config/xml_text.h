#pragma once
// Small text tests shared by the reader and the writer.
#include <string_view>

namespace notarel {

// Empty once bytes 0 to 32 are trimmed from both ends.
inline bool IsBlankText(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) > ' ') return false;
  }
  return true;
}

}  // namespace notarel
