#include "text_convert.h"

#include <new>

namespace notarel {
namespace {

std::wstring Widen(UINT codePage, const std::string& text) {
  if (text.empty()) return std::wstring();
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  if (length > 0) MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), length);
  return wide;
}

// No best-fit mapping: a character the code page lacks becomes '?', so that
// a path can never name a different file than the one the client meant.
std::string Narrow(UINT codePage, BSTR text) {
  const UINT length = SysStringLen(text);
  if (length == 0) return std::string();
  const int wideSize = static_cast<int>(length);
  const DWORD flags = WC_NO_BEST_FIT_CHARS;
  const int size =
      WideCharToMultiByte(codePage, flags, text, wideSize, nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<std::size_t>(size), '\0');
  if (size > 0)
    WideCharToMultiByte(codePage, flags, text, wideSize, result.data(), size, nullptr, nullptr);
  return result;
}

BSTR ToBstr(const std::wstring& wide) {
  BSTR result = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  if (!result) throw std::bad_alloc();
  return result;
}

}  // namespace

BSTR DriverTextToBstr(const std::string& text) { return ToBstr(Widen(kDriverCodePage, text)); }

std::string BstrToDriverText(BSTR text) { return Narrow(kDriverCodePage, text); }

std::wstring DriverTextToWide(const std::string& text) { return Widen(kDriverCodePage, text); }

BSTR AnsiPathToBstr(const std::string& path) { return ToBstr(Widen(CP_ACP, path)); }

std::string BstrToAnsiPath(BSTR path) { return Narrow(CP_ACP, path); }

std::wstring BstrToWide(BSTR text) { return std::wstring(text ? text : L"", SysStringLen(text)); }

}  // namespace notarel
