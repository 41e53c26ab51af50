// Notaprobe: the test program of the bill acceptor driver. Creates the main
// window, which hosts one instance of the driver's control, and runs the
// message loop until the window is closed.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <exception>

#include "main_window.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  if (FAILED(OleInitialize(nullptr))) return 1;
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  int exitCode = 0;
  try {
    TfmMain form;
    form.Show();
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      HWND root = GetAncestor(msg.hwnd, GA_ROOT);
      if (root && IsDialogMessageW(root, &msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  } catch (const std::exception& e) {
    // The control could not be created: the program cannot work without it.
    ShowError(nullptr, e);
    exitCode = 1;
  }
  OleUninitialize();
  return exitCode;
}
