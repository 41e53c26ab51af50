#pragma once
// A property frame that calls IPropertyPage::Apply, as the frame of Windows
// does and Wine's does not: a property sheet with one page, whose dialog
// activates the property page in itself and calls Apply when the sheet's OK
// or Apply notification reaches it.
#include <windows.h>
#include <ocidl.h>

#include <ostream>
#include <string>
#include <vector>

namespace notarel::test {

// One Apply call as the frame saw it: its HRESULT and the description of the
// error record it found posted after a failure.
struct FrameApply {
  HRESULT Result;
  std::wstring Error;
  bool operator==(const FrameApply& other) const {
    return Result == other.Result && Error == other.Error;
  }
};
std::ostream& operator<<(std::ostream& out, const FrameApply& apply);

// Shows the frame modally for `object` with the page of class `page`, with
// `caption` as title; returns once it is closed. Each Apply call is added to
// `applies`.
HRESULT OpenApplyingFrame(IUnknown* object, REFCLSID page, const wchar_t* caption,
                          std::vector<FrameApply>& applies);

}  // namespace notarel::test
