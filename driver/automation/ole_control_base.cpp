// TOleControlBase: construction, the interface table and IUnknown
// forwarding; IOleObject (site, verbs, extent, advise, misc status) and
// IQuickActivate, the one-call form of the same set-up; in-place activation in
// the container's window, the TAxCtrl child window's life, IOleInPlaceObject
// and IOleInPlaceActiveObject; and the small interfaces that answer from
// fixed data (property pages, per-property browsing, object safety,
// IOleControl).
#include "ole_control_base.h"

#include <cstring>
#include <cwchar>
#include <utility>

#include "com_enum.h"

namespace notarel {

// {E27B2F22-5587-46AA-AAD5-C17CB3B0BEE6}
const CLSID kPropertyPageClsid = {
    0xE27B2F22, 0x5587, 0x46AA, {0xAA, 0xD5, 0xC1, 0x7C, 0xB3, 0xB0, 0xBE, 0xE6}};

}  // namespace notarel

namespace {

// The control's one verb, "Properties", on the container's menu; it is the
// primary verb too.
constexpr LONG kPropertiesVerb = 0;

const OLEVERB kVerbs[] = {
    {kPropertiesVerb, const_cast<LPOLESTR>(L"Properties"), 0, OLEVERBATTRIB_ONCONTAINERMENU},
};
constexpr ULONG kVerbCount = sizeof kVerbs / sizeof kVerbs[0];

LPOLESTR CopyName(LPCOLESTR name) {
  const size_t bytes = (std::wcslen(name) + 1) * sizeof(OLECHAR);
  auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
  if (copy) std::wmemcpy(copy, name, bytes / sizeof(OLECHAR));
  return copy;
}

// The verbs are static; the caller of Next owns a copy of each name.
struct TVerbTraits {
  static void Hold(OLEVERB&) {}
  static void Drop(OLEVERB&) {}
  static bool CopyOut(const OLEVERB& verb, OLEVERB& out) {
    out = verb;
    out.lpszVerbName = CopyName(verb.lpszVerbName);
    return out.lpszVerbName != nullptr;
  }
};

using TVerbEnumerator = notarel::TComEnum<IEnumOLEVERB, OLEVERB, &IID_IEnumOLEVERB, TVerbTraits>;

}  // namespace

TOleControlBase::TOleControlBase(IUnknown* outer, IDispatch* automation, const CLSID& clsid,
                                 std::function<HRESULT()> showProperties)
    : FOuter(outer),
      FClsid(clsid),
      FShowProperties(std::move(showProperties)),
      FView(outer, FWindow, FSaved),
      FPersistence(outer, automation, clsid, FSaved) {}

// The container has normally closed the control (Close, InPlaceDeactivate)
// before the last reference goes; whatever is left is dropped here without
// calling back into a container that may be going away itself.
TOleControlBase::~TOleControlBase() = default;

HWND TOleControlBase::Window() const { return FWindow.Handle(); }

HRESULT TOleControlBase::QueryControlInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  IUnknown* found = nullptr;
  if (iid == IID_IOleObject) found = static_cast<IOleObject*>(this);
  else if (iid == IID_IOleControl) found = static_cast<IOleControl*>(this);
  else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceObject) found = static_cast<IOleInPlaceObject*>(this);
  else if (iid == IID_IOleInPlaceActiveObject) found = static_cast<IOleInPlaceActiveObject*>(this);
  else if (iid == IID_IViewObject || iid == IID_IViewObject2) found = static_cast<IViewObject2*>(&FView);
  else if (iid == IID_IDataObject) found = static_cast<IDataObject*>(&FView);
  else if (iid == IID_IPersist || iid == IID_IPersistStreamInit) found = static_cast<IPersistStreamInit*>(&FPersistence);
  else if (iid == IID_IPersistStorage) found = static_cast<IPersistStorage*>(&FPersistence);
  else if (iid == IID_IPersistPropertyBag) found = static_cast<IPersistPropertyBag*>(&FPersistence);
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
  *enabled = FSafetyOptions;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::SetInterfaceSafetyOptions(REFIID iid, DWORD mask, DWORD enabled) {
  IUnknown* probe = nullptr;
  if (FAILED(FOuter->QueryInterface(iid, reinterpret_cast<void**>(&probe))) || !probe) return E_NOINTERFACE;
  probe->Release();
  FSafetyOptions = mask & enabled;
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
  if (FWindow.Handle()) InvalidateRect(FWindow.Handle(), nullptr, TRUE);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::FreezeEvents(BOOL freeze) {
  if (freeze) ++FEventFreezes;
  else if (FEventFreezes > 0) --FEventFreezes;
  return S_OK;
}

// --- IOleObject

HRESULT STDMETHODCALLTYPE TOleControlBase::SetClientSite(IOleClientSite* site) {
  FSite = notarel::TComPtr<IOleClientSite>::Share(site);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::GetClientSite(IOleClientSite** site) {
  if (!site) return E_POINTER;
  *site = notarel::TComPtr<IOleClientSite>(FSite).Detach();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::SetHostNames(LPCOLESTR, LPCOLESTR) { return S_OK; }

HRESULT STDMETHODCALLTYPE TOleControlBase::Close(DWORD saveOption) {
  InPlaceDeactivate();
  const bool save = saveOption == OLECLOSE_SAVEIFDIRTY || saveOption == OLECLOSE_PROMPTSAVE;
  if (save && FSaved.Dirty && FSite) FSite->SaveObject();
  if (FOleAdvise) FOleAdvise->SendOnClose();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::SetMoniker(DWORD, IMoniker*) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE TOleControlBase::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (!moniker) return E_POINTER;
  *moniker = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::InitFromData(IDataObject*, BOOL, DWORD) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE TOleControlBase::GetClipboardData(DWORD, IDataObject** data) {
  if (!data) return E_POINTER;
  *data = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) {
  switch (verb) {
    case kPropertiesVerb:
    case OLEIVERB_PROPERTIES:
      return FShowProperties ? FShowProperties() : E_NOTIMPL;
    case OLEIVERB_SHOW:
    case OLEIVERB_UIACTIVATE:
      return ActivateInPlace(true);
    case OLEIVERB_INPLACEACTIVATE:
      return ActivateInPlace(false);
    case OLEIVERB_HIDE:
      UIDeactivate();
      if (FWindow.Handle()) ShowWindow(FWindow.Handle(), SW_HIDE);
      return S_OK;
    default:
      break;
  }
  if (verb < 0) return E_NOTIMPL;
  // A verb number the control does not know runs the primary verb.
  const HRESULT hr = FShowProperties ? FShowProperties() : E_NOTIMPL;
  return FAILED(hr) ? hr : OLEOBJ_S_INVALIDVERB;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::EnumVerbs(IEnumOLEVERB** verbs) {
  // Each OLEVERB handed out carries its own copy of the name, which the
  // caller frees with CoTaskMemFree.
  return TVerbEnumerator::Create(std::vector<OLEVERB>(kVerbs, kVerbs + kVerbCount), verbs);
}

HRESULT STDMETHODCALLTYPE TOleControlBase::Update() { return S_OK; }
HRESULT STDMETHODCALLTYPE TOleControlBase::IsUpToDate() { return S_OK; }

HRESULT STDMETHODCALLTYPE TOleControlBase::GetUserClassID(CLSID* clsid) {
  if (!clsid) return E_POINTER;
  *clsid = FClsid;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::GetUserType(DWORD form, LPOLESTR* type) {
  if (!type) return E_POINTER;
  return OleRegGetUserType(FClsid, form, type);
}

HRESULT STDMETHODCALLTYPE TOleControlBase::SetExtent(DWORD aspect, SIZEL* size) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!size) return E_POINTER;
  if (size->cx != FSaved.Extent.cx || size->cy != FSaved.Extent.cy) FSaved.Dirty = true;
  FSaved.Extent = *size;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::GetExtent(DWORD aspect, SIZEL* size) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!size) return E_POINTER;
  *size = FSaved.Extent;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::Advise(IAdviseSink* sink, DWORD* cookie) {
  if (!cookie) return E_POINTER;
  *cookie = 0;
  if (!FOleAdvise) {
    const HRESULT hr = CreateOleAdviseHolder(FOleAdvise.Out());
    if (FAILED(hr)) return hr;
  }
  return FOleAdvise->Advise(sink, cookie);
}

HRESULT STDMETHODCALLTYPE TOleControlBase::Unadvise(DWORD cookie) {
  if (!FOleAdvise) return OLE_E_NOCONNECTION;
  return FOleAdvise->Unadvise(cookie);
}

HRESULT STDMETHODCALLTYPE TOleControlBase::EnumAdvise(IEnumSTATDATA** advises) {
  if (!advises) return E_POINTER;
  *advises = nullptr;
  if (!FOleAdvise) return E_FAIL;
  return FOleAdvise->EnumAdvise(advises);
}

// The registry holds the same numbers: "0" for the object as a whole and the
// control's flags under the content aspect.
HRESULT STDMETHODCALLTYPE TOleControlBase::GetMiscStatus(DWORD aspect, DWORD* status) {
  if (!status) return E_POINTER;
  *status = aspect == DVASPECT_CONTENT ? notarel::kControlMiscStatus : 0;
  return S_OK;
}

// The control's picture uses system colours and its own bitmap only.
HRESULT STDMETHODCALLTYPE TOleControlBase::SetColorScheme(LOGPALETTE*) { return S_OK; }

// --- IQuickActivate

namespace {

// Connects `sink` to the outer object's connection point for `iid`, or to its
// first connection point when `iid` is null (the control's event source).
DWORD ConnectSink(IUnknown* outer, const IID* iid, IUnknown* sink) {
  notarel::TComPtr<IConnectionPointContainer> container;
  if (FAILED(outer->QueryInterface(IID_IConnectionPointContainer, container.OutVoid()))) return 0;
  notarel::TComPtr<IConnectionPoint> point;
  if (iid) {
    if (FAILED(container->FindConnectionPoint(*iid, point.Out()))) return 0;
  } else {
    notarel::TComPtr<IEnumConnectionPoints> points;
    if (FAILED(container->EnumConnectionPoints(points.Out())) || !points) return 0;
    if (points->Next(1, point.Out(), nullptr) != S_OK) return 0;
  }
  DWORD cookie = 0;
  if (!point || FAILED(point->Advise(sink, &cookie))) return 0;
  return cookie;
}

}  // namespace

HRESULT STDMETHODCALLTYPE TOleControlBase::QuickActivate(QACONTAINER* container, QACONTROL* control) {
  if (!container || !control) return E_POINTER;
  if (control->cbSize < sizeof(QACONTROL)) return E_INVALIDARG;
  std::memset(reinterpret_cast<BYTE*>(control) + sizeof control->cbSize, 0,
              sizeof(QACONTROL) - sizeof control->cbSize);

  SetClientSite(container->pClientSite);
  if (container->pAdviseSink) FView.SetAdvise(DVASPECT_CONTENT, 0, container->pAdviseSink);
  if (container->pUnkEventSink) control->dwEventCookie = ConnectSink(FOuter, nullptr, container->pUnkEventSink);
  if (container->pPropertyNotifySink) {
    control->dwPropNotifyCookie = ConnectSink(FOuter, &IID_IPropertyNotifySink, container->pPropertyNotifySink);
  }
  control->dwMiscStatus = notarel::kControlMiscStatus;
  control->dwViewStatus = VIEWSTATUS_OPAQUE;
  control->dwPointerActivationPolicy = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::SetContentExtent(LPSIZEL size) {
  return SetExtent(DVASPECT_CONTENT, size);
}

HRESULT STDMETHODCALLTYPE TOleControlBase::GetContentExtent(LPSIZEL size) {
  return GetExtent(DVASPECT_CONTENT, size);
}

// --- In-place activation

HRESULT TOleControlBase::ActivateInPlace(bool uiActivate) {
    if (!FSite) return E_UNEXPECTED;
  if (!FInPlaceActive) {
    notarel::TComPtr<IOleInPlaceSite> site;
    HRESULT hr = FSite->QueryInterface(IID_IOleInPlaceSite, site.OutVoid());
    if (FAILED(hr)) return hr;
    if (site->CanInPlaceActivate() != S_OK) return E_FAIL;
    hr = site->OnInPlaceActivate();
    if (FAILED(hr)) return hr;
    FInPlaceSite = site;
    FInPlaceActive = true;

    HWND parent = nullptr;
    RECT position{}, clip{};
    OLEINPLACEFRAMEINFO frameInfo{};
    frameInfo.cb = sizeof frameInfo;
    hr = site->GetWindow(&parent);
    if (SUCCEEDED(hr)) {
      hr = site->GetWindowContext(FFrame.Out(), FUiWindow.Out(), &position, &clip, &frameInfo);
    }
    if (SUCCEEDED(hr) && !FWindow.Create(parent, position)) hr = HRESULT_FROM_WIN32(GetLastError());
    if (FAILED(hr)) {
      InPlaceDeactivate();
      return hr;
    }
    SetObjectRects(&position, &clip);
    FSite->ShowObject();
  }
  if (uiActivate && !FUiActive) {
    const HRESULT hr = ActivateUi();
    if (FAILED(hr)) return hr;
  }
  ShowWindow(FWindow.Handle(), SW_SHOWNA);
  return S_OK;
}

HRESULT TOleControlBase::ActivateUi() {
    FUiActive = true;
  const HRESULT hr = FInPlaceSite->OnUIActivate();
  if (FAILED(hr)) {
    FUiActive = false;
    return hr;
  }
  // The control brings no menus, tools or keyboard handling: it registers as
  // the active object and asks for no border space.
  auto* active = static_cast<IOleInPlaceActiveObject*>(this);
  if (FFrame) {
    FFrame->SetActiveObject(active, nullptr);
    FFrame->SetBorderSpace(nullptr);
  }
  if (FUiWindow) {
    FUiWindow->SetActiveObject(active, nullptr);
    FUiWindow->SetBorderSpace(nullptr);
  }
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::InPlaceDeactivate() {
    if (!FInPlaceActive) return S_OK;
  UIDeactivate();
  FInPlaceActive = false;
  FWindow.Destroy();
  notarel::TComPtr<IOleInPlaceSite> site = FInPlaceSite;
  FInPlaceSite.Reset();
  FFrame.Reset();
  FUiWindow.Reset();
  if (site) site->OnInPlaceDeactivate();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::UIDeactivate() {
    if (!FUiActive) return S_OK;
  FUiActive = false;
  if (FUiWindow) FUiWindow->SetActiveObject(nullptr, nullptr);
  if (FFrame) FFrame->SetActiveObject(nullptr, nullptr);
  if (FInPlaceSite) FInPlaceSite->OnUIDeactivate(FALSE);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::SetObjectRects(LPCRECT position, LPCRECT clip) {
  if (!position) return E_POINTER;
  HWND window = FWindow.Handle();
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
  *window = FWindow.Handle();
  return *window ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

// The control takes no keyboard input, so no message is its accelerator.
HRESULT STDMETHODCALLTYPE TOleControlBase::TranslateAccelerator(LPMSG) { return S_FALSE; }
HRESULT STDMETHODCALLTYPE TOleControlBase::OnFrameWindowActivate(BOOL) { return S_OK; }
HRESULT STDMETHODCALLTYPE TOleControlBase::OnDocWindowActivate(BOOL) { return S_OK; }
HRESULT STDMETHODCALLTYPE TOleControlBase::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_OK; }
HRESULT STDMETHODCALLTYPE TOleControlBase::EnableModeless(BOOL) { return S_OK; }
