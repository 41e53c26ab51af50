// Starting, finding and driving Notaprobe.exe from the UI tests.
#include "notaprobe_app.h"

#include <gtest/gtest.h>

#include "ui_probe.h"

namespace notaprobe_test {

const wchar_t kTitle[] = L"Тест драйвера RUD-003";

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L"\\/"));
}

std::wstring ScreenshotPath(const wchar_t* name) {
  // The test script names the folder; otherwise <build>/screenshots, the
  // program sitting in <build>/tests/notaprobe.
  const wchar_t* folder = _wgetenv(L"NOTAREL_SCREENSHOTS");
  if (folder && *folder) return std::wstring(folder) + L"\\" + name + L".png";
  std::wstring build = ProgramFolder();
  for (int i = 0; i < 2; ++i) build = build.substr(0, build.find_last_of(L"\\/"));
  return build + L"\\screenshots\\" + name + L".png";
}

std::vector<std::wstring> MemoLines(HWND memo) {
  std::wstring text = uiprobe::Text(memo);
  std::vector<std::wstring> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(L"\r\n", start);
    if (end == std::wstring::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

bool ContainsInOrder(const std::vector<std::wstring>& lines,
                     const std::vector<std::wstring>& expected) {
  size_t next = 0;
  for (const std::wstring& line : lines)
    if (next < expected.size() && line == expected[next]) ++next;
  return next == expected.size();
}

std::string Narrow(const std::wstring& text) {
  int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<size_t>(size > 0 ? size : 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &result[0], size, nullptr, nullptr);
  result.resize(result.size() - 1);
  return result;
}

HWND FindChildStartingWith(HWND parent, const wchar_t* cls, const std::wstring& prefix) {
  for (HWND wnd : uiprobe::Children(parent, cls))
    if (uiprobe::Text(wnd).compare(0, prefix.size(), prefix) == 0) return wnd;
  return nullptr;
}

void Insert(notarel::EmulatorPeer& emu, int code) {
  const std::string line = "insert " + std::to_string(code);
  EXPECT_TRUE(uiprobe::WaitUntil([&] { return emu.Command(line).substr(0, 2) == "OK"; }, 20000))
      << line;
}

TNotaprobe::TNotaprobe() {
  std::wstring folder = ProgramFolder();
  std::wstring command = L"\"" + folder + L"\\Notaprobe.exe\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                      &startup, &FInfo)) {
    ADD_FAILURE() << "Notaprobe.exe did not start: error " << GetLastError();
    FEnded = true;
    return;
  }
  std::wstring pattern = std::wstring(kTitle) + L" *";
  FMain = uiprobe::WaitForWindow(pattern.c_str(), nullptr, FInfo.dwProcessId, 20000);
  if (!FMain) ADD_FAILURE() << "Notaprobe's main window did not show";
  // The process has created its window and is waiting for input.
  WaitForInputIdle(FInfo.hProcess, 10000);
}

TNotaprobe::~TNotaprobe() {
  if (!FEnded && FInfo.hProcess) {
    DWORD code = CloseAndWait(20000);
    if (code == STILL_ACTIVE) {
      ADD_FAILURE() << "Notaprobe did not end after WM_CLOSE";
      TerminateProcess(FInfo.hProcess, 3);
      WaitForSingleObject(FInfo.hProcess, 5000);
    }
  }
  if (FInfo.hProcess) CloseHandle(FInfo.hProcess);
  if (FInfo.hThread) CloseHandle(FInfo.hThread);
}

DWORD TNotaprobe::WaitForExit(int timeoutMs) {
  if (WaitForSingleObject(FInfo.hProcess, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0)
    return STILL_ACTIVE;
  FEnded = true;
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(FInfo.hProcess, &code);
  return code;
}

DWORD TNotaprobe::CloseAndWait(int timeoutMs) {
  if (FMain) uiprobe::Close(FMain);
  return WaitForExit(timeoutMs);
}

HWND TNotaprobe::List() const { return uiprobe::FindChild(FMain, L"ListBox", nullptr); }

std::vector<HWND> TNotaprobe::ResultFields() const {
  // The main window's own edits (its direct children), in creation order.
  std::vector<HWND> fields;
  for (HWND child = GetWindow(FMain, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (uiprobe::ClassOf(child) == L"Edit") fields.push_back(child);
  return fields;
}

std::vector<std::wstring> TNotaprobe::ResultTexts() const {
  std::vector<std::wstring> texts;
  for (HWND field : ResultFields()) texts.push_back(uiprobe::Text(field));
  return texts;
}

HWND TNotaprobe::Page(const wchar_t* caption) const {
  return uiprobe::FindChild(FMain, L"NotaprobePage", caption);
}

HWND TNotaprobe::SelectPage(int index, const wchar_t* caption) const {
  uiprobe::Select(List(), index);
  HWND page = Page(caption);
  EXPECT_TRUE(uiprobe::WaitUntil([&] { return page && uiprobe::IsVisible(page); }, 10000))
      << Narrow(caption) << " is not shown";
  return page;
}

HWND TNotaprobe::Button(HWND parent, const wchar_t* text) const {
  HWND button = uiprobe::FindChild(parent, L"Button", text);
  EXPECT_NE(button, nullptr) << "no button " << Narrow(text);
  return button;
}

HWND TNotaprobe::MainButton(const wchar_t* text) const {
  for (HWND child = GetWindow(FMain, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (uiprobe::ClassOf(child) == L"Button" && uiprobe::Text(child) == text) return child;
  ADD_FAILURE() << "no button " << Narrow(text) << " in the main window";
  return nullptr;
}

void TNotaprobe::Press(HWND parent, const wchar_t* text) const {
  HWND button = Button(parent, text);
  if (button) uiprobe::ClickAndWait(button, 20000);
}

void TNotaprobe::PressToStartLoop(HWND parent, const wchar_t* text) const {
  if (HWND button = Button(parent, text)) uiprobe::Click(button);
}

}  // namespace notaprobe_test
