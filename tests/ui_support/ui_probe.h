#pragma once
// Finding and driving windows as a user would, for the UI test programs:
// from a second thread of the process that owns the windows, or from another
// process (the messages used are marshalled across processes by the system).
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace uiprobe {

// A visible top-level window of process `pid` (0: this process) whose caption
// equals `caption` (or starts with it when `caption` ends in '*'; null: any)
// and whose class is `cls` (null: any); null after `timeout_ms`.
HWND WaitForWindow(const wchar_t* caption, const wchar_t* cls, DWORD pid, int timeout_ms);

// Polls `cond` every 20 ms until it holds or `timeout_ms` has passed.
bool WaitUntil(const std::function<bool()>& cond, int timeout_ms);

// Descendants of `parent` in creation order; null `cls` or `text` match any.
HWND FindChild(HWND parent, const wchar_t* cls, const wchar_t* text);
std::vector<HWND> Children(HWND parent, const wchar_t* cls);

std::wstring Text(HWND wnd);
std::wstring ClassOf(HWND wnd);
bool IsEnabled(HWND wnd);
bool IsVisible(HWND wnd);

// Items and selection of a list box or a combo box.
std::vector<std::wstring> ListItems(HWND listOrCombo);
int Selection(HWND listOrCombo);

// The texts of one column of a report-style list view, in any process.
std::vector<std::wstring> ListViewRows(HWND listview, int column);

// A user's actions. Click and Key are posted, so they also work when the
// action opens a modal window; Select and SetEditText are sent.
void Click(HWND button);
// A click sent, not posted: returns once the button's handler has run (a
// handler that loops pumping messages included), false after `timeoutMs`.
// A message sent after a posted click could be handled before the click.
bool ClickAndWait(HWND button, unsigned timeoutMs);
void Select(HWND listOrCombo, int index);
void SetEditText(HWND edit, const std::wstring& text);
void Key(HWND wnd, UINT vk);
void Close(HWND topLevel);

// Saves the screen area of `topLevel` as a PNG file (creating its folder's
// last level when missing).
bool SaveScreenshot(HWND topLevel, const std::wstring& pngPath);

}  // namespace uiprobe
