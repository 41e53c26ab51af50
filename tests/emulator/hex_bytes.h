#pragma once
// Byte vectors written the way the log and the driver show them: "FC 05 11 27 56".
#include <sstream>
#include <string>

#include "frame_codec.h"

namespace notarel::emu {

inline Bytes FromHex(const std::string& text) {
  std::istringstream in(text);
  Bytes bytes;
  for (std::string word; in >> word;) bytes.push_back(static_cast<std::uint8_t>(std::stoul(word, nullptr, 16)));
  return bytes;
}

}  // namespace notarel::emu
