#pragma once
// Errors raised at the control's interface level (a failing HRESULT), and the
// application's standard error display.
#include <windows.h>

#include <exception>
#include <string>

class TOleError : public std::exception {
 public:
  TOleError(HRESULT hr, std::wstring message);

  // The error's text as the user reads it.
  const std::wstring& Message() const { return FMessage; }
  HRESULT Result() const { return FResult; }
  // The message in the ANSI code page, for std::exception's interface.
  const char* what() const noexcept override { return FNarrow.c_str(); }

  // An error for a failing call `what` (a member name): the text of the
  // thread's error information if the object left one, else the system's
  // message for the HRESULT.
  static TOleError FromResult(HRESULT hr, const wchar_t* what);

 private:
  HRESULT FResult;
  std::wstring FMessage;
  std::string FNarrow;
};

// Shows an error in a message box owned by `owner`: the message of a
// TOleError, the text of any other exception.
void ShowError(HWND owner, const std::exception& error);
