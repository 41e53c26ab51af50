// Saving the settings file over one the user has set up: a symbolic link, its
// mode and owner, a read-only file, a read-only folder, hard links and a file
// of the user's own beside it all stay as they were, and no temporary file is
// left behind. Permission cases are run by an unprivileged user, since root
// passes every permission bit: when the tests run as root, the save runs in a
// child process that has become "nobody".
#include <gtest/gtest.h>

#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <set>

#include "driver_test_support.h"

namespace notarel::test {
namespace {

// What SaveParams reported in the process that ran it.
struct TSaveReport {
  std::string Skipped;  // why the save could not be run as intended
  bool Saved = false;
  int Code = 0;
  std::string Message;
};

class SettingsSaveTest : public SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    const passwd* nobody = getpwnam("nobody");
    if (nobody != nullptr) {
      nobody_uid_ = nobody->pw_uid;
      nobody_gid_ = nobody->pw_gid;
    }
    driver_.SetDefaults();
  }
  // A folder the test made read-only must be writable again to be removed.
  void TearDown() override {
    chmod(folder_.c_str(), 0755);
    SettingsTest::TearDown();
  }

  bool IsRoot() const { return geteuid() == 0; }
  // The user that saves in RunAsWriter: "nobody" under root, else this user.
  uid_t WriterUid() const { return IsRoot() ? nobody_uid_ : geteuid(); }
  gid_t WriterGid() const { return IsRoot() ? nobody_gid_ : getegid(); }
  // Makes a file or folder the writer's own.
  void GiveToWriter(const std::string& path) {
    ASSERT_EQ(chown(path.c_str(), WriterUid(), WriterGid()), 0) << path;
  }

  // The driver's SaveParams of the defaults into `fileName`, run in a child
  // process by the writer; `prepare` runs in the child first.
  TSaveReport RunAsWriter(const std::string& fileName,
                          const std::function<void()>& prepare = {}) {
    int channel[2];
    if (pipe(channel) != 0) return Skip("no pipe");
    const pid_t child = fork();
    if (child == 0) {
      close(channel[0]);
      ChildSave(channel[1], fileName, prepare);
    }
    close(channel[1]);
    std::string reply;
    char chunk[256];
    for (ssize_t n; (n = read(channel[0], chunk, sizeof chunk)) > 0;) reply.append(chunk, n);
    close(channel[0]);
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
      return Skip("the saving process did not end normally");
    }
    return ParseReport(reply);
  }

  [[noreturn]] void ChildSave(int out, const std::string& fileName,
                              const std::function<void()>& prepare) {
    std::string reply;
    if (IsRoot() && (nobody_uid_ == 0 || setgroups(0, nullptr) != 0 ||
                     setgid(nobody_gid_) != 0 || setuid(nobody_uid_) != 0)) {
      reply = "skip\ncannot become the user nobody";
    } else {
      if (prepare) prepare();
      TDriver driver;
      driver.SetPortPath("/nonexistent/port");
      driver.SetFileName(fileName);
      driver.SetDefaults();
      const bool saved = driver.SaveParams();
      reply = std::string(saved ? "1" : "0") + "\n" + std::to_string(driver.ResultCode()) +
              "\n" + driver.ResultDescription();
    }
    const bool sent = write(out, reply.data(), reply.size()) == static_cast<ssize_t>(reply.size());
    _exit(sent ? 0 : 1);
  }

  static TSaveReport Skip(const std::string& why) {
    TSaveReport report;
    report.Skipped = why;
    return report;
  }
  static TSaveReport ParseReport(const std::string& reply) {
    TSaveReport report;
    const auto first = reply.find('\n');
    const auto second = reply.find('\n', first + 1);
    if (first == std::string::npos || second == std::string::npos) {
      const bool told = reply.rfind("skip\n", 0) == 0;
      return Skip(told ? reply.substr(5) : "no report from the saving process");
    }
    report.Saved = reply.substr(0, first) == "1";
    report.Code = std::stoi(reply.substr(first + 1, second - first - 1));
    report.Message = reply.substr(second + 1);
    return report;
  }

  // The names in the scratch folder: a temporary file left behind shows here.
  std::set<std::string> Names() const {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }
  static bool IsSavedSettings(const std::string& bytes) {
    return bytes.rfind("<?xml", 0) == 0 &&
           bytes.find("<BaudRate>9600</BaudRate>") != std::string::npos;
  }
  static struct stat StatOf(const std::string& path) {
    struct stat st{};
    EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
    return st;
  }

  uid_t nobody_uid_ = 0;
  gid_t nobody_gid_ = 0;
};

#define SKIP_UNLESS_RUN(report) \
  if (!(report).Skipped.empty()) GTEST_SKIP() << (report).Skipped

TEST_F(SettingsSaveTest, ALinkIsFollowedAndTheFileItNamesIsReplaced) {
  std::filesystem::create_directories(Path("store"));
  WriteFile("old", "store/real.xml");
  std::filesystem::create_symlink("store/real.xml", Path("settings.xml"));
  // A chain of links, and a link to a file that does not exist yet.
  std::filesystem::create_symlink("settings.xml", Path("second.xml"));
  std::filesystem::create_symlink(Path("store/later.xml"), Path("dangling.xml"));

  for (const char* name : {"settings.xml", "second.xml"}) {
    WriteFile("old", "store/real.xml");
    driver_.SetFileName(Path(name));
    ASSERT_TRUE(driver_.SaveParams()) << name << ": " << driver_.ResultDescription();
    EXPECT_TRUE(std::filesystem::is_symlink(Path(name))) << name;
    EXPECT_TRUE(IsSavedSettings(ReadFile("store/real.xml"))) << name;
  }
  driver_.SetFileName(Path("dangling.xml"));
  ASSERT_TRUE(driver_.SaveParams()) << driver_.ResultDescription();
  EXPECT_TRUE(std::filesystem::is_symlink(Path("dangling.xml")));
  EXPECT_EQ(std::filesystem::read_symlink(Path("settings.xml")), "store/real.xml");
  EXPECT_EQ(std::filesystem::read_symlink(Path("second.xml")), "settings.xml");
  EXPECT_TRUE(IsSavedSettings(ReadFile("store/later.xml")));
  EXPECT_EQ(Names(), (std::set<std::string>{"dangling.xml", "second.xml", "settings.xml", "store"}));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Path("store")), {}), 2);

  driver_.SetFileName(Path("settings.xml"));
  ASSERT_TRUE(driver_.LoadParams()) << driver_.ResultDescription();
}

TEST_F(SettingsSaveTest, ModeAndOwnerOfTheFileAreKept) {
  WriteFile("old");
  ASSERT_EQ(chmod(Path("settings.xml").c_str(), 0640), 0);
  // Root may give the file any owner; another user keeps its own.
  if (IsRoot()) GiveToWriter(Path("settings.xml"));
  const struct stat before = StatOf(Path("settings.xml"));
  ASSERT_TRUE(driver_.SaveParams()) << driver_.ResultDescription();
  const struct stat after = StatOf(Path("settings.xml"));
  EXPECT_EQ(after.st_mode & 07777, 0640u);
  EXPECT_EQ(after.st_uid, before.st_uid);
  EXPECT_EQ(after.st_gid, before.st_gid);
  EXPECT_TRUE(IsSavedSettings(ReadFile()));

  // A new file gets the mode every newly created file gets.
  const mode_t mask = umask(022);
  umask(mask);
  driver_.SetFileName(Path("fresh.xml"));
  ASSERT_TRUE(driver_.SaveParams()) << driver_.ResultDescription();
  EXPECT_EQ(StatOf(Path("fresh.xml")).st_mode & 0777, 0666u & ~mask);
  EXPECT_EQ(Names(), (std::set<std::string>{"fresh.xml", "settings.xml"}));
}

TEST_F(SettingsSaveTest, AnOwnerTheWriterMayNotGiveIsKeptByWritingInPlace) {
  if (!IsRoot()) GTEST_SKIP() << "a file of another owner needs root to be set up";
  WriteFile("old");
  ASSERT_EQ(chown(Path("settings.xml").c_str(), 0, 0), 0);
  ASSERT_EQ(chmod(Path("settings.xml").c_str(), 0666), 0);
  GiveToWriter(folder_.string());  // the writer could put a file of its own there
  const TSaveReport report = RunAsWriter(Path("settings.xml"));
  SKIP_UNLESS_RUN(report);
  EXPECT_TRUE(report.Saved) << report.Message;
  const struct stat after = StatOf(Path("settings.xml"));
  EXPECT_EQ(after.st_uid, 0u);
  EXPECT_EQ(after.st_gid, 0u);
  EXPECT_EQ(after.st_mode & 07777, 0666u);
  EXPECT_TRUE(IsSavedSettings(ReadFile()));
  EXPECT_EQ(Names(), std::set<std::string>{"settings.xml"});
}

TEST_F(SettingsSaveTest, AReadOnlyFileIsRefusedEvenInAWritableFolder) {
  WriteFile("keep me");
  GiveToWriter(Path("settings.xml"));
  GiveToWriter(folder_.string());
  ASSERT_EQ(chmod(Path("settings.xml").c_str(), 0444), 0);
  const TSaveReport report = RunAsWriter(Path("settings.xml"));
  SKIP_UNLESS_RUN(report);
  EXPECT_FALSE(report.Saved);
  EXPECT_EQ(report.Code, -8);
  EXPECT_EQ(report.Message, "Cannot create file " + Path("settings.xml"));
  EXPECT_TRUE(ReadFile() == "keep me");  // not EXPECT_EQ: a failure would print the whole new file
  EXPECT_EQ(StatOf(Path("settings.xml")).st_mode & 07777, 0444u);
  EXPECT_EQ(Names(), std::set<std::string>{"settings.xml"});
}

TEST_F(SettingsSaveTest, AReadOnlyFolderTakesTheSaveInPlace) {
  WriteFile("old contents, longer than a line or two of the new ones would be");
  GiveToWriter(Path("settings.xml"));
  const ino_t inode = StatOf(Path("settings.xml")).st_ino;
  ASSERT_EQ(chmod(folder_.c_str(), 0555), 0);
  const TSaveReport report = RunAsWriter(Path("settings.xml"));
  SKIP_UNLESS_RUN(report);
  EXPECT_TRUE(report.Saved) << report.Message;
  EXPECT_EQ(report.Code, 0);
  EXPECT_EQ(StatOf(Path("settings.xml")).st_ino, inode);
  const std::string saved = ReadFile();
  EXPECT_TRUE(IsSavedSettings(saved));
  EXPECT_EQ(saved.substr(saved.size() - 13), "</settings>\r\n");  // no old bytes after the end

  // There is nothing to write in place when the file does not exist.
  const TSaveReport missing = RunAsWriter(Path("other.xml"));
  EXPECT_FALSE(missing.Saved);
  EXPECT_EQ(missing.Code, -8);
  EXPECT_EQ(missing.Message, "Cannot create file " + Path("other.xml"));
  EXPECT_EQ(Names(), std::set<std::string>{"settings.xml"});
}

TEST_F(SettingsSaveTest, FilesBesideItAndFurtherHardLinksAreLeftAlone) {
  WriteFile("the user's own", "settings.xml.new");
  WriteFile("old");
  std::filesystem::create_hard_link(Path("settings.xml"), Path("shared.xml"));
  ASSERT_TRUE(driver_.SaveParams()) << driver_.ResultDescription();
  EXPECT_EQ(ReadFile("settings.xml.new"), "the user's own");
  EXPECT_TRUE(IsSavedSettings(ReadFile()));
  EXPECT_TRUE(ReadFile("shared.xml") == ReadFile());
  EXPECT_EQ(StatOf(Path("settings.xml")).st_nlink, 2u);
  EXPECT_EQ(Names(), (std::set<std::string>{"settings.xml", "settings.xml.new", "shared.xml"}));
}

TEST_F(SettingsSaveTest, AWriteThatFailsLeavesTheOldFileAndNoTemporary) {
  WriteFile("keep me");
  GiveToWriter(Path("settings.xml"));
  GiveToWriter(folder_.string());
  // The writer may make files of a few bytes only, so the new content cannot
  // be written whole.
  const TSaveReport report = RunAsWriter(Path("settings.xml"), [] {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit small{100, 100};
    setrlimit(RLIMIT_FSIZE, &small);
  });
  SKIP_UNLESS_RUN(report);
  EXPECT_FALSE(report.Saved);
  EXPECT_EQ(report.Code, -8);
  EXPECT_EQ(report.Message, "Cannot create file " + Path("settings.xml"));
  EXPECT_TRUE(ReadFile() == "keep me");  // not EXPECT_EQ: a failure would print the whole new file
  EXPECT_EQ(Names(), std::set<std::string>{"settings.xml"});
}

}  // namespace
}  // namespace notarel::test
