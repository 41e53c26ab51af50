// Memo lines in a multi-line edit.
#include "memo.h"

void MemoAdd(HWND memo, const std::wstring& line) {
  // No limit but memory to the memo's text (the default stops at 32K).
  SendMessageW(memo, EM_SETLIMITTEXT, 0, 0);
  int length = GetWindowTextLengthW(memo);
  std::wstring text = length > 0 ? L"\r\n" + line : line;
  SendMessageW(memo, EM_SETSEL, static_cast<WPARAM>(length), static_cast<LPARAM>(length));
  SendMessageW(memo, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
  SendMessageW(memo, EM_SCROLLCARET, 0, 0);
}

void MemoClear(HWND memo) { SetWindowTextW(memo, L""); }
