#pragma once
// Texts across the automation boundary. The driver keeps its texts as 8-bit
// Windows-1251 strings; clients see wide strings (BSTR). Both directions go
// through the system ANSI code page, as the driver's clients expect on the
// Russian Windows it was made for.
#include <windows.h>

#include <string>

namespace notarel {

// A newly allocated BSTR, or null when allocation fails (then throws
// std::bad_alloc, since a member cannot return its value without it).
BSTR AnsiToBstr(const std::string& text);
// The text of a BSTR in the ANSI code page; a null BSTR is the empty text.
std::string BstrToAnsi(BSTR text);
// The same conversion for wide texts that are not BSTRs.
std::wstring AnsiToWide(const std::string& text);

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
