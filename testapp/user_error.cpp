#include "user_error.h"

#include <windows.h>

namespace {

std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), length, &result[0], size, nullptr, nullptr);
  return result;
}

}  // namespace

TUserError::TUserError(std::wstring message) : FMessage(std::move(message)), FUtf8(ToUtf8(FMessage)) {}
