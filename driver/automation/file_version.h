#pragma once
// The file version of a module from its own version resource.
#include <windows.h>

#include <string>

namespace notarel {

// "major.minor.release.build" of the fixed file information of version
// resource 1; "0.0.0.0" when the module has none.
std::string GetFileVersion(HMODULE module);

}  // namespace notarel
