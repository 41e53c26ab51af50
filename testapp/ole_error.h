#pragma once
// Errors raised at the control's interface level (a failing HRESULT), and the
// application's standard error display.
#include <windows.h>

#include <exception>
#include <string>

#include "user_error.h"

class TOleError : public TUserError {
 public:
  TOleError(HRESULT hr, std::wstring message);

  HRESULT Result() const { return FResult; }

  // An error for a failing call `what` (a member name): the text of the
  // thread's error information if the object left one, else the system's
  // message for the HRESULT.
  static TOleError FromResult(HRESULT hr, const wchar_t* what);

 private:
  HRESULT FResult;
};

// Shows an error in a message box owned by `owner`: the message of a
// TUserError, the text of any other exception.
void ShowError(HWND owner, const std::exception& error);
