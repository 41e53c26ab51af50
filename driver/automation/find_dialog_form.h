#pragma once
// TfmFind, the search dialog's window: its components, its state during a
// search, and the handlers of its buttons and list.
#include <windows.h>

#include <string>
#include <vector>

#include "Notarel_h.h"
#include "find_dialog_animation.h"
#include "win_ui.h"

namespace notarel {

class TfmFind : public ui::TDialogForm {
 public:
  explicit TfmFind(IWBA003_4* driver);
  TfmFind(const TfmFind&) = delete;
  TfmFind& operator=(const TfmFind&) = delete;
  ~TfmFind() override;

  // Creates the window owned by `owner`, remembers the port parameters, runs
  // the dialog until it closes, writes the parameters back and destroys it.
  void ShowModal(HWND owner);

 private:
  // What a row keeps about its probe.
  struct TRowData {
    bool Found;
    LONG PortNumber;
    LONG BaudRate;
  };

  static LRESULT CALLBACK ListViewProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void CreateComponents() override;
  void HandleCommand(int id);
  void HandleListNotify(const NMHDR* header);

  void btnStartClick();
  void btnStopClick();
  void btnCloseClick();
  void ListViewDblClick();
  void ListViewKeyDown(WORD key);

  void RememberPortParams();
  void RestorePortParams();
  void SearchDevices();
  void StopSearch();
  void SelectDevice();
  std::wstring ProbePort(bool& found);
  int AppendRow(LONG port);
  void SetRowResult(int row, const std::wstring& text);

  // Runs a handler; a failing member call ends it and is shown in a message box.
  template <typename F>
  void Guarded(F handler);

  IWBA003_4* FDriverIntf;
  LONG FSavedBaudRate = 0;
  LONG FSavedPortNumber = 0;
  bool FStopRequested = false;
  bool FSearched = false;
  bool FSearching = false;
  bool FDone = false;
  int FModalResult = 0;
  std::vector<TRowData> FRows;

  HWND lblBaudRate = nullptr;
  HWND cbBaudRate = nullptr;
  HWND btnStart = nullptr;
  HWND btnStop = nullptr;
  HWND ListView = nullptr;
  HWND btnClose = nullptr;
  TSearchAnimation Animate;
  WNDPROC FListViewProc = nullptr;
};

}  // namespace notarel
