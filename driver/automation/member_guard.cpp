#include "member_guard.h"

#include <cstdio>
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

HRESULT ReportMemberError(HRESULT hr, const std::string& message, const wchar_t* progId) {
  TComPtr<ICreateErrorInfo> create;
  if (SUCCEEDED(CreateErrorInfo(create.Out()))) {
    create->SetDescription(const_cast<LPOLESTR>(AnsiToWide(message).c_str()));
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
