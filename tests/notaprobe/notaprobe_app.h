#pragma once
// Notaprobe.exe as the UI tests see it: started as its own process beside
// the test program, its main window found by caption, its pages and controls
// found by their texts, and closed again at the end of each test.
#include <windows.h>

#include <string>
#include <vector>

#include "emulator_peer.h"

namespace notaprobe_test {

extern const wchar_t kTitle[];

// The folder of the test program (Notaprobe.exe and Notarel.dll sit there).
std::wstring ProgramFolder();
// <build>/screenshots/<name>.png
std::wstring ScreenshotPath(const wchar_t* name);

// Lines of a memo (a multi-line edit), without empty trailing line.
std::vector<std::wstring> MemoLines(HWND memo);
// Whether `lines` holds `expected` in this order (other lines between them).
bool ContainsInOrder(const std::vector<std::wstring>& lines,
                     const std::vector<std::wstring>& expected);
std::string Narrow(const std::wstring& text);
// The first descendant of class `cls` whose text begins with `prefix`.
HWND FindChildStartingWith(HWND parent, const wchar_t* cls, const std::wstring& prefix);
// Inserts a bill into the emulator once the device takes one (it must be
// enabled by then); a test failure when it does not within a while.
void Insert(notarel::EmulatorPeer& emu, int code);

class TNotaprobe {
 public:
  // Starts Notaprobe.exe; Main() is null when its window did not show within 20 s.
  TNotaprobe();
  // Closes the main window and waits for the process to end (terminating it,
  // and failing the test, when it does not end within 20 s).
  ~TNotaprobe();
  TNotaprobe(const TNotaprobe&) = delete;
  TNotaprobe& operator=(const TNotaprobe&) = delete;

  HWND Main() const { return FMain; }
  DWORD Pid() const { return FInfo.dwProcessId; }
  HANDLE Process() const { return FInfo.hProcess; }

  HWND List() const;
  // The four result fields: result, sent, received, time.
  std::vector<HWND> ResultFields() const;
  std::vector<std::wstring> ResultTexts() const;
  // The page window whose caption is `caption`.
  HWND Page(const wchar_t* caption) const;
  // Selects the list entry `index` as a user's click does and waits until
  // its page is visible.
  HWND SelectPage(int index, const wchar_t* caption) const;
  HWND Button(HWND parent, const wchar_t* text) const;
  // A button of the main window itself (pages have buttons of the same text).
  HWND MainButton(const wchar_t* text) const;
  // Clicks `text` in the main window or a page and returns once the click's
  // handler has returned.
  void Press(HWND parent, const wchar_t* text) const;
  // Clicks a button whose handler runs a loop until stopped, and returns at
  // once; the caller waits for what the loop shows.
  void PressToStartLoop(HWND parent, const wchar_t* text) const;

  // Posts WM_CLOSE and waits for the process to end; returns its exit code
  // (STILL_ACTIVE when it did not end within `timeoutMs`).
  DWORD CloseAndWait(int timeoutMs);
  // Waits for the process to end by itself.
  DWORD WaitForExit(int timeoutMs);

 private:
  PROCESS_INFORMATION FInfo{};
  HWND FMain = nullptr;
  bool FEnded = false;
};

}  // namespace notaprobe_test
