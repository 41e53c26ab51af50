// TOleControlBase: construction, interface table, IUnknown forwarding, and the
// small interfaces that answer from fixed data (property pages, per-property
// browsing, object safety, IOleControl).
#include "ole_control_base.h"

#include "ax_window.h"
#include "member_signatures.h"
#include "ole_control_state.h"

#include <utility>

namespace notarel {

// {E27B2F22-5587-46AA-AAD5-C17CB3B0BEE6}
const CLSID kPropertyPageClsid = {
    0xE27B2F22, 0x5587, 0x46AA, {0xAA, 0xD5, 0xC1, 0x7C, 0xB3, 0xB0, 0xBE, 0xE6}};

// Every read/write property of the control's interface, in vtable order.
const wchar_t* const kPropertyBagNames[] = {NOTAREL_READ_WRITE_PROPERTY_NAMES};
const size_t kPropertyBagNameCount = sizeof kPropertyBagNames / sizeof kPropertyBagNames[0];

SIZEL DefaultControlExtent() {
  constexpr int kHimetricPerInch = 2540;
  HDC screen = GetDC(nullptr);
  const int dpiX = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
  const int dpiY = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return SIZEL{MulDiv(TAxCtrl::kDefaultWidth, kHimetricPerInch, dpiX > 0 ? dpiX : 96),
               MulDiv(TAxCtrl::kDefaultHeight, kHimetricPerInch, dpiY > 0 ? dpiY : 96)};
}

}  // namespace notarel

TOleControlBase::TOleControlBase(IUnknown* outer, IDispatch* automation, const CLSID& clsid,
                                 std::function<HRESULT()> showProperties)
    : FOuter(outer),
      FAutomation(automation),
      FClsid(clsid),
      FShowProperties(std::move(showProperties)),
      FWindow(std::make_unique<TAxCtrl>()),
      FState(std::make_unique<TState>()) {
  FState->Extent = notarel::DefaultControlExtent();
}

// The container has normally closed the control (Close, InPlaceDeactivate)
// before the last reference goes; whatever is left is dropped here without
// calling back into a container that may be going away itself.
TOleControlBase::~TOleControlBase() = default;

HWND TOleControlBase::Window() const { return FWindow->Handle(); }

HRESULT TOleControlBase::QueryControlInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  IUnknown* found = nullptr;
  if (iid == IID_IOleObject) found = static_cast<IOleObject*>(this);
  else if (iid == IID_IOleControl) found = static_cast<IOleControl*>(this);
  else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceObject) found = static_cast<IOleInPlaceObject*>(this);
  else if (iid == IID_IOleInPlaceActiveObject) found = static_cast<IOleInPlaceActiveObject*>(this);
  else if (iid == IID_IViewObject || iid == IID_IViewObject2) found = static_cast<IViewObject2*>(this);
  else if (iid == IID_IDataObject) found = static_cast<IDataObject*>(this);
  else if (iid == IID_IPersist || iid == IID_IPersistStreamInit) found = static_cast<IPersistStreamInit*>(this);
  else if (iid == IID_IPersistStorage) found = static_cast<IPersistStorage*>(this);
  else if (iid == IID_IPersistPropertyBag) found = static_cast<IPersistPropertyBag*>(this);
  else if (iid == IID_ISpecifyPropertyPages) found = static_cast<ISpecifyPropertyPages*>(this);
  else if (iid == IID_IPerPropertyBrowsing) found = static_cast<IPerPropertyBrowsing*>(this);
  else if (iid == IID_IQuickActivate) found = static_cast<IQuickActivate*>(this);
  else if (iid == IID_IObjectSafety) found = static_cast<IObjectSafety*>(this);
  if (!found) return E_NOINTERFACE;
  FOuter->AddRef();
  *out = found;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::QueryInterface(REFIID iid, void** out) {
  return FOuter->QueryInterface(iid, out);
}
ULONG STDMETHODCALLTYPE TOleControlBase::AddRef() { return FOuter->AddRef(); }
ULONG STDMETHODCALLTYPE TOleControlBase::Release() { return FOuter->Release(); }

// --- ISpecifyPropertyPages

HRESULT STDMETHODCALLTYPE TOleControlBase::GetPages(CAUUID* pages) {
  if (!pages) return E_POINTER;
  pages->cElems = 0;
  pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID)));
  if (!pages->pElems) return E_OUTOFMEMORY;
  pages->pElems[0] = notarel::kPropertyPageClsid;
  pages->cElems = 1;
  return S_OK;
}

// --- IPerPropertyBrowsing: no display strings, no predefined values, and no
// page that edits a single property.

HRESULT STDMETHODCALLTYPE TOleControlBase::GetDisplayString(DISPID, BSTR* text) {
  if (!text) return E_POINTER;
  *text = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::MapPropertyToPage(DISPID, CLSID* page) {
  if (!page) return E_POINTER;
  *page = CLSID_NULL;
  return PERPROP_E_NOPAGEAVAILABLE;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::GetPredefinedStrings(DISPID, CALPOLESTR* strings,
                                                                CADWORD* cookies) {
  if (!strings || !cookies) return E_POINTER;
  *strings = CALPOLESTR{0, nullptr};
  *cookies = CADWORD{0, nullptr};
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::GetPredefinedValue(DISPID, DWORD, VARIANT* value) {
  if (value) VariantInit(value);
  return E_NOTIMPL;
}

// --- IObjectSafety: both options supported on every interface the control
// has, one enabled set shared by all of them.

namespace {
constexpr DWORD kSafetyOptions = INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::GetInterfaceSafetyOptions(REFIID iid, DWORD* supported,
                                                                     DWORD* enabled) {
  if (!supported || !enabled) return E_POINTER;
  *supported = 0;
  *enabled = 0;
  IUnknown* probe = nullptr;
  if (FAILED(FOuter->QueryInterface(iid, reinterpret_cast<void**>(&probe))) || !probe) return E_NOINTERFACE;
  probe->Release();
  *supported = kSafetyOptions;
  *enabled = FState->SafetyOptions;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::SetInterfaceSafetyOptions(REFIID iid, DWORD mask, DWORD enabled) {
  IUnknown* probe = nullptr;
  if (FAILED(FOuter->QueryInterface(iid, reinterpret_cast<void**>(&probe))) || !probe) return E_NOINTERFACE;
  probe->Release();
  FState->SafetyOptions = mask & enabled;
  return S_OK;
}

// --- IOleControl: no mnemonics, no accelerators; ambient changes repaint.

HRESULT STDMETHODCALLTYPE TOleControlBase::GetControlInfo(CONTROLINFO* info) {
  if (!info) return E_POINTER;
  info->hAccel = nullptr;
  info->cAccel = 0;
  info->dwFlags = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::OnMnemonic(MSG*) { return S_OK; }

HRESULT STDMETHODCALLTYPE TOleControlBase::OnAmbientPropertyChange(DISPID) {
  if (FWindow->Handle()) InvalidateRect(FWindow->Handle(), nullptr, TRUE);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::FreezeEvents(BOOL freeze) {
  if (freeze) ++FState->EventFreezes;
  else if (FState->EventFreezes > 0) --FState->EventFreezes;
  return S_OK;
}
