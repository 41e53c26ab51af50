#pragma once
// The page framework of the test application: forms whose push buttons a
// command disables and enables again (TSizeableForm), the pages shown in the
// main window's data panel (TPage) and their collection (TPages), which tells
// the main window when a command begins and ends.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "window_router.h"

class TNotarel2;
class TPage;

class TPages {
 public:
  explicit TPages(TNotarel2& driver) : FDriver(driver) {}
  TPages(const TPages&) = delete;
  TPages& operator=(const TPages&) = delete;

  TNotarel2& Driver() const { return FDriver; }
  // Appends the page (not owned) and makes this collection its Pages.
  void Add(TPage* page);
  int Count() const { return static_cast<int>(FItems.size()); }
  // Callers check the index first.
  TPage* Items(int index) const { return FItems[index]; }

  // 0 after BeginCommand, 1 after EndCommand.
  int State() const { return FState; }
  void BeginCommand();
  void EndCommand();
  void SetOnChange(std::function<void()> handler) { FOnChange = std::move(handler); }

  // Closing while a long loop runs: the main window asks to close; loops see
  // Closing() and end; when the last loop has left, OnLoopsDone runs (the main
  // window then closes for real).
  bool Closing() const { return FClosing; }
  void RequestClose() { FClosing = true; }
  int LoopDepth() const { return FLoopDepth; }
  void SetOnLoopsDone(std::function<void()> handler) { FOnLoopsDone = std::move(handler); }
  void LoopEnter() { ++FLoopDepth; }
  void LoopLeave();

 private:
  TNotarel2& FDriver;
  std::vector<TPage*> FItems;
  int FState = 0;
  std::function<void()> FOnChange;
  bool FClosing = false;
  int FLoopDepth = 0;
  std::function<void()> FOnLoopsDone;
};

class TSizeableForm {
 public:
  virtual ~TSizeableForm() = default;
  HWND Handle() const { return FHandle; }

  // Disables the form's enabled push buttons (remembering which, and the one
  // with the focus) or enables the ones it disabled, giving the focus back.
  // Check boxes, edits, lists and buttons already disabled stay as they are.
  virtual void EnableButtons(bool enabled);

  // A sizeable form's designed outer size corrected for the running system's
  // caption and frame metrics; other forms keep the designed size.
  static SIZE CompensatedSize(int width, int height, bool sizeable);

 protected:
  HWND FHandle = nullptr;

 private:
  HWND FFocusedButton = nullptr;
};

// Anchors of a page's control: which edges of the page keep their distance.
enum TAnchor : unsigned {
  akLeft = 1,
  akTop = 2,
  akRight = 4,
  akBottom = 8,
  akLeftTop = akLeft | akTop,
  akAll = akLeft | akTop | akRight | akBottom,
};

class TPage : public TSizeableForm, private notarel::ui::TWindowTarget {
 public:
  // `caption` is the page's list entry; the design size is the page's client
  // area in design pixels, to which the anchors of its controls refer.
  TPage(std::wstring caption, int designWidth, int designHeight, bool sizeable);
  ~TPage() override;
  TPage(const TPage&) = delete;
  TPage& operator=(const TPage&) = delete;

  const std::wstring& Caption() const { return FCaption; }
  bool Sizeable() const { return FSizeable; }
  TPages* Pages() const { return FPages; }
  void SetPages(TPages* pages) { FPages = pages; }
  TNotarel2& Driver() const { return FPages->Driver(); }
  void EndCommand() { FPages->EndCommand(); }
  // True once the program is closing: long loops end their run.
  bool Closing() const { return FPages->Closing(); }

  // Pages.EndCommand when enabling, Pages.BeginCommand when disabling, then
  // the form's walk over its push buttons.
  void EnableButtons(bool enabled) override;
  // Refreshes what the page shows from the control; nothing by default.
  virtual void UpdatePage() {}
  // The button Enter presses while the page is shown; none by default.
  virtual HWND DefaultButton() const { return nullptr; }

  // Creates the page's window, hidden, as a child of `parent`, and its controls.
  void Create(HWND parent);

  // The command bracket: EnableButtons(false); work; EndCommand;
  // EnableButtons(true) in any case. An error from work or EndCommand is
  // shown afterwards (ShowError); returns false then, true otherwise.
  bool RunBracket(const std::function<void()>& work);

  // Marks a long loop on the stack (see TPages::LoopEnter).
  class TLoopScope {
   public:
    explicit TLoopScope(TPage& page) : FPages(*page.Pages()) { FPages.LoopEnter(); }
    ~TLoopScope() { FPages.LoopLeave(); }
    TLoopScope(const TLoopScope&) = delete;
    TLoopScope& operator=(const TLoopScope&) = delete;

   private:
    TPages& FPages;
  };

 protected:
  // Creates the controls; called once the page's window exists.
  virtual void CreateControls(HWND page) = 0;
  // WM_COMMAND from the page's controls.
  virtual void OnCommand(int id, int code, HWND ctl) {
    (void)id;
    (void)code;
    (void)ctl;
  }
  // Any other message (WM_APP messages, timers); set `handled` to answer it.
  virtual LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) {
    (void)msg;
    (void)wp;
    (void)lp;
    handled = false;
    return 0;
  }

  // A child control at design geometry, with anchors that keep it in place
  // when the page is resized (notarel::ui::CreateControl plus layout).
  HWND AddControl(const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w,
                  int h, int id, unsigned anchors = akLeftTop, DWORD exStyle = 0);

 private:
  struct TPlaced {
    HWND Wnd;
    RECT Design;
    unsigned Anchors;
  };
  // The window router's calls: the handle is kept from WM_NCCREATE to WM_NCDESTROY.
  void WindowAttached(HWND wnd) override { FHandle = wnd; }
  LRESULT WindowMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) override;
  void WindowDestroyed(HWND) override { FHandle = nullptr; }
  void Layout();

  std::wstring FCaption;
  int FDesignWidth;
  int FDesignHeight;
  bool FSizeable;
  TPages* FPages = nullptr;
  std::vector<TPlaced> FPlaced;
};
