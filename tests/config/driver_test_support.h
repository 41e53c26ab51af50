#pragma once
// A driver for tests of its settings and tables: its port leads nowhere (its
// destruction sends an inhibit, which must not reach a real serial port), and
// its settings file sits in a scratch folder of its own.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "config_test_support.h"
#include "driver.h"

namespace notarel::test {

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = std::filesystem::temp_directory_path() /
              ("notarel-" + std::to_string(::getpid()) + "-" + info->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    driver_.SetPortPath("/nonexistent/port");
    driver_.SetFileName(Path("settings.xml"));
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::string Path(const std::string& name) const { return (folder_ / name).string(); }
  void WriteFile(const std::string& bytes, const std::string& name = "settings.xml") {
    std::ofstream(Path(name), std::ios::binary) << bytes;
  }
  std::string ReadFile(const std::string& name = "settings.xml") const {
    std::ifstream in(Path(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // The state LoadParams leaves when nothing of the file applies.
  void ExpectDefaults() {
    EXPECT_EQ(driver_.PortNumber(), 1);
    EXPECT_EQ(driver_.BaudRate(), 9600);
    EXPECT_EQ(driver_.CountryCount(), 8);
    EXPECT_EQ(driver_.CurrentCountryCode(), 1);
  }

  std::filesystem::path folder_;
  TDriver driver_;
};

}  // namespace notarel::test
