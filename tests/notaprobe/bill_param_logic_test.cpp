// The bill and parameter pages' logic against the emulator: what reaches the
// device, what the page shows afterwards, and a failing device leaving the
// page's values alone.
#include "page_bill_logic.h"
#include "page_param_logic.h"
#include "pages_test.h"

namespace pages_test {
namespace {

const TDenominationFlags kAll{true, true, true, true, true, true, true, true};
// Denomination1, 3 and 8: mask 0x85.
const TDenominationFlags kPattern{true, false, true, false, false, false, false, true};
// Denomination2 and 7: mask 0x42.
const TDenominationFlags kOther{false, true, false, false, false, false, true, false};

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

using BillLogic = DeviceTest;

TEST_F(BillLogic, WritingEnabledDenominationsReachesTheDeviceAndShowsTheDriversFlags) {
  TBillLogic logic(Driver());
  EXPECT_EQ(logic.Write(TDenominationSet::Enabled, kAll), kAll);
  EXPECT_TRUE(Has(EmuStatus(), "enabled=0xFF")) << EmuStatus();
  EXPECT_EQ(Driver().GetLong(kDispResultCode), 0);

  EXPECT_EQ(logic.Write(TDenominationSet::Enabled, kPattern), kPattern);
  EXPECT_TRUE(Has(EmuStatus(), "enabled=0x85")) << EmuStatus();
  // A read brings the device's set back whatever the boxes showed.
  EXPECT_EQ(logic.Read(TDenominationSet::Enabled, kOther), kPattern);
}

TEST_F(BillLogic, ValidatedSetIsKeptApartOnTheDeviceAndSharesTheDriversFlags) {
  TBillLogic logic(Driver());
  EXPECT_EQ(logic.Write(TDenominationSet::Validated, kOther), kOther);
  EXPECT_EQ(logic.Write(TDenominationSet::Enabled, kPattern), kPattern);
  const std::string status = EmuStatus();
  EXPECT_TRUE(Has(status, "validated=0x42")) << status;
  EXPECT_TRUE(Has(status, "enabled=0x85")) << status;
  // The driver's eight flags serve both sets: each read overwrites them.
  EXPECT_EQ(logic.Read(TDenominationSet::Validated, kAll), kOther);
  EXPECT_EQ(logic.Read(TDenominationSet::Enabled, kAll), kPattern);
}

TEST_F(BillLogic, FailingCommandsLeaveTheBoxesAsTheUserSetThem) {
  UseMissingPort();
  TBillLogic logic(Driver());
  EXPECT_EQ(logic.Read(TDenominationSet::Validated, kPattern), kPattern);
  EXPECT_NE(Driver().GetLong(kDispResultCode), 0);
  EXPECT_EQ(logic.Write(TDenominationSet::Enabled, kOther), kOther);
  EXPECT_NE(Driver().GetLong(kDispResultCode), 0);
  // The flags went into the control all the same, before the command.
  for (int n = 0; n < 8; ++n)
    EXPECT_EQ(Driver().GetBool(kDispDenomination1 + n), kOther[static_cast<size_t>(n)]) << n;
}

using ParamLogic = DeviceTest;

TEST_F(ParamLogic, WritesReachTheDeviceAndReadsBringItsValuesBack) {
  TParamLogic logic(Driver());
  EXPECT_EQ(logic.Write(TDeviceParam::Direction, 200), 200);
  EXPECT_EQ(logic.Write(TDeviceParam::OptionalSettings, 77), 77);
  EXPECT_EQ(logic.Write(TDeviceParam::InhibitStatus, 0), 0);
  std::string status = EmuStatus();
  EXPECT_TRUE(Has(status, "direction=0xC8")) << status;
  EXPECT_TRUE(Has(status, "optional=0x004D")) << status;
  EXPECT_TRUE(Has(status, "inhibit=0")) << status;

  EXPECT_EQ(logic.Read(TDeviceParam::Direction, 3), 200);
  EXPECT_EQ(logic.Read(TDeviceParam::OptionalSettings, 3), 77);
  EXPECT_EQ(logic.Read(TDeviceParam::InhibitStatus, 1), 0);

  EXPECT_EQ(logic.Write(TDeviceParam::InhibitStatus, 1), 1);
  EXPECT_TRUE(Has(EmuStatus(), "inhibit=1")) << EmuStatus();
  EXPECT_EQ(logic.Read(TDeviceParam::InhibitStatus, 0), 1);
}

TEST_F(ParamLogic, WriteShowsTheValueAsTheDriverHoldsIt) {
  TParamLogic logic(Driver());
  // The driver stores the direction's low 8 bits only.
  EXPECT_EQ(logic.Write(TDeviceParam::Direction, 511), 255);
  EXPECT_TRUE(Has(EmuStatus(), "direction=0xFF")) << EmuStatus();
}

TEST_F(ParamLogic, FailedCommandsKeepThePagesValue) {
  TParamLogic logic(Driver());
  ASSERT_EQ(logic.Write(TDeviceParam::Direction, 9), 9);
  UseMissingPort();
  EXPECT_EQ(logic.Write(TDeviceParam::Direction, 17), 17);
  EXPECT_EQ(logic.Read(TDeviceParam::Direction, 23), 23);
  EXPECT_EQ(logic.Read(TDeviceParam::InhibitStatus, 1), 1);
  EXPECT_EQ(logic.Write(TDeviceParam::OptionalSettings, 5), 5);
  EXPECT_NE(Driver().GetLong(kDispResultCode), 0);
  EXPECT_TRUE(Has(EmuStatus(), "direction=0x09")) << EmuStatus();
}

}  // namespace
}  // namespace pages_test
