// Events in a script host: a JScript client connects to the control's events
// with WScript.ConnectObject and polls the emulator while a bill goes in. The
// control calls the sink on its polling thread, not on the script's thread.
#include <chrono>
#include <cstdio>
#include <future>

#include "automation_test.h"
#include "emulator_peer.h"
#include "script_runner.h"

namespace notarel::test {
namespace {

std::string Utf8(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                       0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                      nullptr, nullptr);
  return bytes;
}

bool Contains(const std::wstring& text, const std::wstring& part) {
  return text.find(part) != std::wstring::npos;
}

TEST(ScriptEvents, ConnectObjectClientPollsAndEndsCleanlyWithTheBillReturned) {
  std::unique_ptr<EmulatorPeer> peer = EmulatorPeer::Start();
  ASSERT_TRUE(peer);
  // The script runs on its own; meanwhile a bill goes in once polling has
  // enabled the device, and the script stops polling after 5 s at the latest.
  auto script = std::async(std::launch::async, [] {
    return RunScript(L"notarel_events.js", {EmulatorCom(), L"5000"}, 60000);
  });
  bool inserted = false;
  for (int i = 0; i < 400 && !inserted; ++i) {
    if (script.wait_for(std::chrono::milliseconds(50)) == std::future_status::ready) break;
    inserted = peer->Command("insert 102").substr(0, 2) == "OK";
  }
  const ScriptRun run = script.get();
  std::printf("[ script   ] exit %lu:\n%s\n", run.exitCode, Utf8(run.text).c_str());
  EXPECT_TRUE(inserted) << "polling never enabled the device";
  ASSERT_TRUE(run.started);
  ASSERT_TRUE(run.finished) << "the script host did not end";
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_TRUE(Contains(run.text, L"CountryByIndex=true\r\n")) << Utf8(run.text);
  EXPECT_TRUE(Contains(run.text, L"StartPolling=true\r\n")) << Utf8(run.text);
  EXPECT_TRUE(Contains(run.text, L"StopPolling=true\r\n")) << Utf8(run.text);
  EXPECT_TRUE(Contains(run.text, L"PollingStarted=false\r\n")) << Utf8(run.text);
  // A host that connected the script's functions delivers the bill to them;
  // one that could not (Wine's script host has no ConnectObject) delivers
  // nothing, and the script still ends cleanly.
  if (Contains(run.text, L"ConnectObject=done")) {
    EXPECT_TRUE(Contains(run.text, L"Event=Bill 500")) << Utf8(run.text);
  } else {
    EXPECT_TRUE(Contains(run.text, L"ConnectObject=error")) << Utf8(run.text);
    EXPECT_TRUE(Contains(run.text, L"Events=0\r\n")) << Utf8(run.text);
  }
  EXPECT_FALSE(Contains(run.text, L"\nError=")) << Utf8(run.text);
  // No sink can set the accept flag from JScript: the bill is returned.
  const std::string counters = peer->Command("counters");
  EXPECT_NE(counters.find("stack1=0"), std::string::npos) << counters;
  EXPECT_NE(counters.find("return=1"), std::string::npos) << counters;
}

}  // namespace
}  // namespace notarel::test
