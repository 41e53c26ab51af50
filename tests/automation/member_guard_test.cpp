// The edge of the members: an error that escapes becomes an HRESULT and an
// error-info record that names the class and the interface.
#include <new>
#include <stdexcept>

#include "automation_test.h"
#include "member_guard.h"

namespace notarel::test {
namespace {

struct Reported {
  HRESULT hr;
  std::wstring description;
  std::wstring source;
  GUID guid;
};

template <class Body>
Reported Guarded(Body body) {
  Reported reported{S_OK, {}, {}, GUID{}};
  try {
    body();
  } catch (...) {
    reported.hr = ReportCurrentException(L"RUDLib.Notarel");
  }
  TComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.Out()) == S_OK) {
    BSTR text = nullptr;
    info->GetDescription(&text);
    reported.description = TakeBstr(text);
    info->GetSource(&text);
    reported.source = TakeBstr(text);
    info->GetGUID(&reported.guid);
  }
  return reported;
}

TEST(MemberGuard, APlatformFailureKeepsItsOwnHresult) {
  const Reported reported = Guarded([] { CheckHr(E_ACCESSDENIED, "OleCreatePropertyFrame"); });
  EXPECT_EQ(reported.hr, E_ACCESSDENIED);
  EXPECT_EQ(reported.description, L"OleCreatePropertyFrame failed (0x80070005)");
  EXPECT_EQ(reported.source, L"RUDLib.Notarel");
  EXPECT_TRUE(IsEqualGUID(reported.guid, IID_IWBA003_4));
}

TEST(MemberGuard, AnyOtherErrorIsUnexpectedWithItsMessage) {
  // Driver messages are Windows-1251 text, whatever the ANSI code page.
  const Reported reported = Guarded([] { throw std::runtime_error("\xCE\xF8\xE8\xE1\xEA\xE0"); });
  EXPECT_EQ(reported.hr, E_UNEXPECTED);
  EXPECT_EQ(reported.description, L"Ошибка");
  EXPECT_EQ(Guarded([] { throw std::bad_alloc(); }).hr, E_UNEXPECTED);
  EXPECT_EQ(Guarded([] { throw 42; }).hr, E_UNEXPECTED);
}

TEST(MemberGuard, SucceedingCallsLeaveNoHresult) {
  CheckHr(S_FALSE, "anything");
  EXPECT_EQ(Guarded([] { CheckHr(S_OK, "anything"); }).hr, S_OK);
}

}  // namespace
}  // namespace notarel::test
