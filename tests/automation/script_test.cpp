// A script host as the client: cscript runs notarel_probe.js, which creates
// the control by ProgID and reads members by name.
#include <fstream>
#include <iterator>

#include "automation_test.h"

namespace notarel::test {
namespace {

// Runs cscript on the probe script and returns what it wrote.
std::wstring RunProbe() {
  const std::wstring result = TestDir() + L"notarel_probe.out";
  DeleteFileW(result.c_str());
  std::wstring command = L"cscript.exe //nologo \"" + TestDir() + L"notarel_probe.js\" \"" + result + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    ADD_FAILURE() << "cscript could not start: " << GetLastError();
    return {};
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  std::ifstream file(result.c_str(), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  // UTF-16 with a byte-order mark.
  std::wstring text;
  for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
    text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                        (static_cast<unsigned char>(bytes[i + 1]) << 8)));
  }
  return text;
}

TEST(Script, JScriptCreatesTheControlByProgIdAndReadsItsMembers) {
  const std::wstring text = RunProbe();
  EXPECT_EQ(text,
            L"FileVersion=2.7.0.39\r\n"
            L"ResultCode=-12\r\n"
            L"PortNumber=1\r\n"
            L"DirectionValue=1\r\n"
            L"CountryByIndex=true");
}

}  // namespace
}  // namespace notarel::test
