// Every device command: the bytes it sends, the replies it accepts, what it stores.
#include <gtest/gtest.h>

#include "device_test.h"

namespace notarel {
namespace {

using Commands = DeviceTest;

TEST_F(Commands, ControlCommandsAnsweredWithAck) {
  struct Case {
    bool (TDriver::*command)();
    const char* frame;
  };
  const Case cases[] = {{&TDriver::Reset, "FC 05 40 2B 15"}, {&TDriver::Stack1, nullptr},
                        {&TDriver::Stack2, nullptr},         {&TDriver::Return, nullptr},
                        {&TDriver::Hold, nullptr},           {&TDriver::Wait, nullptr}};
  std::uint8_t code = 0x40;
  for (const Case& c : cases) {
    EXPECT_TRUE((driver().*c.command)()) << std::hex << int(code);
    EXPECT_EQ(driver().Output(), HexDump(BuildFrame({code})));
    if (c.frame) {
      EXPECT_EQ(driver().Output(), c.frame);
    }
    EXPECT_EQ(driver().Input(), HexDump(BuildFrame({0x50})));
    EXPECT_EQ(driver().ResultCode(), 0);
    EXPECT_EQ(driver().ResultDescription(), Cp("Ошибок нет"));
    ++code;
  }
}

TEST_F(Commands, ControlCommandRefusalsAndOddAnswers) {
  Emu("reply 4B");
  EXPECT_FALSE(driver().Reset());
  EXPECT_EQ(driver().ResultCode(), 75);
  EXPECT_EQ(driver().ResultDescription(), Cp("Неизвестная команда"));
  EXPECT_EQ(driver().ExecTime(), 0);
  Emu("reply 11");
  EXPECT_FALSE(driver().Reset());
  EXPECT_EQ(driver().ResultCode(), -7);
  EXPECT_EQ(driver().ResultDescription(), Cp("Неизвестный код ответа"));
}

TEST_F(Commands, UnknownCommandToTheEmulatorGivesCode75) {
  // Stack2 is known to the device; a command byte it does not know comes back as 0x4B.
  Emu("reply 4B");
  EXPECT_FALSE(driver().Wait());
  EXPECT_EQ(driver().ResultCode(), 75);
}

TEST_F(Commands, AckSendsWithoutReadingAndKeepsThePreviousResult) {
  Emu("silent 10000");
  EXPECT_FALSE(driver().ReadStatus());
  ASSERT_EQ(driver().ResultCode(), -1);
  EXPECT_TRUE(driver().Ack());
  EXPECT_EQ(driver().Output(), "FC 05 50 AA 05");
  EXPECT_EQ(driver().Input(), "");
  EXPECT_EQ(driver().ResultCode(), -1);
}

TEST_F(Commands, EnabledDenominationsTravelInvertedAndStoreTheAnswer) {
  for (int i = 1; i <= 8; ++i) driver().SetDenomination(i, true);
  ASSERT_TRUE(driver().WriteEnabledDenominations());
  EXPECT_EQ(driver().Output(), "FC 07 C0 00 00 2D B5");
  for (int i = 1; i <= 8; ++i) driver().SetDenomination(i, false);
  ASSERT_TRUE(driver().WriteEnabledDenominations());
  EXPECT_EQ(driver().Output(), HexDump(BuildFrame({0xC0, 0xFF, 0x00})));

  Emu("reply C0 0F 00");
  ASSERT_TRUE(driver().WriteEnabledDenominations());
  for (int i = 1; i <= 4; ++i) EXPECT_FALSE(driver().Denomination(i)) << i;
  for (int i = 5; i <= 8; ++i) EXPECT_TRUE(driver().Denomination(i)) << i;
}

TEST_F(Commands, ValidatedDenominationsOverwriteTheSameFlags) {
  driver().SetDenomination(1, true);
  driver().SetDenomination(8, true);
  ASSERT_TRUE(driver().WriteEnabledDenominations());
  Emu("reply 81 06 00");
  ASSERT_TRUE(driver().ReadValidatedDenominations());
  EXPECT_EQ(driver().DenominationMask(), 0x06);
  ASSERT_TRUE(driver().ReadEnabledDenominations());  // the emulator still has 1 and 8 enabled
  EXPECT_EQ(driver().DenominationMask(), 0x81);
  driver().SetDenomination(3, true);
  ASSERT_TRUE(driver().WriteValidatedDenominations());
  EXPECT_EQ(driver().Output(), HexDump(BuildFrame({0xC1, 0x85, 0x00})));
}

TEST_F(Commands, DenominationIndexOutsideOneToEightIsAnError) {
  EXPECT_THROW(driver().Denomination(0), std::out_of_range);
  EXPECT_THROW(driver().SetDenomination(9, true), std::out_of_range);
  try {
    driver().Denomination(9);
  } catch (const std::out_of_range& e) {
    EXPECT_EQ(std::string(e.what()), Cp("Неверное значение индекса"));
  }
}

TEST_F(Commands, InhibitDirectionAndOptionalSettingsRoundTrip) {
  driver().SetInhibitStatus(true);
  ASSERT_TRUE(driver().WriteInhibitStatus());
  EXPECT_EQ(driver().Output(), "FC 06 C3 01 8D C7");
  driver().SetInhibitStatus(false);
  ASSERT_TRUE(driver().ReadInhibitStatus());
  EXPECT_TRUE(driver().InhibitStatus());

  driver().SetDirectionValue(0x0F);
  ASSERT_TRUE(driver().WriteDirection());
  driver().SetDirectionValue(0);
  ASSERT_TRUE(driver().ReadDirection());
  EXPECT_EQ(driver().DirectionValue(), 0x0F);

  driver().SetOptionalSettings(9029);
  ASSERT_TRUE(driver().WriteOptionalSettings());
  EXPECT_EQ(driver().Output(), HexDump(BuildFrame({0xC5, 0x23, 0x45})));
  driver().SetOptionalSettings(0);
  ASSERT_TRUE(driver().ReadOptionalSettings());
  EXPECT_EQ(driver().OptionalSettings(), 9029);
}

TEST_F(Commands, WriteStoresWhatTheDeviceAnswered) {
  driver().SetDirectionValue(0x03);
  Emu("reply C4 01");
  ASSERT_TRUE(driver().WriteDirection());
  EXPECT_EQ(driver().DirectionValue(), 0x01);
}

TEST_F(Commands, ShortOrUnechoedSettingRepliesLeaveTheFields) {
  driver().SetInhibitStatus(true);
  Emu("reply 83");
  EXPECT_FALSE(driver().ReadInhibitStatus());
  EXPECT_EQ(driver().ResultCode(), -6);
  EXPECT_TRUE(driver().InhibitStatus());
  EXPECT_EQ(driver().ExecTime(), 0);

  driver().SetOptionalSettings(0x1234);
  Emu("reply 4B");
  EXPECT_FALSE(driver().WriteOptionalSettings());
  EXPECT_EQ(driver().ResultCode(), -6);
  EXPECT_EQ(driver().OptionalSettings(), 0x1234);

  driver().SetDenomination(2, true);
  Emu("reply 80 FF");
  EXPECT_FALSE(driver().ReadEnabledDenominations());
  EXPECT_EQ(driver().ResultCode(), -6);
  EXPECT_EQ(driver().DenominationMask(), 0x02);
}

TEST_F(Commands, ModelAndFirmwareKeepTheirRawBytes) {
  ASSERT_TRUE(driver().ReadModelID());
  EXPECT_EQ(driver().ModelID(), "RDRUB003");
  EXPECT_EQ(driver().DeviceCountryCode(), "RUB");
  ASSERT_TRUE(driver().ReadBootVersion());
  EXPECT_EQ(driver().BootVersion(), "V1.07");

  Emu("reply 88 41 00 FF");
  ASSERT_TRUE(driver().ReadModelID());
  EXPECT_EQ(driver().ModelID(), std::string("A\0\xFF", 3));
  EXPECT_EQ(driver().DeviceCountryCode(), "\xFF");
  Emu("reply 88 41 42");
  ASSERT_TRUE(driver().ReadModelID());
  EXPECT_EQ(driver().DeviceCountryCode(), "");
  Emu("reply 88");
  ASSERT_TRUE(driver().ReadModelID());
  EXPECT_EQ(driver().ModelID(), "");
}

}  // namespace
}  // namespace notarel
