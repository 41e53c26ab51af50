#pragma once
// The program's own file version from its version resource.
#include <string>

// "a.b.c.d" from the fixed file information of version resource #1 of the
// program's module; "0.0.0.0" when there is none.
std::wstring GetFileVersionText();
