// Saving the settings file over one the user has set up, with the Windows file
// functions: a read-only file is refused, the attributes and hard links of the
// file stay, a symbolic link leads the save to its target, a file of the
// user's own beside it is left alone, and no temporary file is left behind.
#include <gtest/gtest.h>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "driver.h"

namespace notarel::test {
namespace {

class SettingsWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    ASSERT_NE(GetTempPathA(sizeof temp, temp), 0u);
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = std::string(temp) + "notarel-" + std::to_string(GetCurrentProcessId()) + "-" +
              info->name();
    RemoveFolder();
    ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr)) << folder_;
    // No such device: the inhibit the driver sends on destruction goes nowhere.
    driver_.SetPortPath("\\\\.\\NOTAREL-NO-PORT");
    driver_.SetFileName(Path("settings.xml"));
    driver_.SetDefaults();
  }
  void TearDown() override { RemoveFolder(); }

  std::string Path(const std::string& name) const { return folder_ + "\\" + name; }
  void WriteFile(const std::string& bytes, const std::string& name = "settings.xml") {
    std::ofstream(Path(name), std::ios::binary) << bytes;
  }
  std::string ReadFile(const std::string& name = "settings.xml") const {
    std::ifstream in(Path(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::set<std::string> Names() const {
    std::set<std::string> names;
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA(Path("*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
      const std::string name = found.cFileName;
      if (name != "." && name != "..") names.insert(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
  }
  void RemoveFolder() {
    for (const std::string& name : Names()) {
      SetFileAttributesA(Path(name).c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(Path(name).c_str());
    }
    RemoveDirectoryA(folder_.c_str());
  }
  static bool IsSavedSettings(const std::string& bytes) {
    return bytes.rfind("<?xml", 0) == 0 &&
           bytes.find("<BaudRate>9600</BaudRate>") != std::string::npos;
  }

  std::string folder_;
  TDriver driver_;
};

TEST_F(SettingsWin32Test, AReadOnlyFileIsRefused) {
  WriteFile("keep me");
  ASSERT_TRUE(SetFileAttributesA(Path("settings.xml").c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(driver_.SaveParams());
  EXPECT_EQ(driver_.ResultCode(), -8);
  EXPECT_EQ(driver_.ResultDescription(), "Cannot create file " + Path("settings.xml"));
  EXPECT_TRUE(ReadFile() == "keep me");  // not EXPECT_EQ: a failure would print the whole new file
  EXPECT_TRUE(GetFileAttributesA(Path("settings.xml").c_str()) & FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(Names(), std::set<std::string>{"settings.xml"});
}

TEST_F(SettingsWin32Test, AttributesAndFurtherHardLinksAreKept) {
  WriteFile("old");
  ASSERT_TRUE(SetFileAttributesA(Path("settings.xml").c_str(),
                                 FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
  ASSERT_TRUE(driver_.SaveParams()) << driver_.ResultDescription();
  EXPECT_TRUE(IsSavedSettings(ReadFile()));
  EXPECT_TRUE(GetFileAttributesA(Path("settings.xml").c_str()) & FILE_ATTRIBUTE_HIDDEN);

  WriteFile("old", "linked.xml");
  ASSERT_TRUE(CreateHardLinkA(Path("shared.xml").c_str(), Path("linked.xml").c_str(), nullptr));
  driver_.SetFileName(Path("linked.xml"));
  ASSERT_TRUE(driver_.SaveParams()) << driver_.ResultDescription();
  EXPECT_TRUE(IsSavedSettings(ReadFile("linked.xml")));
  EXPECT_TRUE(ReadFile("shared.xml") == ReadFile("linked.xml"));
  EXPECT_EQ(Names(), (std::set<std::string>{"linked.xml", "settings.xml", "shared.xml"}));
}

TEST_F(SettingsWin32Test, FilesBesideItAreLeftAloneAndNoTemporaryStays) {
  WriteFile("the user's own", "settings.xml.new");
  ASSERT_TRUE(driver_.SaveParams()) << driver_.ResultDescription();  // a new file
  WriteFile("old");
  ASSERT_TRUE(driver_.SaveParams()) << driver_.ResultDescription();  // over an old one
  EXPECT_TRUE(IsSavedSettings(ReadFile()));
  EXPECT_EQ(ReadFile("settings.xml.new"), "the user's own");
  EXPECT_EQ(Names(), (std::set<std::string>{"settings.xml", "settings.xml.new"}));

  driver_.SetFileName(Path("no\\such\\folder\\settings.xml"));
  EXPECT_FALSE(driver_.SaveParams());
  EXPECT_EQ(driver_.ResultDescription(), "Cannot create file " + driver_.FileName());
  EXPECT_EQ(Names(), (std::set<std::string>{"settings.xml", "settings.xml.new"}));
}

TEST_F(SettingsWin32Test, ASymbolicLinkIsFollowedAndKept) {
  WriteFile("old", "real.xml");
  const std::string link = Path("settings.xml");
  const std::string real = Path("real.xml");
  // Unprivileged creation where the system allows it, else the plain call.
  if (!CreateSymbolicLinkA(link.c_str(), real.c_str(), 0x2) &&
      !CreateSymbolicLinkA(link.c_str(), real.c_str(), 0)) {
    GTEST_SKIP() << "no symbolic link can be made here (error " << GetLastError() << ")";
  }
  // Wine reports success without making anything.
  const DWORD made = GetFileAttributesA(link.c_str());
  if (made == INVALID_FILE_ATTRIBUTES || !(made & FILE_ATTRIBUTE_REPARSE_POINT)) {
    GTEST_SKIP() << "symbolic link creation reported success but made no link";
  }
  ASSERT_TRUE(driver_.SaveParams()) << driver_.ResultDescription();
  EXPECT_TRUE(GetFileAttributesA(link.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);
  EXPECT_TRUE(IsSavedSettings(ReadFile("real.xml")));
  EXPECT_EQ(Names(), (std::set<std::string>{"real.xml", "settings.xml"}));
}

}  // namespace
}  // namespace notarel::test
