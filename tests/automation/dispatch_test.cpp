// Late binding: names to DISPIDs through GetIDsOfNames, and calls through
// Invoke that give what the vtable gives.
#include "automation_test.h"

namespace notarel::test {
namespace {

class Dispatch : public ::testing::Test {
 protected:
  void SetUp() override {
    control_ = CreateControl(CLSID_Notarel);
    ASSERT_TRUE(control_);
    dispatch_ = control_.Get();
  }
  TComPtr<IWBA003_4> control_;
  IDispatch* dispatch_ = nullptr;
};

TEST_F(Dispatch, NamesOfAllFourInterfacesResolveToTheirDispids) {
  const std::pair<const wchar_t*, DISPID> names[] = {
      {L"ResultCode", 1},      {L"PortNumber", 4},       {L"Wait", 22},
      {L"FileVersion", 23},    {L"BaudRate", 24},        {L"Ack", 25},
      {L"StartPolling", 26},   {L"PollingStarted", 39},  {L"BillEnabled", 40},
      {L"ExecTime", 60},       {L"SetDefaults", 61},     {L"AboutBox", DISPID_ABOUTBOX},
      {L"BootVersion", 56},    {L"CountryByCode", 62},   {L"FindDevice", 80},
      {L"readstatus", 3},  // names are matched without regard to case
  };
  for (const auto& [name, dispid] : names) {
    EXPECT_EQ(DispIdOf(dispatch_, name), dispid) << std::string(name, name + wcslen(name));
  }
  EXPECT_EQ(DispIdOf(dispatch_, L"NoSuchMember"), DISPID_UNKNOWN);
  EXPECT_EQ(DispIdOf(dispatch_, L"Bill"), DISPID_UNKNOWN);  // an event, not a member
}

TEST_F(Dispatch, InvokeGivesWhatTheVtableGives) {
  VARIANT result;
  ASSERT_EQ(InvokeGet(dispatch_, 23, &result), S_OK);  // FileVersion
  ASSERT_EQ(result.vt, VT_BSTR);
  EXPECT_EQ(TakeBstr(result.bstrVal), L"2.7.0.39");

  ASSERT_EQ(InvokeGet(dispatch_, 1, &result), S_OK);  // ResultCode creates the core
  ASSERT_EQ(result.vt, VT_I4);
  EXPECT_EQ(result.lVal, -12);

  VARIANT speed;
  VariantInit(&speed);
  speed.vt = VT_I4;
  speed.lVal = 19200;
  ASSERT_EQ(InvokePut(dispatch_, 24, speed), S_OK);  // BaudRate
  LONG viaVtable = 0;
  ASSERT_EQ(control_->get_BaudRate(&viaVtable), S_OK);
  EXPECT_EQ(viaVtable, 19200);
  ASSERT_EQ(InvokeGet(dispatch_, 24, &result), S_OK);
  EXPECT_EQ(result.lVal, 19200);

  VARIANT on;
  VariantInit(&on);
  on.vt = VT_BOOL;
  on.boolVal = 1;  // not -1: still true
  ASSERT_EQ(InvokePut(dispatch_, 40, on), S_OK);  // BillEnabled
  ASSERT_EQ(InvokeGet(dispatch_, 40, &result), S_OK);
  ASSERT_EQ(result.vt, VT_BOOL);
  EXPECT_EQ(result.boolVal, VARIANT_TRUE);

  ASSERT_EQ(InvokeGet(dispatch_, 39, &result), S_OK);  // PollingStarted
  EXPECT_EQ(result.boolVal, VARIANT_FALSE);
  ASSERT_EQ(InvokeGet(dispatch_, 60, &result), S_OK);  // ExecTime
  EXPECT_EQ(result.vt, VT_I4);

  ASSERT_EQ(InvokeGet(dispatch_, 61, &result, DISPATCH_METHOD), S_OK);  // SetDefaults
  ASSERT_EQ(result.vt, VT_I4);
  EXPECT_EQ(result.lVal, 0);
  ASSERT_EQ(control_->get_BaudRate(&viaVtable), S_OK);
  EXPECT_EQ(viaVtable, 9600);

  // A method's success flag is -1, never 1.
  ASSERT_EQ(InvokeGet(dispatch_, 64, &result, DISPATCH_METHOD), S_OK);  // CountryByIndex
  ASSERT_EQ(result.vt, VT_BOOL);
  EXPECT_EQ(result.boolVal, VARIANT_TRUE);
}

TEST_F(Dispatch, WritesThroughInvokeFollowTheSameRules) {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_I4;
  value.lVal = 257;
  ASSERT_EQ(InvokePut(dispatch_, 44, value), S_OK);  // DirectionValue
  VARIANT result;
  ASSERT_EQ(InvokeGet(dispatch_, 44, &result), S_OK);
  EXPECT_EQ(result.lVal, 1);
  value.lVal = 33;
  ASSERT_EQ(InvokePut(dispatch_, 4, value), S_OK);  // PortNumber, ignored
  ASSERT_EQ(InvokeGet(dispatch_, 4, &result), S_OK);
  EXPECT_EQ(result.lVal, 1);
  // A text argument converts like any automation client would expect.
  value.vt = VT_BSTR;
  value.bstrVal = SysAllocString(L"RUB");
  ASSERT_EQ(InvokePut(dispatch_, 76, value), S_OK);  // CurrencyName
  VariantClear(&value);
  ASSERT_EQ(InvokeGet(dispatch_, 76, &result), S_OK);
  ASSERT_EQ(result.vt, VT_BSTR);
  EXPECT_EQ(TakeBstr(result.bstrVal), L"RUB");
}

TEST_F(Dispatch, TypeInfoOfTheDispatchIsTheDualInterface) {
  UINT count = 0;
  ASSERT_EQ(dispatch_->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 1u);
  TComPtr<ITypeInfo> info;
  ASSERT_EQ(dispatch_->GetTypeInfo(0, 0, info.Out()), S_OK);
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
  EXPECT_TRUE(IsEqualIID(attr->guid, IID_IWBA003_4));
  EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FDUAL);
  info->ReleaseTypeAttr(attr);
}

}  // namespace
}  // namespace notarel::test
