// Notaprobe without a usable control: the error is shown in a message box and
// the program ends. The control is unregistered for this test only and
// registered again at its end (through the DLL's own entry points).
#include <gtest/gtest.h>

#include "notaprobe_app.h"
#include "ui_probe.h"

using namespace notaprobe_test;

namespace {

// Calls DllRegisterServer or DllUnregisterServer of the Notarel.dll beside the program.
HRESULT CallRegistration(const char* entry) {
  std::wstring path = ProgramFolder() + L"\\Notarel.dll";
  HMODULE dll = LoadLibraryW(path.c_str());
  if (!dll) return HRESULT_FROM_WIN32(GetLastError());
  using TEntry = HRESULT(STDAPICALLTYPE*)();
  auto call = reinterpret_cast<TEntry>(reinterpret_cast<void*>(GetProcAddress(dll, entry)));
  HRESULT hr = call ? call() : E_FAIL;
  FreeLibrary(dll);
  return hr;
}

}  // namespace

TEST(NotaprobeWithoutControl, ShowsTheErrorAndEnds) {
  ASSERT_EQ(CallRegistration("DllUnregisterServer"), S_OK);
  std::wstring folder = ProgramFolder();
  std::wstring command = L"\"" + folder + L"\\Notaprobe.exe\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  BOOL started = CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                                folder.c_str(), &startup, &info);
  EXPECT_TRUE(started);
  if (started) {
    HWND box = uiprobe::WaitForWindow(kTitle, L"#32770", info.dwProcessId, 20000);
    EXPECT_NE(box, nullptr) << "no message box";
    if (box) {
      // The text names the control that could not be created and why.
      std::wstring text;
      for (HWND child : uiprobe::Children(box, L"Static")) text += uiprobe::Text(child);
      EXPECT_NE(text.find(L"RUDLib.Notarel2: "), std::wstring::npos) << Narrow(text);
      EXPECT_NE(text.find(L"(80040154)"), std::wstring::npos) << Narrow(text);
      uiprobe::SaveScreenshot(box, ScreenshotPath(L"notaprobe_no_control"));
      HWND ok = uiprobe::FindChild(box, L"Button", nullptr);
      if (ok) uiprobe::Click(ok);
    }
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 20000), WAIT_OBJECT_0);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info.hProcess, &code);
    EXPECT_EQ(code, 1u);
    if (code == STILL_ACTIVE) TerminateProcess(info.hProcess, 3);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
  }
  EXPECT_EQ(CallRegistration("DllRegisterServer"), S_OK);
}
