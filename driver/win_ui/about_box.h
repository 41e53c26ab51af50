#pragma once
// The about box (TfmAbout), shared by the control and the test application:
// a picture, the product title, a list of version lines, the maker's contact
// details with two links opened through the shell, and an OK button.
#include <windows.h>

#include <string>
#include <vector>

namespace notarel {

// Shows the about box modally, owned by `owner` (may be null), with `title`
// in its name label and `lines` appended to its version list. Returns when the
// box has been closed; the box is destroyed by then.
void ShowAboutBox(HWND owner, const std::wstring& title, const std::vector<std::wstring>& lines);

// Opens a link's target ("https://..." or "mailto:..."). The box passes its
// links to ShellExecuteW with the verb "open" and the desktop window as parent;
// a program that must not start a browser or mail client (a test) installs
// its own opener. Returns the opener before; null restores the shell's.
using LinkOpener = void (*)(const std::wstring& target);
LinkOpener SetAboutLinkOpener(LinkOpener opener);

}  // namespace notarel
