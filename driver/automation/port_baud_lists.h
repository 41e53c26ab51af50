#pragma once
// The port and line-speed drop-down lists shared by the property page and the
// device search dialog: their items, and the mapping between a list index and
// a baud rate.
#include <windows.h>

#include "automation_members.h"

namespace notarel {

// Highest port number the lists offer: the control stores only ports 1 to 32,
// so a list never offers a port the control would silently refuse.
constexpr int kMaxListedPort = members::kLastPort;

// Clears the combo box, then adds "COM 1" to "COM 32"; each item carries its
// port number as item data.
void FillPortNumbers(HWND combo);

// Clears the combo box, then adds "9600" and "19200", each carrying its rate.
void FillBaudRates(HWND combo);

// 19200 gives 1, any other rate gives 0.
int BaudRateToIndex(long rate);

// 0 gives 9600, any other index (1, or -1 for no selection) gives 19200.
long IndexToBaudRate(int index);

}  // namespace notarel
