#pragma once
// Texts of the polling page: the lines its event handlers write, and the
// conversion of its two number fields.
#include <cstdint>
#include <exception>
#include <string>

#include "user_error.h"

// A field whose text is not a 32-bit integer. Carries the user's message.
class TConvertError : public TUserError {
 public:
  explicit TConvertError(const std::wstring& text);
};

// The text as a signed 32-bit integer: optional leading blanks, an optional
// sign, then decimal digits, or hexadecimal ones after "$" or "0x". Anything
// else, an empty text or a value out of range throws TConvertError.
std::int32_t ParsePageInteger(const std::wstring& text);

std::wstring ErrorLine(long code, long extCode, const std::wstring& description);
std::wstring RejectLine(long code, long extCode, const std::wstring& description);
std::wstring BillLine(long summ, const std::wstring& currencyName);
std::wstring StackedLine();

