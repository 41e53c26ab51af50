#include "page_poll_text.h"

#include <cwchar>

namespace {

int DigitValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return 99;
}

std::wstring Formatted(const wchar_t* format, long a, long b, const std::wstring& text) {
  wchar_t buffer[64];
  std::swprintf(buffer, sizeof(buffer) / sizeof(buffer[0]), format, a, b);
  return buffer + text;
}

}  // namespace

TConvertError::TConvertError(const std::wstring& text)
    : TUserError(L"'" + text + L"' - недопустимое целое значение") {}

std::int32_t ParsePageInteger(const std::wstring& text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
  int base = 10;
  if (i < text.size() && text[i] == L'$') {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == L'0' && (text[i + 1] == L'x' || text[i + 1] == L'X')) {
    base = 16;
    i += 2;
  }
  if (i == text.size()) throw TConvertError(text);
  // Decimal numbers keep the sign's range; hexadecimal ones may give all 32 bits.
  const std::int64_t limit = base == 16 ? 0xFFFFFFFFLL : (negative ? 0x80000000LL : 0x7FFFFFFFLL);
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    const int digit = DigitValue(text[i]);
    if (digit >= base) throw TConvertError(text);
    value = value * base + digit;
    if (value > limit) throw TConvertError(text);
  }
  if (base == 16) value = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
  return static_cast<std::int32_t>(negative ? -value : value);
}

std::wstring ErrorLine(long code, long extCode, const std::wstring& description) {
  return Formatted(L"Error: %ld %ld ", code, extCode, description);
}

std::wstring RejectLine(long code, long extCode, const std::wstring& description) {
  return Formatted(L"Reject: %ld %ld ", code, extCode, description);
}

std::wstring BillLine(long summ, const std::wstring& currencyName) {
  return L"Купюра: " + std::to_wstring(summ) + L" " + currencyName;
}

std::wstring StackedLine() { return L"Stacked - купюра уложена"; }

