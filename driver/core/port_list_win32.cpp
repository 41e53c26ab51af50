// The serial ports of a Windows machine: the values of the registry key
// HKLM\HARDWARE\DEVICEMAP\SERIALCOMM, one per port, each naming a port such as
// "COM3". The key is only opened for reading, never created; a key that cannot
// be opened means the machine has no serial ports.
#include "port_list.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace notarel {
namespace {

// Registry value names are at most this many characters long.
constexpr std::size_t kLongestValueName = 16383;
// Attempts at one value that keeps growing while it is read; then it is left out.
constexpr int kReadAttempts = 8;

// An open registry key, closed with its owner.
class RegistryKey {
 public:
  RegistryKey(HKEY parent, const char* path) {
    if (RegOpenKeyExA(parent, path, 0, KEY_READ, &key_) != ERROR_SUCCESS) key_ = nullptr;
  }
  ~RegistryKey() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  bool IsOpen() const { return key_ != nullptr; }
  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

// Reads value `index` of the key and takes its data as text up to the first
// NUL, whatever its registry type. The buffers start at the sizes the key
// reported and grow when the value turns out longer (it may change while it is
// read). ERROR_SUCCESS, ERROR_NO_MORE_ITEMS after the last value, or the error
// for which this one value is left out.
LONG ReadValueText(HKEY key, DWORD index, std::vector<char>& name, std::vector<BYTE>& data,
                   std::string& text) {
  for (int attempt = 1;; ++attempt) {
    DWORD nameSize = static_cast<DWORD>(name.size());
    DWORD dataSize = static_cast<DWORD>(data.size());
    const LONG status =
        RegEnumValueA(key, index, name.data(), &nameSize, nullptr, nullptr, data.data(), &dataSize);
    if (status == ERROR_SUCCESS) {
      const char* bytes = reinterpret_cast<const char*>(data.data());
      std::size_t length = 0;
      while (length < dataSize && bytes[length] != '\0') ++length;
      text.assign(bytes, length);
      return status;
    }
    if (status != ERROR_MORE_DATA || attempt == kReadAttempts) return status;
    name.resize(std::min(name.size() * 2, kLongestValueName + 1));
    data.resize(std::max<std::size_t>(data.size() * 2, dataSize + 1));
  }
}

// The text of every value of the key, in the registry's order.
std::vector<std::string> ValueTexts(HKEY key) {
  DWORD longestName = 0;
  DWORD longestData = 0;
  if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                       &longestName, &longestData, nullptr, nullptr) != ERROR_SUCCESS) {
    return {};
  }
  std::vector<char> name(longestName + 1);
  std::vector<BYTE> data(longestData + 1);
  std::vector<std::string> texts;
  for (DWORD index = 0;; ++index) {
    std::string text;
    const LONG status = ReadValueText(key, index, name, data, text);
    if (status == ERROR_SUCCESS) texts.push_back(std::move(text));
    else if (status != ERROR_MORE_DATA) break;  // ERROR_NO_MORE_ITEMS, or the key went away
  }
  return texts;
}

}  // namespace

void ListSerialPorts(SerialPortList& list) {
  list.clear();
  const RegistryKey key(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM");
  if (!key.IsOpen()) return;
  list = PortListFromNames(ValueTexts(key.Get()));
}

}  // namespace notarel
