#pragma once
// The modal device search dialog of the control.
#include <windows.h>

#include "Notarel_h.h"

namespace notarel {

// Opens the search dialog owned by `owner` for `control`, runs it modally and
// returns when it has closed. A search in the dialog leaves the control's port
// number and baud rate as they were at opening, unless the user picked a row
// on which a device answered; then that row's port and speed are written.
void ShowFindDialog(HWND owner, IWBA003_4* control);

// Whether the process can show windows to a user (an interactive window
// station); modal windows are not shown otherwise, since nobody could close them.
bool HasInteractiveWindowStation();

}  // namespace notarel
