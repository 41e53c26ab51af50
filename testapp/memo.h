#pragma once
// A memo: a read-only multi-line edit holding text lines.
#include <windows.h>

#include <string>

constexpr DWORD kMemoStyle = ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_WANTRETURN;

// Appends one line, as the last line, and scrolls it into view.
void MemoAdd(HWND memo, const std::wstring& line);
void MemoClear(HWND memo);
