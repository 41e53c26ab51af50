// TOleControlBase: in-place activation in the container's window, the
// TAxCtrl child window's life, and IOleInPlaceObject / IOleInPlaceActiveObject.
#include "ole_control_base.h"

#include "ax_window.h"
#include "ole_control_state.h"

HRESULT TOleControlBase::ActivateInPlace(bool uiActivate) {
  TState& s = *FState;
  if (!s.Site) return E_UNEXPECTED;
  if (!s.InPlaceActive) {
    TComPtr<IOleInPlaceSite> site;
    HRESULT hr = s.Site->QueryInterface(IID_IOleInPlaceSite, site.PutVoid());
    if (FAILED(hr)) return hr;
    if (site->CanInPlaceActivate() != S_OK) return E_FAIL;
    hr = site->OnInPlaceActivate();
    if (FAILED(hr)) return hr;
    s.InPlaceSite = site;
    s.InPlaceActive = true;

    HWND parent = nullptr;
    RECT position{}, clip{};
    OLEINPLACEFRAMEINFO frameInfo{};
    frameInfo.cb = sizeof frameInfo;
    hr = site->GetWindow(&parent);
    if (SUCCEEDED(hr)) {
      hr = site->GetWindowContext(s.Frame.Put(), s.UiWindow.Put(), &position, &clip, &frameInfo);
    }
    if (SUCCEEDED(hr) && !FWindow->Create(parent, position)) hr = HRESULT_FROM_WIN32(GetLastError());
    if (FAILED(hr)) {
      InPlaceDeactivate();
      return hr;
    }
    SetObjectRects(&position, &clip);
    s.Site->ShowObject();
  }
  if (uiActivate && !s.UiActive) {
    const HRESULT hr = ActivateUi();
    if (FAILED(hr)) return hr;
  }
  ShowWindow(FWindow->Handle(), SW_SHOWNA);
  return S_OK;
}

HRESULT TOleControlBase::ActivateUi() {
  TState& s = *FState;
  s.UiActive = true;
  const HRESULT hr = s.InPlaceSite->OnUIActivate();
  if (FAILED(hr)) {
    s.UiActive = false;
    return hr;
  }
  // The control brings no menus, tools or keyboard handling: it registers as
  // the active object and asks for no border space.
  auto* active = static_cast<IOleInPlaceActiveObject*>(this);
  if (s.Frame) {
    s.Frame->SetActiveObject(active, nullptr);
    s.Frame->SetBorderSpace(nullptr);
  }
  if (s.UiWindow) {
    s.UiWindow->SetActiveObject(active, nullptr);
    s.UiWindow->SetBorderSpace(nullptr);
  }
  return S_OK;
}

void TOleControlBase::DestroyControlWindow() { FWindow->Destroy(); }

HRESULT STDMETHODCALLTYPE TOleControlBase::InPlaceDeactivate() {
  TState& s = *FState;
  if (!s.InPlaceActive) return S_OK;
  UIDeactivate();
  s.InPlaceActive = false;
  DestroyControlWindow();
  TComPtr<IOleInPlaceSite> site = s.InPlaceSite;
  s.InPlaceSite.Reset();
  s.Frame.Reset();
  s.UiWindow.Reset();
  if (site) site->OnInPlaceDeactivate();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::UIDeactivate() {
  TState& s = *FState;
  if (!s.UiActive) return S_OK;
  s.UiActive = false;
  if (s.UiWindow) s.UiWindow->SetActiveObject(nullptr, nullptr);
  if (s.Frame) s.Frame->SetActiveObject(nullptr, nullptr);
  if (s.InPlaceSite) s.InPlaceSite->OnUIDeactivate(FALSE);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::SetObjectRects(LPCRECT position, LPCRECT clip) {
  if (!position) return E_POINTER;
  HWND window = FWindow->Handle();
  if (!window) return S_OK;
  SetWindowPos(window, nullptr, position->left, position->top, position->right - position->left,
               position->bottom - position->top, SWP_NOZORDER | SWP_NOACTIVATE);
  // Only the part inside the clip rectangle may show: a window region cuts
  // the rest off, in the window's own coordinates.
  RECT visible{};
  if (clip && IntersectRect(&visible, position, clip) && !EqualRect(&visible, position)) {
    OffsetRect(&visible, -position->left, -position->top);
    SetWindowRgn(window, CreateRectRgnIndirect(&visible), TRUE);  // the window owns the region
  } else {
    SetWindowRgn(window, nullptr, TRUE);
  }
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::ReactivateAndUndo() { return INPLACE_E_NOTUNDOABLE; }

HRESULT STDMETHODCALLTYPE TOleControlBase::GetWindow(HWND* window) {
  if (!window) return E_POINTER;
  *window = FWindow->Handle();
  return *window ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

// The control takes no keyboard input, so no message is its accelerator.
HRESULT STDMETHODCALLTYPE TOleControlBase::TranslateAccelerator(LPMSG) { return S_FALSE; }
HRESULT STDMETHODCALLTYPE TOleControlBase::OnFrameWindowActivate(BOOL) { return S_OK; }
HRESULT STDMETHODCALLTYPE TOleControlBase::OnDocWindowActivate(BOOL) { return S_OK; }
HRESULT STDMETHODCALLTYPE TOleControlBase::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_OK; }
HRESULT STDMETHODCALLTYPE TOleControlBase::EnableModeless(BOOL) { return S_OK; }
