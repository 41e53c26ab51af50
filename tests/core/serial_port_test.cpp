// Opening, configuring and closing the serial port against the emulator's link.
#include <gtest/gtest.h>

#include "device_test.h"
#include "result_codes.h"

namespace notarel {
namespace {

using SerialPort = DeviceTest;

TEST_F(SerialPort, UnsupportedSpeedIsRefusedBeforeAnythingOpens) {
  driver().SetBaudRate(4800);
  EXPECT_FALSE(driver().OpenPort());
  EXPECT_EQ(driver().ResultCode(), -9);
  EXPECT_EQ(driver().ResultDescription(), Cp("Скорость обмена не поддерживается устройством"));
  EXPECT_FALSE(driver().PortOpened());
  // A command on a closed port opens it first and fails with the opening's code.
  EXPECT_FALSE(driver().ReadStatus());
  EXPECT_EQ(driver().ResultCode(), -9);
}

TEST_F(SerialPort, SpeedCheckFailsEvenOnAnOpenPortWhichStaysOpen) {
  ASSERT_TRUE(driver().OpenPort());
  driver().SetBaudRate(115200);
  EXPECT_FALSE(driver().OpenPort());
  EXPECT_EQ(driver().ResultCode(), -9);
  EXPECT_TRUE(driver().PortOpened());
}

TEST_F(SerialPort, OpenTwiceAndCloseTwiceBothSucceedWithCodeZero) {
  EXPECT_TRUE(driver().OpenPort());
  EXPECT_TRUE(driver().OpenPort());
  EXPECT_EQ(driver().ResultCode(), 0);
  EXPECT_EQ(driver().ResultDescription(), Cp("Ошибок нет"));
  EXPECT_TRUE(driver().ClosePort());
  EXPECT_FALSE(driver().PortOpened());
  EXPECT_TRUE(driver().ClosePort());
  EXPECT_EQ(driver().ResultCode(), 0);
}

TEST_F(SerialPort, CommandOpensAClosedPortByItself) {
  ASSERT_FALSE(driver().PortOpened());
  EXPECT_TRUE(driver().ReadStatus());
  EXPECT_TRUE(driver().PortOpened());
  EXPECT_EQ(driver().StatusDescription(), "POWER UP");
}

TEST_F(SerialPort, MissingDeviceGivesOpenErrorWithPlatformText) {
  driver().SetPortPath("");
  driver().SetPortNumber(29);  // no device behind this number here
  EXPECT_FALSE(driver().OpenPort());
  EXPECT_EQ(driver().ResultCode(), -2);
  const std::string prefix = Cp("Ошибка открытия порта. ");
  const std::string text = driver().ResultDescription();
  ASSERT_GT(text.size(), prefix.size());
  EXPECT_EQ(text.substr(0, prefix.size()), prefix);
  const char last = text.back();
  EXPECT_TRUE(last != '.' && last != ' ' && static_cast<unsigned char>(last) >= 0x20) << text;
  EXPECT_FALSE(driver().PortOpened());
}

TEST_F(SerialPort, PortHeldByAnotherProgramIsRefused) {
  if (!peer_->CanTestExclusiveOpen()) GTEST_SKIP() << "the platform does not enforce it";
  ASSERT_TRUE(driver().OpenPort());
  TDriver other;
  peer_->Attach(other);
  EXPECT_FALSE(other.OpenPort());
  EXPECT_EQ(other.ResultCode(), -2);
  other.SetPortPath("/nonexistent");  // its own destruction must not touch the held port
}

TEST_F(SerialPort, PortNumberChangeWaitsForTheNextOpening) {
  ASSERT_TRUE(driver().OpenPort());
  driver().SetPortNumber(29);
  EXPECT_TRUE(driver().ReadStatus());  // still talks through the open port
}

TEST_F(SerialPort, BothSpeedsWorkOpenAndReprogrammedWhileOpen) {
  ASSERT_TRUE(driver().OpenPort());
  driver().SetBaudRate(19200);
  EXPECT_EQ(driver().ResultCode(), 0);
  EXPECT_TRUE(driver().ReadStatus());
  driver().ClosePort();
  EXPECT_TRUE(driver().OpenPort()) << driver().ResultDescription();
  EXPECT_EQ(driver().BaudRate(), 19200);
  EXPECT_TRUE(driver().ReadStatus()) << driver().ResultCode() << " " << driver().ResultDescription();
}

}  // namespace
}  // namespace notarel
