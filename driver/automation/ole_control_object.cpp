// TOleControlBase: IOleObject (site, verbs, extent, advise, misc status) and
// IQuickActivate, the one-call form of the same set-up.
#include "ole_control_base.h"

#include "ax_window.h"
#include "ole_control_state.h"
#include "ole_control_verbs.h"

#include <cstring>

HRESULT STDMETHODCALLTYPE TOleControlBase::SetClientSite(IOleClientSite* site) {
  FState->Site.Reset(site);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::GetClientSite(IOleClientSite** site) {
  if (!site) return E_POINTER;
  FState->Site.CopyTo(site);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::SetHostNames(LPCOLESTR, LPCOLESTR) { return S_OK; }

HRESULT STDMETHODCALLTYPE TOleControlBase::Close(DWORD saveOption) {
  InPlaceDeactivate();
  const bool save = saveOption == OLECLOSE_SAVEIFDIRTY || saveOption == OLECLOSE_PROMPTSAVE;
  if (save && FState->Dirty && FState->Site) FState->Site->SaveObject();
  if (FState->OleAdvise) FState->OleAdvise->SendOnClose();
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
    case notarel::kPropertiesVerb:
    case OLEIVERB_PROPERTIES:
      return FShowProperties ? FShowProperties() : E_NOTIMPL;
    case OLEIVERB_SHOW:
    case OLEIVERB_UIACTIVATE:
      return ActivateInPlace(true);
    case OLEIVERB_INPLACEACTIVATE:
      return ActivateInPlace(false);
    case OLEIVERB_HIDE:
      UIDeactivate();
      if (FWindow->Handle()) ShowWindow(FWindow->Handle(), SW_HIDE);
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
  return notarel::CreateVerbEnumerator(verbs);
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
  if (size->cx != FState->Extent.cx || size->cy != FState->Extent.cy) FState->Dirty = true;
  FState->Extent = *size;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::GetExtent(DWORD aspect, SIZEL* size) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!size) return E_POINTER;
  *size = FState->Extent;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::Advise(IAdviseSink* sink, DWORD* cookie) {
  if (!cookie) return E_POINTER;
  *cookie = 0;
  if (!FState->OleAdvise) {
    const HRESULT hr = CreateOleAdviseHolder(FState->OleAdvise.Put());
    if (FAILED(hr)) return hr;
  }
  return FState->OleAdvise->Advise(sink, cookie);
}

HRESULT STDMETHODCALLTYPE TOleControlBase::Unadvise(DWORD cookie) {
  if (!FState->OleAdvise) return OLE_E_NOCONNECTION;
  return FState->OleAdvise->Unadvise(cookie);
}

HRESULT STDMETHODCALLTYPE TOleControlBase::EnumAdvise(IEnumSTATDATA** advises) {
  if (!advises) return E_POINTER;
  *advises = nullptr;
  if (!FState->OleAdvise) return E_FAIL;
  return FState->OleAdvise->EnumAdvise(advises);
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
  TComPtr<IConnectionPointContainer> container;
  if (FAILED(outer->QueryInterface(IID_IConnectionPointContainer, container.PutVoid()))) return 0;
  TComPtr<IConnectionPoint> point;
  if (iid) {
    if (FAILED(container->FindConnectionPoint(*iid, point.Put()))) return 0;
  } else {
    TComPtr<IEnumConnectionPoints> points;
    if (FAILED(container->EnumConnectionPoints(points.Put())) || !points) return 0;
    if (points->Next(1, point.Put(), nullptr) != S_OK) return 0;
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
  if (container->pAdviseSink) SetAdvise(DVASPECT_CONTENT, 0, container->pAdviseSink);
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
