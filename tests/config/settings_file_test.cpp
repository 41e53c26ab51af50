// The settings file: where it is, its exact layout, and what each kind of bad
// file leaves behind.
#include <gtest/gtest.h>

#include "driver_test_support.h"
#include "settings_file.h"

namespace notarel::test {
namespace {

std::string DefaultFileStart() {
  const char* const forms[] = {"рубль", "рубли", "рубля",  "рублей",  "рублю", "рублям",
                               "рубль", "рубли", "рублем", "рублями", "рубле", "рублях"};
  std::string text = "<?xml version=\"1.0\" encoding=\"Windows-1251\" ?>\r\n<settings>\r\n"
                     "  <ConnectionParams>\r\n    <PortNumber>1</PortNumber>\r\n"
                     "    <BaudRate>9600</BaudRate>\r\n  </ConnectionParams>\r\n"
                     "  <CountryDenominations>\r\n    <CurrentCountryCode>1</CurrentCountryCode>\r\n"
                     "    <Country>\r\n      <CountryName>Россия</CountryName>\r\n"
                     "      <CountryCode>643</CountryCode>\r\n      <CurrencyName0>RUB</CurrencyName0>\r\n";
  for (int i = 1; i <= 12; ++i) {
    const std::string n = std::to_string(i);
    text += "      <CurrencyName" + n + ">" + forms[i - 1] + "</CurrencyName" + n + ">\r\n";
  }
  text += "      <Bills>\r\n        <Bill>\r\n          <Code>99</Code>\r\n"
          "          <Value>10</Value>\r\n        </Bill>\r\n";
  return W(text);
}

TEST(SettingsFileName, ExtensionOfTheModuleIsReplaced) {
  EXPECT_EQ(SettingsFileNameFor("C:\\Program Files\\RUD\\Notarel.dll"),
            "C:\\Program Files\\RUD\\Notarel.xml");
  EXPECT_EQ(SettingsFileNameFor("/usr/bin/notarel"), "/usr/bin/notarel.xml");
  EXPECT_EQ(SettingsFileNameFor("/opt/v1.2/notarel"), "/opt/v1.2/notarel.xml");
  EXPECT_EQ(SettingsFileNameFor("C:\\a.b\\drv.x.dll"), "C:\\a.b\\drv.x.xml");
  // A fresh driver's file sits beside the program that holds the driver.
  TDriver driver;
  driver.SetPortPath("/nonexistent/port");
  EXPECT_EQ(driver.FileName(), SettingsFileNameFor(ModulePath()));
  EXPECT_NE(driver.FileName().find("notarel_config_tests.xml"), std::string::npos);
}

TEST_F(SettingsTest, MissingFileLeavesDefaultsAndCode12) {
  driver_.SetPortNumber(7);
  driver_.SetBaudRate(19200);
  EXPECT_FALSE(driver_.LoadParams());
  EXPECT_EQ(driver_.ResultCode(), -12);
  EXPECT_EQ(driver_.ResultDescription(), W("Файл не существует"));
  ExpectDefaults();
}

TEST_F(SettingsTest, DefaultsAreSavedInTheExactLayoutAndReadBack) {
  driver_.SetDefaults();
  ASSERT_TRUE(driver_.SaveParams()) << driver_.ResultDescription();
  EXPECT_EQ(driver_.ResultCode(), 0);
  const std::string saved = ReadFile();
  const std::string start = DefaultFileStart();
  ASSERT_GE(saved.size(), start.size());
  EXPECT_EQ(saved.substr(0, start.size()), start);
  const std::string end = W("  </CountryDenominations>\r\n</settings>\r\n");
  EXPECT_EQ(saved.substr(saved.size() - end.size()), end);
  EXPECT_NE(saved.find(W("<CurrencyName12>кронах</CurrencyName12>")), std::string::npos);

  driver_.SetPortNumber(9);
  ASSERT_TRUE(driver_.LoadParams()) << driver_.ResultDescription();
  ExpectDefaults();
  ASSERT_TRUE(driver_.SaveParams());
  EXPECT_EQ(ReadFile(), saved);  // the same state gives the same bytes
  // Nothing but the file itself is left in its folder.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), {}), 1);
}

TEST_F(SettingsTest, ChangedSettingsSurviveASaveAndLoad) {
  driver_.SetDefaults();
  driver_.SetPortNumber(12);
  driver_.SetBaudRate(19200);
  driver_.SetCountryCode(974);
  ASSERT_TRUE(driver_.CountryByCode());
  ASSERT_TRUE(driver_.SaveParams());
  TDriver other;
  other.SetPortPath("/nonexistent/port");
  other.SetFileName(driver_.FileName());
  ASSERT_TRUE(other.LoadParams());
  EXPECT_EQ(other.PortNumber(), 12);
  EXPECT_EQ(other.BaudRate(), 19200);
  EXPECT_EQ(other.CurrentCountryCode(), 974);
  EXPECT_EQ(other.CountryIndex(), 3);  // follows the code written before the countries
}

TEST_F(SettingsTest, DocumentElementWithoutChildren) {
  WriteFile("<settings/>");
  EXPECT_TRUE(driver_.LoadParams());  // an unnamed root holding one empty element
  EXPECT_EQ(driver_.ResultCode(), 0);
  ExpectDefaults();
  for (const char* empty : {"<settings></settings>", "", "   \r\n  \t"}) {
    WriteFile(empty);
    driver_.SetPortNumber(5);
    EXPECT_FALSE(driver_.LoadParams()) << '"' << empty << '"';
    EXPECT_EQ(driver_.ResultCode(), -13);
    EXPECT_EQ(driver_.ResultDescription(), W("Неверный формат файла"));
    ExpectDefaults();
  }
}

TEST_F(SettingsTest, SectionsAppliedAsFarAsTheyGo) {
  WriteFile("<settings><connectionparams><portnumber>4</portnumber>"
            "<BAUDRATE>4800</BAUDRATE></connectionparams></settings>");
  ASSERT_TRUE(driver_.LoadParams()) << driver_.ResultDescription();
  EXPECT_EQ(driver_.PortNumber(), 4);
  EXPECT_EQ(driver_.BaudRate(), 4800);  // refused only when the port opens
  EXPECT_EQ(driver_.CountryCount(), 8);
  EXPECT_FALSE(driver_.OpenPort());
  EXPECT_EQ(driver_.ResultCode(), -9);

  WriteFile("<settings><CountryDenominations><CurrentCountryCode>5</CurrentCountryCode>"
            "</CountryDenominations></settings>");
  ASSERT_TRUE(driver_.LoadParams());
  EXPECT_EQ(driver_.CountryCount(), 0);
  EXPECT_EQ(driver_.CurrentCountryCode(), 5);
}

TEST_F(SettingsTest, BadNumbersAndBrokenXmlAreReportedWithTheirMessage) {
  WriteFile("<settings><ConnectionParams><PortNumber>3</PortNumber>"
            "<BaudRate>96OO</BaudRate></ConnectionParams></settings>");
  EXPECT_FALSE(driver_.LoadParams());
  EXPECT_EQ(driver_.ResultCode(), -8);
  EXPECT_EQ(driver_.ResultDescription(), "'96OO' is not a valid integer value");
  EXPECT_EQ(driver_.PortNumber(), 3);  // applied before the error
  EXPECT_EQ(driver_.BaudRate(), 9600);

  driver_.SetDefaults();
  ASSERT_TRUE(driver_.SaveParams());
  const std::string whole = ReadFile();
  for (std::size_t cut : {whole.size() / 3, whole.size() - 20}) {
    WriteFile(whole.substr(0, cut) + "<");
    driver_.SetPortNumber(6);
    EXPECT_FALSE(driver_.LoadParams()) << cut;
    EXPECT_EQ(driver_.ResultCode(), -8);
    EXPECT_NE(driver_.ResultDescription().find(" on line "), std::string::npos)
        << driver_.ResultDescription();
    ExpectDefaults();  // a tree that did not load whole is not applied
  }
}

TEST_F(SettingsTest, OddBytesInTheFileNeverCrashTheReader) {
  WriteFile(std::string("<settings><Connection\0Params/>", 30) + "</settings>");
  driver_.LoadParams();
  EXPECT_TRUE(driver_.ResultCode() == 0 || driver_.ResultCode() == -8 ||
              driver_.ResultCode() == -13)
      << driver_.ResultCode();
  WriteFile("<settings><ConnectionParams><PortNumber>2</PortNumber></ConnectionParams>" +
            std::string(1100000, 'x') + "</settings>");
  driver_.LoadParams();
  EXPECT_TRUE(driver_.ResultCode() == 0 || driver_.ResultCode() == -8) << driver_.ResultCode();
}

TEST_F(SettingsTest, SaveIntoAMissingFolderFailsAndLeavesNothing) {
  // The file name is in the file system's own code page (UTF-8 here); inside
  // the message it reads in Windows-1251 like every driver text.
  driver_.SetFileName(Path("no/such/Настройки/settings.xml"));
  EXPECT_FALSE(driver_.SaveParams());
  EXPECT_EQ(driver_.ResultCode(), -8);
  EXPECT_EQ(driver_.ResultDescription(),
            W("Cannot create file " + Path("no/such/Настройки/settings.xml")));
  EXPECT_FALSE(driver_.LoadParams());
  EXPECT_EQ(driver_.ResultCode(), -12);
}

TEST_F(SettingsTest, AFailedReplacementKeepsWhatWasThere) {
  // A folder where the file should be cannot take the file's content.
  std::filesystem::create_directories(Path("taken.xml"));
  WriteFile("keep me", "taken.xml/inside");
  driver_.SetFileName(Path("taken.xml"));
  EXPECT_FALSE(driver_.SaveParams());
  EXPECT_EQ(driver_.ResultDescription(), "Cannot create file " + driver_.FileName());
  EXPECT_EQ(ReadFile("taken.xml/inside"), "keep me");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), {}), 1);

  WriteFile("old contents that are longer than nothing");
  driver_.SetFileName(Path("settings.xml"));
  ASSERT_TRUE(driver_.SaveParams());
  EXPECT_EQ(ReadFile().rfind("<?xml", 0), 0u);
}

}  // namespace
}  // namespace notarel::test
