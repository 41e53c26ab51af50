#include "text_convert.h"

#include <new>

namespace notarel {

std::wstring AnsiToWide(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  if (length > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), length);
  return wide;
}

BSTR AnsiToBstr(const std::string& text) {
  const std::wstring wide = AnsiToWide(text);
  BSTR result = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  if (!result) throw std::bad_alloc();
  return result;
}

std::string BstrToAnsi(BSTR text) {
  const UINT length = SysStringLen(text);
  if (length == 0) return std::string();
  const int wideSize = static_cast<int>(length);
  const int size = WideCharToMultiByte(CP_ACP, 0, text, wideSize, nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<std::size_t>(size), '\0');
  if (size > 0) WideCharToMultiByte(CP_ACP, 0, text, wideSize, result.data(), size, nullptr, nullptr);
  return result;
}

}  // namespace notarel
