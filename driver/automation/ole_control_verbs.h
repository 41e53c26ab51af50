// The control's verb list as a container reads it through IOleObject::EnumVerbs.
#pragma once

#include <ole2.h>

namespace notarel {

// Number of the control's one verb, "Properties"; it is the primary verb too.
constexpr LONG kPropertiesVerb = 0;

// A new enumerator over the one verb "Properties" (number 0, on the
// container's menu). Each OLEVERB it hands out carries its own copy of the
// name, which the caller frees with CoTaskMemFree.
HRESULT CreateVerbEnumerator(IEnumOLEVERB** out);

}  // namespace notarel
