#pragma once
// The modal device search dialog of the control.
#include <windows.h>

#include "Notarel_h.h"

namespace notarel {

// Shows the search dialog owned by `owner` for `control`, and returns when
// it has closed. For now a plain notice stands in for the dialog, shown only
// where the process has an interactive window station.
void ShowFindDialog(HWND owner, IWBA003_4* control);

// Whether the process can show windows to a user (an interactive window
// station); modal boxes are not shown otherwise, since nobody could close them.
bool HasInteractiveWindowStation();

}  // namespace notarel
