// The device search on POSIX, against a device folder of the test's own: its
// links stand in for the machine's serial devices, pointing at emulators, at
// pseudo-terminals nobody answers on, or at devices that are no serial line.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cp1251.h"
#include "driver.h"
#include "emulator_peer.h"
#include "port_list.h"
#include "serial_posix.h"

namespace notarel {
namespace {

namespace fs = std::filesystem;

// The model identification request as it goes on the wire.
const std::vector<std::uint8_t> kModelRequest = {0xFC, 0x05, 0x88, 0x6F, 0x5F};

std::vector<std::string> Names(const SerialPortList& list) {
  std::vector<std::string> names;
  for (const SerialPortEntry& entry : list) names.push_back(entry.name);
  return names;
}

// The number in a "requests=N" field of the emulator's counters.
int Requests(EmulatorPeer& peer) {
  const std::string counters = peer.Command("counters");
  const auto at = counters.find("requests=");
  return at == std::string::npos ? -1 : std::atoi(counters.c_str() + at + 9);
}

class DeviceSearch : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/notarel-search-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    previousFolder_ = serial::DeviceFolder();
    serial::SetDeviceFolder(folder_);
  }
  void TearDown() override {
    driver_.reset();
    serial::SetDeviceFolder(previousFolder_);
    for (int fd : silentMasters_) close(fd);
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  // Places a device file name in the folder, linked to `target`.
  void Link(const std::string& name, const std::string& target) {
    ASSERT_EQ(symlink(target.c_str(), (folder_ + "/" + name).c_str()), 0) << name;
  }
  // A pseudo-terminal whose other side never answers: a port with no device on
  // it. Returns the terminal's path; `master` reads what the driver sent.
  std::string SilentLine(int* master = nullptr) {
    const int fd = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(grantpt(fd), 0);
    EXPECT_EQ(unlockpt(fd), 0);
    silentMasters_.push_back(fd);
    if (master != nullptr) *master = fd;
    return ptsname(fd);
  }
  // A started emulator; the test fails (through the exception) when there is none.
  EmulatorPeer& Emulator() {
    auto peer = EmulatorPeer::Start();
    if (!peer) throw std::runtime_error("no emulator");
    peers_.push_back(std::move(peer));
    return *peers_.back();
  }
  TDriver& driver() {
    if (!driver_) driver_ = std::make_unique<TDriver>();
    return *driver_;
  }
  // Expects the state every search leaves: port closed, code 0.
  void ExpectClosedAndNoError() {
    EXPECT_FALSE(driver().PortOpened());
    EXPECT_EQ(driver().ResultCode(), 0);
    EXPECT_EQ(driver().ResultDescription(), Utf8ToCp1251("Ошибок нет"));
  }

  std::string folder_;
  std::string previousFolder_;
  std::vector<int> silentMasters_;
  std::vector<std::unique_ptr<EmulatorPeer>> peers_;
  std::unique_ptr<TDriver> driver_;
};

TEST_F(DeviceSearch, PortNamesComeFromTheDeviceFolderInWinesNumbering) {
  EXPECT_EQ(serial::PortName(1), folder_ + "/ttyS0");
  EXPECT_EQ(serial::PortName(32), folder_ + "/ttyS31");
  EXPECT_EQ(serial::PortName(33), folder_ + "/ttyUSB0");
  EXPECT_EQ(serial::PortName(65), folder_ + "/ttyACM0");
  EXPECT_EQ(serial::PortName(96), folder_ + "/ttyACM31");
  // Numbers beyond the mapping name a file that is never there.
  EXPECT_EQ(serial::PortName(97), folder_ + "/COM97");
  EXPECT_EQ(serial::PortName(0), folder_ + "/COM0");
  driver().SetPortNumber(3);
  EXPECT_EQ(driver().PortName(), folder_ + "/ttyS2");
}

TEST_F(DeviceSearch, ListHoldsTheCharacterDevicesThatExistAscending) {
  Link("ttyS9", "/dev/null");
  Link("ttyS0", "/dev/null");
  Link("ttyS2", "/dev/null");
  Link("ttyUSB0", "/dev/null");
  Link("ttyACM31", "/dev/null");
  Link("ttyS5", "/nonexistent/tty");  // dangling: no device
  Link("ttyS6", folder_);             // a folder is no device
  Link("ttyS32", "/dev/null");        // beyond the numbers ttyS maps to
  Link("ttyACM32", "/dev/null");
  SerialPortList list = {{"stale", 77}};
  ListSerialPorts(list);
  EXPECT_EQ(Names(list),
            (std::vector<std::string>{"COM1", "COM3", "COM10", "COM33", "COM96"}));
  ASSERT_EQ(list.size(), 5u);
  EXPECT_EQ(list[2].number, 10);
}

TEST_F(DeviceSearch, EmptyOrMissingFolderHasNoPorts) {
  SerialPortList list = {{"stale", 77}};
  ListSerialPorts(list);
  EXPECT_TRUE(list.empty());
  serial::SetDeviceFolder(folder_ + "/missing");
  ListSerialPorts(list);
  EXPECT_TRUE(list.empty());
}

TEST_F(DeviceSearch, NoPortsFindNothingAndLeaveThePortAsItWas) {
  EmulatorPeer& device = Emulator();
  device.Attach(driver());  // by device path, which the search must not use
  driver().SetPortNumber(7);
  ASSERT_TRUE(driver().OpenPort());
  EXPECT_FALSE(driver().FindDevice());
  EXPECT_EQ(driver().PortNumber(), 7);
  ExpectClosedAndNoError();
  EXPECT_EQ(Requests(device), 0);
  // The explicit path is back: the driver still reaches its device.
  EXPECT_EQ(driver().PortPath(), device.PortArgument());
  EXPECT_TRUE(driver().ReadStatus());
}

TEST_F(DeviceSearch, DeviceOnTheSecondListedPortIsFound) {
  int silentMaster = -1;
  Link("ttyS0", SilentLine(&silentMaster));
  Link("ttyS2", Emulator().PortArgument());
  driver().SetPortPath("/nonexistent/port");
  EXPECT_TRUE(driver().FindDevice());
  EXPECT_EQ(driver().PortNumber(), 3);
  EXPECT_EQ(driver().ModelID(), "RDRUB003");
  EXPECT_EQ(driver().PortPath(), "");  // found by number, so the number rules from now on
  ExpectClosedAndNoError();
  // COM1 was asked first and said nothing.
  std::vector<std::uint8_t> sent(16);
  pollfd p{silentMaster, POLLIN, 0};
  ASSERT_EQ(poll(&p, 1, 0), 1);
  const ssize_t n = read(silentMaster, sent.data(), sent.size());
  ASSERT_GT(n, 0);
  sent.resize(static_cast<std::size_t>(n));
  EXPECT_EQ(sent, kModelRequest);
}

TEST_F(DeviceSearch, SearchStopsAtTheFirstPortThatAnswers) {
  Link("ttyS0", "/dev/null");  // opens, but is no serial line
  Link("ttyS1", "/nonexistent/tty");
  EmulatorPeer& first = Emulator();
  EmulatorPeer& second = Emulator();
  Link("ttyS9", second.PortArgument());
  Link("ttyS2", first.PortArgument());
  EXPECT_TRUE(driver().FindDevice());
  EXPECT_EQ(driver().PortNumber(), 3);
  ExpectClosedAndNoError();
  EXPECT_EQ(Requests(first), 1);
  EXPECT_EQ(Requests(second), 0);
  // The port found is used by number at the next command.
  EXPECT_TRUE(driver().ReadStatus());
  EXPECT_EQ(Requests(first), 2);
}

TEST_F(DeviceSearch, OnlyTheCurrentSpeedIsTriedAndAnUnsupportedOneFindsNothing) {
  EmulatorPeer& device = Emulator();
  Link("ttyS0", device.PortArgument());
  driver().SetPortNumber(12);
  driver().SetBaudRate(4800);
  EXPECT_FALSE(driver().FindDevice());
  EXPECT_EQ(driver().PortNumber(), 12);
  EXPECT_EQ(driver().BaudRate(), 4800);
  ExpectClosedAndNoError();
  EXPECT_EQ(Requests(device), 0);  // refused before anything was opened
  driver().SetBaudRate(19200);
  EXPECT_TRUE(driver().FindDevice());
  EXPECT_EQ(driver().PortNumber(), 1);
}

TEST_F(DeviceSearch, PortsThatOpenButNeverAnswerFindNothing) {
  for (const char* name : {"ttyS0", "ttyS4", "ttyUSB1"}) Link(name, SilentLine());
  driver().SetPortNumber(2);
  EXPECT_FALSE(driver().FindDevice());
  EXPECT_EQ(driver().PortNumber(), 2);
  ExpectClosedAndNoError();
  EXPECT_EQ(driver().ModelID(), "");
}

}  // namespace
}  // namespace notarel
