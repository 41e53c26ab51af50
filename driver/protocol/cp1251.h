#pragma once
// Conversion between UTF-8 and the Windows-1251 code page.
// The driver keeps every text as Windows-1251 bytes; these helpers let portable
// code write its literals in UTF-8 and let tools print UTF-8.
#include <string>
#include <string_view>

namespace notarel {

// Characters with no Windows-1251 byte become '?'; malformed UTF-8 bytes too.
std::string Utf8ToCp1251(std::string_view utf8);
// Every byte maps to one character (0x98, unassigned, maps to U+0098).
std::string Cp1251ToUtf8(std::string_view cp1251);

}  // namespace notarel
