// Out-of-range numbers, null and very long texts through the vtable, and a
// port whose device is gone: each gives a clear result code, never a crash
// or a hang.
#include <cstdlib>
#include <string>

#include "automation_test.h"
#include "emulator_peer.h"

namespace notarel::test {
namespace {

class BadValues : public ::testing::Test {
 protected:
  void SetUp() override {
    control_ = CreateControl(CLSID_Notarel2);
    ASSERT_TRUE(control_);
  }
  LONG Code() {
    LONG code = 12345;
    EXPECT_EQ(control_->get_ResultCode(&code), S_OK);
    return code;
  }
  std::wstring Description() {
    BSTR text = nullptr;
    EXPECT_EQ(control_->get_ResultDescription(&text), S_OK);
    return TakeBstr(text);
  }
  VARIANT_BOOL Run(HRESULT (STDMETHODCALLTYPE IWBA003_4::*method)(VARIANT_BOOL*)) {
    VARIANT_BOOL ok = 7;
    EXPECT_EQ((control_.Get()->*method)(&ok), S_OK);
    return ok;
  }
  int DevicePort() { return std::atoi(std::getenv("NOTAREL_EMU_COM")); }
  TComPtr<IWBA003_4> control_;
};

TEST_F(BadValues, NullTextsAreEmptyAndLongTextsRoundTrip) {
  ASSERT_EQ(control_->put_CurrencyName(nullptr), S_OK);
  ASSERT_EQ(control_->put_FileName(nullptr), S_OK);
  BSTR text = nullptr;
  ASSERT_EQ(control_->get_CurrencyName(&text), S_OK);
  EXPECT_EQ(TakeBstr(text), L"");
  // No country's currency is the empty name, and no file has the empty path.
  EXPECT_EQ(Run(&IWBA003_4::CountryByCurrencyName), VARIANT_FALSE);
  EXPECT_EQ(Code(), -15);
  EXPECT_EQ(Description(), L"Неверное название валюты");
  EXPECT_EQ(Run(&IWBA003_4::LoadParams), VARIANT_FALSE);
  EXPECT_NE(Code(), 0);
  // 1 MB of Cyrillic goes through the ANSI code page and back unchanged.
  const std::wstring big(1 << 20, L'ё');
  BSTR value = SysAllocStringLen(big.data(), static_cast<UINT>(big.size()));
  ASSERT_EQ(control_->put_CurrencyName(value), S_OK);
  SysFreeString(value);
  ASSERT_EQ(control_->get_CurrencyName(&text), S_OK);
  EXPECT_TRUE(TakeBstr(text) == big);
  EXPECT_EQ(Run(&IWBA003_4::CountryByCurrencyName), VARIANT_FALSE);
  EXPECT_EQ(Code(), -15);
}

TEST_F(BadValues, OutOfRangeIndexesAndSpeedsGiveTheirCodes) {
  LONG count = 0;
  ASSERT_EQ(control_->get_CountryCount(&count), S_OK);
  ASSERT_GT(count, 0);
  for (LONG index : {LONG(-1), count, LONG(0x7FFFFFFF), LONG(-0x7FFFFFFF - 1)}) {
    ASSERT_EQ(control_->put_CountryIndex(index), S_OK);
    // Selecting by index reports by its flag alone and leaves the result as it was.
    const LONG before = Code();
    EXPECT_EQ(Run(&IWBA003_4::CountryByIndex), VARIANT_FALSE) << index;
    EXPECT_EQ(Code(), before) << index;
    EXPECT_EQ(Run(&IWBA003_4::GetCountryParams), VARIANT_FALSE) << index;
    EXPECT_EQ(Code(), -10) << index;
  }
  // Forms 0 to 12 and the agreeing form 13 are the valid currency indexes.
  ASSERT_EQ(control_->put_CountryIndex(0), S_OK);
  for (LONG index : {LONG(-1), LONG(14), LONG(0x7FFFFFFF)}) {
    ASSERT_EQ(control_->put_CurrencyIndex(index), S_OK);
    EXPECT_EQ(Run(&IWBA003_4::GetCountryParams), VARIANT_FALSE) << index;
    EXPECT_EQ(Code(), -11) << index;
  }
  ASSERT_EQ(control_->put_CountryCode(-1), S_OK);
  EXPECT_EQ(Run(&IWBA003_4::CountryByCode), VARIANT_FALSE);
  EXPECT_EQ(Code(), -14);
  ASSERT_EQ(control_->put_BillCode(-1), S_OK);
  EXPECT_EQ(Run(&IWBA003_4::GetBillSumm), VARIANT_FALSE);
  for (LONG speed : {LONG(0), LONG(-9600), LONG(12345), LONG(0x7FFFFFFF)}) {
    ASSERT_EQ(control_->put_BaudRate(speed), S_OK);
    EXPECT_EQ(Run(&IWBA003_4::OpenPort), VARIANT_FALSE) << speed;
    EXPECT_EQ(Code(), -9) << speed;
    EXPECT_EQ(Description(), L"Скорость обмена не поддерживается устройством");
  }
}

TEST_F(BadValues, ExtremePollingTimesStillStopAndRelease) {
  std::unique_ptr<EmulatorPeer> peer = EmulatorPeer::Start();
  ASSERT_TRUE(peer);
  ASSERT_EQ(control_->put_PortNumber(DevicePort()), S_OK);
  for (LONG interval : {LONG(-1), LONG(0), LONG(0x7FFFFFFF)}) {
    ASSERT_EQ(control_->put_PollingInterval(interval), S_OK);
    ASSERT_EQ(control_->put_ErrorTimeout(interval), S_OK);
    EXPECT_EQ(Run(&IWBA003_4::StartPolling), VARIANT_TRUE) << interval;
    EXPECT_EQ(Run(&IWBA003_4::StopPolling), VARIANT_TRUE) << interval;
  }
  // Released while an endless pause may be under way: the release ends the
  // loop instead of waiting for the pause.
  EXPECT_EQ(Run(&IWBA003_4::StartPolling), VARIANT_TRUE);
  control_.Reset();
  using CanUnload = HRESULT(STDAPICALLTYPE*)();
  const auto canUnload = reinterpret_cast<CanUnload>(
      reinterpret_cast<void*>(GetProcAddress(ServerModule(), "DllCanUnloadNow")));
  EXPECT_EQ(canUnload(), S_OK);
}

TEST_F(BadValues, APortWithNothingBehindItFailsWithTheOpenError) {
  ASSERT_EQ(control_->put_PortNumber(32), S_OK);
  EXPECT_EQ(Run(&IWBA003_4::ReadStatus), VARIANT_FALSE);
  EXPECT_EQ(Code(), -2);
  EXPECT_EQ(Description().rfind(L"Ошибка открытия порта. ", 0), 0u) << "the driver's own words first";
  VARIANT_BOOL opened = 7;
  ASSERT_EQ(control_->get_PortOpened(&opened), S_OK);
  EXPECT_EQ(opened, VARIANT_FALSE);
  EXPECT_EQ(Run(&IWBA003_4::Reset), VARIANT_FALSE);
  EXPECT_EQ(Code(), -2);
}

TEST_F(BadValues, ADeviceThatHangsUpFailsOnceAndTheNextCommandReopensThePort) {
  std::unique_ptr<EmulatorPeer> peer = EmulatorPeer::Start();
  ASSERT_TRUE(peer);
  ASSERT_EQ(control_->put_PortNumber(DevicePort()), S_OK);
  ASSERT_EQ(Run(&IWBA003_4::ReadStatus), VARIANT_TRUE);
  // The emulator closes its end and opens a new one behind the same COM name;
  // the handle the driver holds now leads nowhere.
  ASSERT_EQ(peer->Command("hangup").substr(0, 2), "OK");
  EXPECT_EQ(Run(&IWBA003_4::ReadStatus), VARIANT_FALSE);
  const LONG code = Code();
  EXPECT_TRUE(code == -1 || code == -8) << code;
  EXPECT_FALSE(Description().empty());
  // The driver let go of the dead handle: the next command opens the port
  // again and reaches the device on its new line, with no ClosePort.
  EXPECT_EQ(Run(&IWBA003_4::ReadModelID), VARIANT_TRUE);
  EXPECT_EQ(Code(), 0);
  // Closing and opening again by hand works as well.
  EXPECT_EQ(Run(&IWBA003_4::ClosePort), VARIANT_TRUE);
  EXPECT_EQ(Run(&IWBA003_4::ReadStatus), VARIANT_TRUE);
  EXPECT_EQ(Code(), 0);
  EXPECT_EQ(Description(), L"Ошибок нет");
}

}  // namespace
}  // namespace notarel::test
