#pragma once
// Letter case in the Windows-1251 code page.
// Element names are matched ignoring letter case the way the Windows locale
// comparison does it, so Cyrillic letters fold as well as Latin ones. The
// table is our own: portable code cannot ask the platform for it.
#include <string>
#include <string_view>

namespace notarel {

// The upper-case byte of a Windows-1251 letter; every other byte unchanged.
char UpperCase1251(char c);
// The whole text upper-cased byte by byte.
std::string UpperCase1251(std::string_view text);
// True when both texts are equal once upper-cased.
bool SameText(std::string_view a, std::string_view b);
// True when `text` starts with `prefix`, letter case ignored.
bool StartsWithText(std::string_view text, std::string_view prefix);

}  // namespace notarel
