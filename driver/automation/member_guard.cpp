#include "member_guard.h"

#include <cstdio>
#include <cwchar>
#include <new>

#include "Notarel_h.h"
#include "com_ptr.h"
#include "text_convert.h"

namespace notarel {

void CheckHr(HRESULT hr, const char* what) {
  if (SUCCEEDED(hr)) return;
  char text[128];
  std::snprintf(text, sizeof text, "%s failed (0x%08lX)", what, static_cast<unsigned long>(hr));
  throw TComError(hr, text);
}

namespace {

std::wstring PostedDescription() {
  IErrorInfo* info = nullptr;
  if (GetErrorInfo(0, &info) != S_OK || !info) return std::wstring();
  BSTR description = nullptr;
  info->GetDescription(&description);
  info->Release();
  std::wstring text = description ? std::wstring(description, SysStringLen(description)) : std::wstring();
  SysFreeString(description);
  return text;
}

std::wstring SystemMessage(HRESULT hr) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = length ? std::wstring(buffer, length) : std::wstring();
  LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
  return text;
}

}  // namespace

std::wstring ComErrorMessage(HRESULT hr, const std::string& what) {
  std::wstring text = PostedDescription();
  if (text.empty()) text = SystemMessage(hr);
  if (text.empty()) text = DriverTextToWide(what);
  wchar_t code[16];
  std::swprintf(code, 16, L" (0x%08lX)", static_cast<unsigned long>(hr));
  return text + code;
}

HRESULT ReportMemberError(HRESULT hr, const std::string& message, const wchar_t* progId) {
  TComPtr<ICreateErrorInfo> create;
  if (SUCCEEDED(CreateErrorInfo(create.Out()))) {
    create->SetDescription(const_cast<LPOLESTR>(DriverTextToWide(message).c_str()));
    create->SetSource(const_cast<LPOLESTR>(progId));
    create->SetGUID(IID_IWBA003_4);
    TComPtr<IErrorInfo> info;
    if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, info.OutVoid()))) SetErrorInfo(0, info.Get());
  }
  return hr;
}

HRESULT ReportCurrentException(const wchar_t* progId) {
  try {
    throw;
  } catch (const TComError& error) {
    return ReportMemberError(error.Result(), error.what(), progId);
  } catch (const std::bad_alloc& error) {
    return ReportMemberError(E_UNEXPECTED, error.what(), progId);
  } catch (const std::exception& error) {
    return ReportMemberError(E_UNEXPECTED, error.what(), progId);
  } catch (...) {
    return ReportMemberError(E_UNEXPECTED, "Unexpected error", progId);
  }
}

}  // namespace notarel
