// Window finding and driving for the UI test programs.
#include "ui_probe.h"

#include <commctrl.h>

#include <chrono>
#include <cwchar>
#include <thread>

namespace uiprobe {

namespace {

constexpr UINT kSendTimeoutMs = 5000;

LRESULT Send(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(wnd, msg, w, l, SMTO_NORMAL, kSendTimeoutMs, &result)) return -1;
  return static_cast<LRESULT>(result);
}

bool CaptionMatches(HWND wnd, const wchar_t* caption) {
  if (!caption) return true;
  const std::wstring text = Text(wnd);
  const size_t n = wcslen(caption);
  if (n > 0 && caption[n - 1] == L'*') return text.compare(0, n - 1, caption, n - 1) == 0;
  return text == caption;
}

struct TFind {
  const wchar_t* caption;
  const wchar_t* cls;
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindTopLevel(HWND wnd, LPARAM param) {
  auto* find = reinterpret_cast<TFind*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(wnd, &pid);
  if (pid != find->pid || !IsWindowVisible(wnd)) return TRUE;
  if (find->cls && ClassOf(wnd) != find->cls) return TRUE;
  if (!CaptionMatches(wnd, find->caption)) return TRUE;
  find->found = wnd;
  return FALSE;
}

struct TCollect {
  const wchar_t* cls;
  std::vector<HWND>* out;
};

BOOL CALLBACK CollectChild(HWND wnd, LPARAM param) {
  auto* collect = reinterpret_cast<TCollect*>(param);
  if (!collect->cls || _wcsicmp(ClassOf(wnd).c_str(), collect->cls) == 0) collect->out->push_back(wnd);
  return TRUE;
}

}  // namespace

HWND WaitForWindow(const wchar_t* caption, const wchar_t* cls, DWORD pid, int timeout_ms) {
  TFind find{caption, cls, pid ? pid : GetCurrentProcessId(), nullptr};
  WaitUntil([&] {
    EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&find));
    return find.found != nullptr;
  }, timeout_ms);
  return find.found;
}

bool WaitUntil(const std::function<bool()>& cond, int timeout_ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    if (cond()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

std::vector<HWND> Children(HWND parent, const wchar_t* cls) {
  std::vector<HWND> out;
  TCollect collect{cls, &out};
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&collect));
  return out;
}

HWND FindChild(HWND parent, const wchar_t* cls, const wchar_t* text) {
  for (HWND wnd : Children(parent, cls)) {
    if (!text || Text(wnd) == text) return wnd;
  }
  return nullptr;
}

std::wstring Text(HWND wnd) {
  const LRESULT length = Send(wnd, WM_GETTEXTLENGTH, 0, 0);
  if (length <= 0) return std::wstring();
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT got = Send(wnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
  text.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return text;
}

std::wstring ClassOf(HWND wnd) {
  wchar_t name[256] = {};
  GetClassNameW(wnd, name, 256);
  return name;
}

bool IsEnabled(HWND wnd) { return IsWindowEnabled(wnd) != FALSE; }
bool IsVisible(HWND wnd) { return IsWindowVisible(wnd) != FALSE; }

namespace {

bool IsCombo(HWND wnd) { return _wcsicmp(ClassOf(wnd).c_str(), L"ComboBox") == 0; }

}  // namespace

std::vector<std::wstring> ListItems(HWND wnd) {
  const bool combo = IsCombo(wnd);
  std::vector<std::wstring> items;
  const LRESULT count = Send(wnd, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = Send(wnd, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, i, 0);
    std::wstring text(length > 0 ? static_cast<size_t>(length) + 1 : 1, L'\0');
    const LRESULT got = Send(wnd, combo ? CB_GETLBTEXT : LB_GETTEXT, i, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    items.push_back(text);
  }
  return items;
}

int Selection(HWND wnd) {
  return static_cast<int>(Send(wnd, IsCombo(wnd) ? CB_GETCURSEL : LB_GETCURSEL, 0, 0));
}

std::vector<std::wstring> ListViewRows(HWND listview, int column) {
  std::vector<std::wstring> rows;
  DWORD pid = 0;
  GetWindowThreadProcessId(listview, &pid);
  // LVM_GETITEMTEXTW takes a pointer into the owner's address space, so the
  // item and its text buffer are placed in that process.
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return rows;
  constexpr size_t kChars = 512;
  const size_t size = sizeof(LVITEMW) + kChars * sizeof(wchar_t);
  auto* remote = static_cast<char*>(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE));
  if (remote) {
    const LRESULT count = Send(listview, LVM_GETITEMCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      LVITEMW item{};
      item.iSubItem = column;
      item.cchTextMax = kChars;
      item.pszText = reinterpret_cast<LPWSTR>(remote + sizeof(LVITEMW));
      SIZE_T done = 0;
      WriteProcessMemory(process, remote, &item, sizeof(item), &done);
      const LRESULT got = Send(listview, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(remote));
      std::wstring text(kChars, L'\0');
      ReadProcessMemory(process, remote + sizeof(LVITEMW), &text[0], kChars * sizeof(wchar_t), &done);
      text.resize(got > 0 ? static_cast<size_t>(got) : 0);
      rows.push_back(text);
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return rows;
}

void Click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

bool ClickAndWait(HWND button, unsigned timeoutMs) {
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_NORMAL, timeoutMs, &ignored) != 0;
}

void Select(HWND wnd, int index) {
  const bool combo = IsCombo(wnd);
  Send(wnd, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  const int id = GetDlgCtrlID(wnd);
  const WORD code = combo ? CBN_SELCHANGE : LBN_SELCHANGE;
  PostMessageW(GetParent(wnd), WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(wnd));
}

void SetEditText(HWND edit, const std::wstring& text) {
  Send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Key(HWND wnd, UINT vk) {
  PostMessageW(wnd, WM_KEYDOWN, vk, 1);
  PostMessageW(wnd, WM_KEYUP, vk, 1 | (1u << 30) | (1u << 31));
}

void Close(HWND topLevel) { PostMessageW(topLevel, WM_CLOSE, 0, 0); }

}  // namespace uiprobe
