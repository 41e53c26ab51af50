// The texts the pages compute without the control: the connection test's
// labels and the polling page's number fields.
#include <gtest/gtest.h>

#include "page_connect_stats.h"
#include "page_poll_text.h"

namespace {

TEST(ConnectView, LabelsOfOneShownPass) {
  const TConnectView view = FormatConnectView(TConnectCounters{3, 1, 1500}, L',');
  EXPECT_EQ(view.RepCount, L"3");
  EXPECT_EQ(view.ErrCount, L"1");
  EXPECT_EQ(view.TxSpeed, L"2");
  EXPECT_EQ(view.ErrRate, L"33,33");
  EXPECT_EQ(view.TimeLeft, L"1");
  EXPECT_EQ(view.CommandTime, L"500");
}

TEST(ConnectView, WholePartsAreTruncatedAndTheSeparatorIsTheSystems) {
  const TConnectView view = FormatConnectView(TConnectCounters{7, 2, 1999}, L'.');
  EXPECT_EQ(view.TxSpeed, L"3");       // 7000 / 1999 = 3.5
  EXPECT_EQ(view.ErrRate, L"28.57");   // 28.571...
  EXPECT_EQ(view.TimeLeft, L"1");      // 1.999 s
  EXPECT_EQ(view.CommandTime, L"285");  // 285.57 ms
  EXPECT_EQ(FormatConnectView(TConnectCounters{1, 0, 1}, L',').ErrRate, L"0,00");
}

TEST(ConnectView, SpeedStaysRightPastTheThirtyTwoBitProduct) {
  // 3,000,000 passes × 1000 does not fit in 32 bits.
  const TConnectView view = FormatConnectView(TConnectCounters{3000000, 0, 1000}, L',');
  EXPECT_EQ(view.TxSpeed, L"3000000");
  EXPECT_EQ(view.RepCount, L"3000000");
  const TConnectView longest = FormatConnectView(TConnectCounters{4294967, 4294967, 0xFFFFFFFFu}, L',');
  EXPECT_EQ(longest.TimeLeft, L"4294967");
  EXPECT_EQ(longest.CommandTime, L"1000");
  EXPECT_EQ(longest.ErrRate, L"100,00");
}

TEST(PageInteger, AcceptsTheFormsOfANumberField) {
  EXPECT_EQ(ParsePageInteger(L"100"), 100);
  EXPECT_EQ(ParsePageInteger(L"  42"), 42);
  EXPECT_EQ(ParsePageInteger(L"-7"), -7);
  EXPECT_EQ(ParsePageInteger(L"+8"), 8);
  EXPECT_EQ(ParsePageInteger(L"$1F"), 31);
  EXPECT_EQ(ParsePageInteger(L"0x10"), 16);
  EXPECT_EQ(ParsePageInteger(L"2147483647"), 2147483647);
  EXPECT_EQ(ParsePageInteger(L"-2147483648"), -2147483647 - 1);
}

TEST(PageInteger, RejectsWhatIsNotA32BitInteger) {
  for (const wchar_t* text : {L"", L" ", L"abc", L"12a", L"1 ", L"1.5", L"2147483648", L"-2147483649",
                              L"99999999999", L"$", L"0x", L"-", L"１２"}) {
    EXPECT_THROW(ParsePageInteger(text), TConvertError) << testing::PrintToString(std::wstring(text));
  }
  try {
    ParsePageInteger(L"abc");
    FAIL() << "no error";
  } catch (const TConvertError& error) {
    EXPECT_NE(error.Message().find(L"'abc'"), std::wstring::npos);
    EXPECT_STRNE(error.what(), "");
  }
}

}  // namespace
