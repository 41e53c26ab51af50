#pragma once
// Where a page's logic writes its text lines (a memo in the application, a
// list in the tests).
#include <functional>
#include <string>

using TLineWriter = std::function<void(const std::wstring& line)>;

// A status or reason code as the pages show it: upper-case hexadecimal, at
// least two characters, padded with blanks ("%2X").
std::wstring HexCode(long code);
