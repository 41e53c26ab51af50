#pragma once
// The edge of every automation member: nothing may escape it as a C++
// exception. An escaping error becomes the member's HRESULT together with an
// error-info record (description, the class's ProgID as source, IWBA003_4 as
// the interface) that the client reads through GetErrorInfo.
#include <windows.h>

#include <stdexcept>
#include <string>

namespace notarel {

// A failing platform call that carries its own HRESULT; the member returns it.
class TComError : public std::runtime_error {
 public:
  TComError(HRESULT hr, const std::string& message) : std::runtime_error(message), FResult(hr) {}
  HRESULT Result() const { return FResult; }

 private:
  HRESULT FResult;
};

// Throws TComError when hr is a failure; `what` names the call.
void CheckHr(HRESULT hr, const char* what);

// What to show a user for a member call that failed with hr: the description
// the callee posted with it (GetErrorInfo, which takes the record), else the
// system's message for hr, else `what`; followed by hr in hexadecimal.
std::wstring ComErrorMessage(HRESULT hr, const std::string& what);

// Posts the error-info record and returns hr. The message is 8-bit
// Windows-1251 text, like every text of the driver.
HRESULT ReportMemberError(HRESULT hr, const std::string& message, const wchar_t* progId);

// The current exception as the member's HRESULT. Call only inside a catch block.
HRESULT ReportCurrentException(const wchar_t* progId);

}  // namespace notarel
