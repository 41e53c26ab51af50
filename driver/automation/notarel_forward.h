#pragma once
// The forwarding pattern shared by the members of TNotarel: guard the edge,
// clear a text out-parameter first, get the driver core, convert the value.
// Included only by the files that define TNotarel's members.
#include "driver.h"
#include "member_guard.h"
#include "notarel_control.h"
#include "text_convert.h"

namespace notarel {

inline VARIANT_BOOL ToVariantBool(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }
// Any non-zero bit pattern counts as true, as automation clients may pass 1.
inline bool FromVariantBool(VARIANT_BOOL value) { return value != 0; }

}  // namespace notarel

template <class Body>
HRESULT TNotarel::Guard(Body body) {
  try {
    body();
    return S_OK;
  } catch (...) {
    return notarel::ReportCurrentException(FClass.progId);
  }
}

template <class Read>
HRESULT TNotarel::ReadLong(LONG* Value, Read read) {
  if (!Value) return E_POINTER;
  return Guard([&] { *Value = static_cast<LONG>(read(GetDriver())); });
}

template <class Read>
HRESULT TNotarel::ReadBool(VARIANT_BOOL* Value, Read read) {
  if (!Value) return E_POINTER;
  return Guard([&] { *Value = notarel::ToVariantBool(read(GetDriver())); });
}

template <class Read>
HRESULT TNotarel::ReadText(BSTR* Value, Read read) {
  if (!Value) return E_POINTER;
  *Value = nullptr;
  return Guard([&] { *Value = notarel::DriverTextToBstr(read(GetDriver())); });
}

template <class Write>
HRESULT TNotarel::WriteValue(Write write) {
  return Guard([&] { write(GetDriver()); });
}
