// The device search on Windows: the ports come from the registry key
// HKLM\HARDWARE\DEVICEMAP\SERIALCOMM, where the tests' Wine server lists
// the emulator's COM port (NOTAREL_EMU_COM) before the tests run.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "device_test.h"
#include "port_list.h"

namespace notarel {
namespace {

constexpr char kSerialComm[] = "HARDWARE\\DEVICEMAP\\SERIALCOMM";

int EmulatorCom() {
  const char* com = std::getenv("NOTAREL_EMU_COM");
  return com == nullptr ? 0 : std::atoi(com);
}

int Requests(EmulatorPeer& peer) {
  const std::string counters = peer.Command("counters");
  const auto at = counters.find("requests=");
  return at == std::string::npos ? -1 : std::atoi(counters.c_str() + at + 9);
}

// Values the test adds to the port key, removed again when it ends.
class ExtraPortValues {
 public:
  ExtraPortValues() {
    opened_ = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSerialComm, 0, KEY_SET_VALUE, &key_) == ERROR_SUCCESS;
  }
  ~ExtraPortValues() {
    for (const std::string& name : names_) RegDeleteValueA(key_, name.c_str());
    if (opened_) RegCloseKey(key_);
  }
  ExtraPortValues(const ExtraPortValues&) = delete;
  ExtraPortValues& operator=(const ExtraPortValues&) = delete;

  bool Opened() const { return opened_; }
  bool AddText(const std::string& name, const std::string& text) {
    return Add(name, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), text.size() + 1);
  }
  bool AddNumber(const std::string& name, DWORD value) {
    return Add(name, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  }

 private:
  bool Add(const std::string& name, DWORD type, const BYTE* data, std::size_t size) {
    if (RegSetValueExA(key_, name.c_str(), 0, type, data, static_cast<DWORD>(size)) != ERROR_SUCCESS) {
      return false;
    }
    names_.push_back(name);
    return true;
  }

  HKEY key_ = nullptr;
  bool opened_ = false;
  std::vector<std::string> names_;
};

class RegistrySearch : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    com_ = EmulatorCom();
    ASSERT_GT(com_, 0) << "NOTAREL_EMU_COM names no port";
  }
  void ExpectClosedAndNoError() {
    EXPECT_FALSE(driver().PortOpened());
    EXPECT_EQ(driver().ResultCode(), 0);
    EXPECT_EQ(driver().ResultDescription(), Cp("Ошибок нет"));
  }
  int com_ = 0;
};

TEST_F(RegistrySearch, RegistryListsTheEmulatorsPortOnceInAscendingOrder) {
  SerialPortList list;
  ListSerialPorts(list);
  ASSERT_FALSE(list.empty()) << "the registry key lists no port";
  EXPECT_TRUE(std::is_sorted(list.begin(), list.end(), [](const auto& a, const auto& b) {
    return a.number < b.number;
  }));
  EXPECT_EQ(std::count_if(list.begin(), list.end(), [&](const auto& e) { return e.number == com_; }), 1);
}

TEST_F(RegistrySearch, RegistryValuesFollowTheNameRules) {
  ExtraPortValues extra;
  ASSERT_TRUE(extra.Opened()) << "cannot write the port key";
  ASSERT_TRUE(extra.AddText("NotarelSearchTen", "COM10"));
  ASSERT_TRUE(extra.AddText("NotarelSearchThree", "COM3"));
  // The emulator's port once more, in other letters.
  ASSERT_TRUE(extra.AddText("NotarelSearchLower", "com" + std::to_string(com_)));
  ASSERT_TRUE(extra.AddText("NotarelSearchVirtual", "COMA1"));
  ASSERT_TRUE(extra.AddNumber("NotarelSearchNumber", 7));  // taken as text, it is no name at all
  SerialPortList list = {{"stale", 77}};
  ListSerialPorts(list);
  std::vector<std::int32_t> numbers;
  for (const SerialPortEntry& entry : list) numbers.push_back(entry.number);
  EXPECT_TRUE(std::is_sorted(numbers.begin(), numbers.end()));
  EXPECT_EQ(std::count(numbers.begin(), numbers.end(), com_), 1);
  EXPECT_EQ(std::count(numbers.begin(), numbers.end(), 3), 1);
  EXPECT_EQ(std::count(numbers.begin(), numbers.end(), 10), 1);
  EXPECT_EQ(std::count(numbers.begin(), numbers.end(), 7), 0);
  EXPECT_EQ(std::count(numbers.begin(), numbers.end(), 77), 0);
  for (const SerialPortEntry& entry : list) EXPECT_NE(entry.name, "COMA1");
}

TEST_F(RegistrySearch, FindsTheEmulatorsPort) {
  driver().SetPortNumber(29);  // no device behind this number
  EXPECT_TRUE(driver().FindDevice());
  EXPECT_EQ(driver().PortNumber(), com_);
  EXPECT_EQ(driver().ModelID(), "RDRUB003");
  ExpectClosedAndNoError();
  EXPECT_TRUE(driver().ReadStatus());
}

TEST_F(RegistrySearch, SilentDeviceIsNotFoundAndThePortNumberStays) {
  Emu("silent 60000");
  driver().SetPortNumber(29);
  EXPECT_FALSE(driver().FindDevice());
  EXPECT_EQ(driver().PortNumber(), 29);
  ExpectClosedAndNoError();
}

TEST_F(RegistrySearch, UnsupportedSpeedFindsNothingWithoutAsking) {
  driver().SetPortNumber(29);
  driver().SetBaudRate(4800);
  EXPECT_FALSE(driver().FindDevice());
  EXPECT_EQ(driver().PortNumber(), 29);
  ExpectClosedAndNoError();
  EXPECT_EQ(Requests(*peer_), 0);
}

}  // namespace
}  // namespace notarel
