#pragma once
// Texts across the automation boundary. The driver keeps its texts (result
// messages, country and currency names, device descriptions) as 8-bit
// Windows-1251 strings, whatever the system's ANSI code page; clients and
// windows see wide strings. File paths are the exception: the driver hands
// them to the file functions, which read them in the ANSI code page.
#include <windows.h>

#include <string>

namespace notarel {

// The Windows-1251 code page of the driver's texts.
constexpr UINT kDriverCodePage = 1251;

// A driver text as a newly allocated BSTR; throws std::bad_alloc when the
// BSTR cannot be allocated, since a member cannot return its value without it.
BSTR DriverTextToBstr(const std::string& text);
// A BSTR as a driver text; a null BSTR is the empty text. Characters that
// Windows-1251 lacks become '?'.
std::string BstrToDriverText(BSTR text);
// A driver text as a wide text, for the windows.
std::wstring DriverTextToWide(const std::string& text);

// A file path in the ANSI code page as a newly allocated BSTR (throws
// std::bad_alloc like DriverTextToBstr), and back.
BSTR AnsiPathToBstr(const std::string& path);
std::string BstrToAnsiPath(BSTR path);

// The text of a BSTR as it is; a null BSTR is the empty text.
std::wstring BstrToWide(BSTR text);

// Holds one BSTR and frees it.
class TBstr {
 public:
  TBstr() = default;
  explicit TBstr(BSTR owned) : bstr_(owned) {}
  TBstr(const TBstr&) = delete;
  TBstr& operator=(const TBstr&) = delete;
  ~TBstr() { SysFreeString(bstr_); }
  BSTR Get() const { return bstr_; }
  BSTR* Out() {
    SysFreeString(bstr_);
    bstr_ = nullptr;
    return &bstr_;
  }

 private:
  BSTR bstr_ = nullptr;
};

}  // namespace notarel
