// Which names of the system's port list are ports, and in what order the device
// search tries them. The same rules hold for the registry's names on Windows and
// the device files on POSIX.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "port_list.h"

namespace notarel {
namespace {

std::vector<std::string> Names(const SerialPortList& list) {
  std::vector<std::string> names;
  for (const SerialPortEntry& entry : list) names.push_back(entry.name);
  return names;
}

std::vector<std::int32_t> Numbers(const SerialPortList& list) {
  std::vector<std::int32_t> numbers;
  for (const SerialPortEntry& entry : list) numbers.push_back(entry.number);
  return numbers;
}

TEST(PortNames, NumberIsTheWholeTextFromTheFourthCharacter) {
  const std::vector<std::pair<std::string, std::int32_t>> ports = {
      {"COM3", 3}, {"COM10", 10}, {"COM0", 0}, {"COM007", 7},
      // Only the tail counts: the first three characters are not checked.
      {"com5", 5}, {"XYZ12", 12},
      {"COM2147483647", 2147483647}, {"COM-2147483648", -2147483647 - 1}, {"COM+4", 4}};
  for (const auto& [name, expected] : ports) {
    std::int32_t number = -99;
    EXPECT_TRUE(PortNumberFromName(name, number)) << name;
    EXPECT_EQ(number, expected) << name;
  }
}

TEST(PortNames, TailsThatAreNoPlainIntegerAreNoPorts) {
  for (const std::string name : {"", "CO", "COM", "COMA1", "COM3x", "COM 3", "COM3 ", "COM-",
                                 "COM+", "COM1.5", "COM0x1F", "COM2147483648", "COM-2147483649",
                                 "COM99999999999999999999"}) {
    std::int32_t number = -99;
    EXPECT_FALSE(PortNumberFromName(name, number)) << '"' << name << '"';
    EXPECT_EQ(number, -99) << "a refused name leaves the number alone: " << name;
  }
}

TEST(PortNames, ListIsSortedByNumberNotByText) {
  const SerialPortList list = PortListFromNames({"COM3", "COM1", "COM10"});
  EXPECT_EQ(Names(list), (std::vector<std::string>{"COM1", "COM3", "COM10"}));
  EXPECT_EQ(Numbers(list), (std::vector<std::int32_t>{1, 3, 10}));
}

TEST(PortNames, VirtualPortsWithLettersAreLeftOut) {
  const SerialPortList list = PortListFromNames({"COMA1", "COM4", "COM", "CNCA0", "COM3x", "COM2"});
  EXPECT_EQ(Names(list), (std::vector<std::string>{"COM2", "COM4"}));
}

TEST(PortNames, SecondNameDifferingOnlyInLetterCaseIsLeftOut) {
  const SerialPortList list = PortListFromNames({"com7", "COM2", "COM7", "Com7", "COM2"});
  // The first spelling stays, with its own letter case.
  EXPECT_EQ(Names(list), (std::vector<std::string>{"COM2", "com7"}));
}

TEST(PortNames, DifferentNamesOfOneNumberAreBothTriedInTheSystemsOrder) {
  const SerialPortList list = PortListFromNames({"COM9", "COM03", "COM1", "COM3"});
  EXPECT_EQ(Names(list), (std::vector<std::string>{"COM1", "COM03", "COM3", "COM9"}));
}

TEST(PortNames, NoNamesGiveAnEmptyList) { EXPECT_TRUE(PortListFromNames({}).empty()); }

}  // namespace
}  // namespace notarel
