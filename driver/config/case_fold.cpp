#include "case_fold.h"

#include <array>
#include <cstdint>

namespace notarel {
namespace {

// Lower-case and upper-case bytes of the Cyrillic letters outside the two
// contiguous alphabets (Serbian, Macedonian, Ukrainian and Belarusian letters).
constexpr std::array<std::array<std::uint8_t, 2>, 15> kExtraPairs = {{
    {0x90, 0x80},  // dje
    {0x83, 0x81},  // gje
    {0x9A, 0x8A},  // lje
    {0x9C, 0x8C},  // nje
    {0x9D, 0x8D},  // kje
    {0x9E, 0x8E},  // tshe
    {0x9F, 0x8F},  // dzhe
    {0xA2, 0xA1},  // short u
    {0xBC, 0xA3},  // je
    {0xB4, 0xA5},  // ghe with upturn
    {0xB8, 0xA8},  // io
    {0xBA, 0xAA},  // ukrainian ie
    {0xBF, 0xAF},  // yi
    {0xB3, 0xB2},  // byelorussian-ukrainian i
    {0xBE, 0xBD},  // dze
}};

struct UpperTable {
  std::array<char, 256> map{};
  constexpr UpperTable() {
    for (int b = 0; b < 256; ++b) map[b] = static_cast<char>(b);
    for (int b = 'a'; b <= 'z'; ++b) map[b] = static_cast<char>(b - 0x20);
    // 0xE0..0xFF are the lower-case letters of the Russian alphabet, 0xC0..0xDF their capitals.
    for (int b = 0xE0; b <= 0xFF; ++b) map[b] = static_cast<char>(b - 0x20);
    for (const auto& pair : kExtraPairs) map[pair[0]] = static_cast<char>(pair[1]);
  }
};

constexpr UpperTable kUpper;

}  // namespace

char UpperCase1251(char c) { return kUpper.map[static_cast<unsigned char>(c)]; }

std::string UpperCase1251(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = UpperCase1251(c);
  return result;
}

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && StartsWithText(a, b);
}

bool StartsWithText(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (UpperCase1251(text[i]) != UpperCase1251(prefix[i])) return false;
  }
  return true;
}

}  // namespace notarel
