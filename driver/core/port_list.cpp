#include "port_list.h"

#include <algorithm>
#include <limits>

#include "case_fold.h"

namespace notarel {
namespace {

// "COM" and its like: the number starts at the fourth character.
constexpr std::size_t kNumberOffset = 3;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool PortNumberFromName(const std::string& name, std::int32_t& number) {
  if (name.size() <= kNumberOffset) return false;
  std::size_t i = kNumberOffset;
  const bool negative = name[i] == '-';
  if (name[i] == '-' || name[i] == '+') ++i;
  if (i == name.size()) return false;
  // Accumulated as a negative value so that the lowest 32-bit number fits too.
  std::int64_t value = 0;
  for (; i < name.size(); ++i) {
    if (!IsDigit(name[i])) return false;
    value = value * 10 - (name[i] - '0');
    if (value < std::numeric_limits<std::int32_t>::min()) return false;
  }
  if (!negative) {
    value = -value;
    if (value > std::numeric_limits<std::int32_t>::max()) return false;
  }
  number = static_cast<std::int32_t>(value);
  return true;
}

SerialPortList PortListFromNames(const std::vector<std::string>& names) {
  SerialPortList list;
  for (const std::string& name : names) {
    std::int32_t number = 0;
    if (!PortNumberFromName(name, number)) continue;
    const bool known = std::any_of(list.begin(), list.end(), [&](const SerialPortEntry& entry) {
      return SameText(entry.name, name);
    });
    if (!known) list.push_back({name, number});
  }
  std::stable_sort(list.begin(), list.end(),
                   [](const SerialPortEntry& a, const SerialPortEntry& b) { return a.number < b.number; });
  return list;
}

}  // namespace notarel
