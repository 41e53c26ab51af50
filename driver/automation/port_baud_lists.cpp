#include "port_baud_lists.h"

#include <string>

namespace notarel {
namespace {

// Appends at the end even in a sorted list, so that "COM 10" follows "COM 9".
void AddItem(HWND combo, const std::wstring& text, long data) {
  const LRESULT index = SendMessageW(combo, CB_INSERTSTRING, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(text.c_str()));
  if (index >= 0) SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), data);
}

}  // namespace

void FillPortNumbers(HWND combo) {
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (int port = 1; port <= kMaxListedPort; ++port) {
    AddItem(combo, L"COM " + std::to_wstring(port), port);
  }
}

void FillBaudRates(HWND combo) {
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  AddItem(combo, L"9600", 9600);
  AddItem(combo, L"19200", 19200);
}

int BaudRateToIndex(long rate) { return rate == 19200 ? 1 : 0; }

long IndexToBaudRate(int index) { return index == 0 ? 9600 : 19200; }

}  // namespace notarel
