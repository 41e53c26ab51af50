#pragma once
// TfmPage: the control's one property page. A property frame creates it by
// its CLSID, hands it the edited control and shows its window. The page
// reaches the control only through IWBA003_4.
#include <windows.h>
#include <ocidl.h>

#include <functional>
#include <string>

#include "Notarel_h.h"
#include "com_ptr.h"
#include "window_router.h"

namespace notarel {

// Design size of the page in 96 dpi pixels, and its caption (the frame's tab title).
constexpr int kPageWidth = 502;
constexpr int kPageHeight = 250;
extern const wchar_t kPageCaption[];

// Child control identifiers of the page window.
enum TPageControlId : int {
  idBevel1 = 101,
  idImage1,
  idBvlParams,
  idLblPortNumber,
  idCbPortNumber,
  idLBaudRate,
  idCbBaudRate,
  idLblCountryCode,
  idCbCountryCode,
  idLblResult,
  idEdtResult,
  idBtnConnect,
  idBtnFind,
  idBtnSetDefaults,
  idBtnAbout,
  // The other three edges of bvlParams, whose top edge is idBvlParams.
  idBvlParamsBottom,
  idBvlParamsLeft,
  idBvlParamsRight,
};

class TfmPage : public IPropertyPage, private ui::TWindowTarget {
 public:
  TfmPage();
  TfmPage(const TfmPage&) = delete;
  TfmPage& operator=(const TfmPage&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IPropertyPage
  HRESULT STDMETHODCALLTYPE SetPageSite(IPropertyPageSite* site) override;
  HRESULT STDMETHODCALLTYPE Activate(HWND parent, LPCRECT rect, BOOL modal) override;
  HRESULT STDMETHODCALLTYPE Deactivate() override;
  HRESULT STDMETHODCALLTYPE GetPageInfo(PROPPAGEINFO* info) override;
  HRESULT STDMETHODCALLTYPE SetObjects(ULONG count, IUnknown** objects) override;
  HRESULT STDMETHODCALLTYPE Show(UINT cmdShow) override;
  HRESULT STDMETHODCALLTYPE Move(LPCRECT rect) override;
  HRESULT STDMETHODCALLTYPE IsPageDirty() override;
  HRESULT STDMETHODCALLTYPE Apply() override;
  HRESULT STDMETHODCALLTYPE Help(LPCOLESTR helpDir) override;
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG* msg) override;

  // Loads the components from the control; throws TComError when a member
  // call fails.
  void UpdatePropertyPage();
  // Writes the components to the control; throws TComError likewise.
  void UpdateObject();
  // The edited control's IWBA003_4, queried once and kept.
  IWBA003_4* GetDriverIntf();

  void EnableButtons(bool on);
  void ShowResult();

  void btnConnectClick();
  void btnFindClick();
  void btnSetDefaultsClick();
  void btnAboutClick();
  void PropertyPagePaint();

  HWND Handle() const { return FWindow; }

 private:
  // Deleted only by Release, through its own type.
  virtual ~TfmPage();

  // The page window. The window router's calls keep FWindow from WM_NCCREATE
  // to WM_NCDESTROY; the window may be destroyed with its parent, before the
  // frame deactivates the page.
  void WindowAttached(HWND wnd) override { FWindow = wnd; }
  LRESULT WindowMessage(HWND, UINT msg, WPARAM wParam, LPARAM lParam) override {
    return HandleMessage(msg, wParam, lParam);
  }
  void WindowDestroyed(HWND) override { FWindow = nullptr; }
  static LRESULT CALLBACK FrameSubclassProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR id, DWORD_PTR data);
  bool CreatePageWindow(HWND parent, const RECT& rect);
  void CreateComponents();
  void DestroyPageWindow();
  void LayOut();
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  void HandleCommand(int id, int code);
  void DrawImage(const DRAWITEMSTRUCT& item) const;
  void DrawAboutButton(const DRAWITEMSTRUCT& item) const;
  HWND Item(int id) const { return GetDlgItem(FWindow, id); }

  // What a handler that failed leaves for the user and the frame.
  struct TPageError {
    HRESULT Result = S_OK;
    std::wstring Message;
    // The error record the failing call posted, kept for the frame.
    TComPtr<IErrorInfo> Record;
  };
  // Runs a handler and catches the error it raises, without showing it:
  // the caller shows it once its buttons are usable again.
  TPageError RunHandler(const std::function<void()>& handler);
  // Shows a failure to the user; does nothing for a success.
  void ShowError(const TPageError& error);
  // Writes the components to the control and shows a failure; returns the
  // HRESULT for the frame, with the error record posted again for it.
  HRESULT ApplyOnce();

  LONG FRefCount = 1;
  TComPtr<IPropertyPageSite> FPageSite;
  TComPtr<IUnknown> FObject;
  TComPtr<IWBA003_4> FDriverIntf;
  HWND FWindow = nullptr;
  HWND FFrameWindow = nullptr;
  // Set while the frame handles its OK/Apply notification; a frame that
  // calls Apply does so then, and the notification does not apply again.
  bool FInFrameApply = false;
  bool FAppliedInFrameApply = false;
};

// A new page object with one reference, answering `iid`.
HRESULT CreatePropertyPage(REFIID iid, void** out);

}  // namespace notarel
