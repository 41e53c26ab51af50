// Script hosts as clients: cscript runs a JScript and a VBScript probe, each
// creating the control by ProgID, reading members by name, talking to the
// emulator and reading a failing call's Russian result text.
#include <cwchar>

#include "automation_test.h"
#include "emulator_peer.h"
#include "script_runner.h"

namespace notarel::test {
namespace {

// A port number with no device linked behind it in the test prefix.
constexpr int kEmptyPort = 32;

// What the driver reports when the empty port cannot be opened: its own
// message for code -2 followed by the system's text for the open's error,
// without trailing blanks and full stops.
std::wstring EmptyPortFailure() {
  const std::wstring name = L"\\\\.\\COM" + std::to_wstring(kEmptyPort);
  HANDLE handle = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  const DWORD error = GetLastError();
  EXPECT_EQ(handle, INVALID_HANDLE_VALUE) << "a device answers on COM" << kEmptyPort;
  if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  wchar_t buffer[256] = {};
  const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                      buffer, 256, nullptr);
  std::wstring text(buffer, length);
  while (!text.empty() && (text.back() <= L' ' || text.back() == L'.')) text.pop_back();
  return L"(-2) Ошибка открытия порта. " + text;
}

std::wstring ExpectedProbeText() {
  return L"FileVersion=2.7.0.39\r\n"
         L"ResultCode=-12\r\n"
         L"ResultDescription=Файл не существует\r\n"
         L"PortNumber=1\r\n"
         L"DirectionValue=1\r\n"
         L"CountryByIndex=true\r\n"
         L"ReadStatus=true\r\n"
         L"StatusCode=64\r\n"  // POWER UP
        
         L"ReadModelID=true\r\n"
         L"ModelID=RDRUB003\r\n"
         L"ReadStatus=false\r\n"
         L"Failure=" + EmptyPortFailure();
}

class Script : public ::testing::TestWithParam<const wchar_t*> {};

TEST_P(Script, ProbeCreatesTheControlByProgIdAndTalksToTheDevice) {
  // A device fresh from power-up behind the emulator's port.
  std::unique_ptr<EmulatorPeer> peer = EmulatorPeer::Start();
  ASSERT_TRUE(peer);
  const ScriptRun run = RunScript(GetParam(), {EmulatorCom(), std::to_wstring(kEmptyPort)}, 60000);
  ASSERT_TRUE(run.started) << "cscript could not start";
  ASSERT_TRUE(run.finished) << "the script did not end";
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(run.text, ExpectedProbeText());
}

INSTANTIATE_TEST_SUITE_P(JScriptAndVBScript, Script,
                         ::testing::Values(L"notarel_probe.js", L"notarel_probe.vbs"));

}  // namespace
}  // namespace notarel::test
