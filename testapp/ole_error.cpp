// Interface-level errors of the control and their display.
#include "ole_error.h"

#include <oleauto.h>

namespace {

// The text of an exception that is not a TUserError: the C++ library's and
// the C runtime's messages, which are in the ANSI code page.
std::wstring FromAnsi(const char* text) {
  int size = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (size <= 1) return {};
  std::wstring result(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, &result[0], size);
  result.resize(static_cast<size_t>(size - 1));
  return result;
}

// The system's message for an HRESULT, without the trailing line break.
std::wstring SystemMessage(HRESULT hr) {
  wchar_t* buffer = nullptr;
  DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = length && buffer ? std::wstring(buffer, length) : std::wstring();
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
    text.pop_back();
  return text;
}

}  // namespace

TOleError::TOleError(HRESULT hr, std::wstring message)
    : TUserError(std::move(message)), FResult(hr) {}

TOleError TOleError::FromResult(HRESULT hr, const wchar_t* what) {
  std::wstring text;
  IErrorInfo* info = nullptr;
  if (GetErrorInfo(0, &info) == S_OK && info) {
    BSTR description = nullptr;
    if (SUCCEEDED(info->GetDescription(&description)) && description)
      text.assign(description, SysStringLen(description));
    SysFreeString(description);
    info->Release();
  }
  if (text.empty()) text = SystemMessage(hr);
  // The usual reason the control cannot be created, for systems whose
  // message table lacks it.
  if (text.empty() && hr == REGDB_E_CLASSNOTREG) text = L"Класс не зарегистрирован";
  if (text.empty()) text = L"Ошибка";
  wchar_t code[16];
  swprintf(code, 16, L"%08lX", static_cast<unsigned long>(hr));
  std::wstring message = what ? std::wstring(what) + L": " : std::wstring();
  return TOleError(hr, message + text + L" (" + code + L")");
}

void ShowError(HWND owner, const std::exception& error) {
  auto user = dynamic_cast<const TUserError*>(&error);
  std::wstring text = user ? user->Message() : FromAnsi(error.what());
  // The application's title, as its standard error display shows it.
  MessageBoxW(owner, text.c_str(), L"Тест драйвера RUD-003", MB_OK | MB_ICONERROR);
}
