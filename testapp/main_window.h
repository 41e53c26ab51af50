#pragma once
// TfmMain: the test application's main window. The page list on the left,
// the selected page in the data panel, the result area of the last command
// below, and the about, properties and close buttons. It owns the control
// wrapper, the page collection and the pages.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "notarel2.h"
#include "page.h"

// The application's title.
extern const wchar_t kAppTitle[];

class TfmMain : public TSizeableForm, private notarel::ui::TWindowTarget {
 public:
  // Creates the window, the control and the pages; throws TOleError when the
  // control cannot be created.
  TfmMain();
  ~TfmMain() override;
  TfmMain(const TfmMain&) = delete;
  TfmMain& operator=(const TfmMain&) = delete;

  void Show();

 private:
  enum : int {
    kListBox = 100,
    kResult,
    kOutput,
    kInput,
    kExecTime,
    kAbout,
    kProperties,
    kClose,
    // What the dialog manager sends for Enter when the shown page has a
    // default button; no control carries this identifier.
    kPageDefault = 0x7F00,
  };
  void CreateControls();
  void AddPage(std::unique_ptr<TPage> page);
  void UpdatePageList();
  void SelectPage(int index);
  bool IsValidPage(int index) const;
  void PagesChange();
  HWND ShownDefaultButton() const;
  void ClearResult();
  void ListBoxClick();
  void btnAboutClick();
  void btnPropertiesClick();
  void OnClose();
  // Stops polling, then releases the pages, the collection and the control.
  void Shutdown();

  // The window router's call. The handle is the one CreateWindowEx returns:
  // the messages of the window's creation get the default handling.
  LRESULT WindowMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) override;
  void WindowDestroyed(HWND) override { FHandle = nullptr; }
  LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);
  void OnCommand(int id, int code);

  HWND ListBox = nullptr;
  HWND pnlData = nullptr;
  HWND edtResult = nullptr;
  HWND edtOutput = nullptr;
  HWND edtInput = nullptr;
  HWND edtExecTime = nullptr;

  std::unique_ptr<TNotarel2> FDriver;
  std::unique_ptr<TPages> FPages;
  std::vector<std::unique_ptr<TPage>> FOwnedPages;
  int FPageIndex = -1;
  DWORD FStartTime = 0;
};
