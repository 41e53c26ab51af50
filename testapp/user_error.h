#pragma once
// An error whose message is meant for the user. The message is kept as wide
// text, so that the application's error display shows it as written whatever
// the system's ANSI code page.
#include <exception>
#include <string>

class TUserError : public std::exception {
 public:
  explicit TUserError(std::wstring message);

  // The error's text as the user reads it.
  const std::wstring& Message() const { return FMessage; }
  // The message in UTF-8, for std::exception's interface.
  const char* what() const noexcept override { return FUtf8.c_str(); }

 private:
  std::wstring FMessage;
  std::string FUtf8;
};
