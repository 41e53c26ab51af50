// TOleControlBase: IViewObject2 (the control's picture drawn into a
// container's device context) and IDataObject (no data formats, only advise).
#include "ole_control_base.h"

#include "ax_window.h"
#include "ole_control_state.h"

#include <algorithm>

HRESULT STDMETHODCALLTYPE TOleControlBase::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc,
                                                LPCRECTL bounds, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR),
                                                ULONG_PTR) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!dc || !bounds) return E_INVALIDARG;
  const RECT rect{bounds->left, bounds->top, bounds->right, bounds->bottom};
  HPALETTE oldPalette = nullptr;
  if (FWindow->Palette()) {
    oldPalette = SelectPalette(dc, FWindow->Palette(), TRUE);
    RealizePalette(dc);
  }
  FWindow->Paint(dc, rect);
  if (oldPalette) SelectPalette(dc, oldPalette, TRUE);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::GetColorSet(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC,
                                                       LOGPALETTE** colors) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!colors) return E_POINTER;
  *colors = nullptr;
  HPALETTE palette = FWindow->Palette();
  const UINT count = palette ? GetPaletteEntries(palette, 0, 0, nullptr) : 0;
  if (count == 0) return S_FALSE;
  const size_t bytes = sizeof(LOGPALETTE) + (count - 1) * sizeof(PALETTEENTRY);
  auto* set = static_cast<LOGPALETTE*>(CoTaskMemAlloc(bytes));
  if (!set) return E_OUTOFMEMORY;
  set->palVersion = 0x300;
  set->palNumEntries = static_cast<WORD>(count);
  GetPaletteEntries(palette, 0, count, set->palPalEntry);
  *colors = set;
  return S_OK;
}

// The picture never changes on its own, so a frozen view needs no snapshot:
// the keys only have to pair Freeze with Unfreeze.
HRESULT STDMETHODCALLTYPE TOleControlBase::Freeze(DWORD aspect, LONG, void*, DWORD* key) {
  if (!key) return E_POINTER;
  *key = 0;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  *key = ++FState->NextFreezeKey;
  FState->FreezeKeys.push_back(*key);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::Unfreeze(DWORD key) {
  auto& keys = FState->FreezeKeys;
  const auto found = std::find(keys.begin(), keys.end(), key);
  if (found == keys.end()) return OLE_E_NOCONNECTION;
  keys.erase(found);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
  FState->ViewSink.Reset(sink);
  FState->ViewAspects = aspects;
  FState->ViewFlags = flags;
  if (sink && (flags & ADVF_PRIMEFIRST)) sink->OnViewChange(DVASPECT_CONTENT, -1);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
  if (aspects) *aspects = FState->ViewAspects;
  if (flags) *flags = FState->ViewFlags;
  if (sink) FState->ViewSink.CopyTo(sink);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
  return GetExtent(aspect, size);
}

// --- IDataObject: the control renders no clipboard formats; containers get
// its picture through IViewObject. Data advise connections are kept all the same.

HRESULT STDMETHODCALLTYPE TOleControlBase::GetData(FORMATETC* format, STGMEDIUM* medium) {
  if (!format || !medium) return E_INVALIDARG;
  return DV_E_FORMATETC;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::GetDataHere(FORMATETC* format, STGMEDIUM* medium) {
  if (!format || !medium) return E_INVALIDARG;
  return DV_E_FORMATETC;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::QueryGetData(FORMATETC* format) {
  if (!format) return E_INVALIDARG;
  return DV_E_FORMATETC;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
  if (!out) return E_INVALIDARG;
  out->ptd = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::SetData(FORMATETC*, STGMEDIUM*, BOOL) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE TOleControlBase::EnumFormatEtc(DWORD, IEnumFORMATETC** formats) {
  if (!formats) return E_POINTER;
  *formats = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink,
                                                   DWORD* cookie) {
  if (!cookie) return E_POINTER;
  *cookie = 0;
  if (!FState->DataAdvise) {
    const HRESULT hr = CreateDataAdviseHolder(FState->DataAdvise.Put());
    if (FAILED(hr)) return hr;
  }
  return FState->DataAdvise->Advise(static_cast<IDataObject*>(this), format, flags, sink, cookie);
}

HRESULT STDMETHODCALLTYPE TOleControlBase::DUnadvise(DWORD cookie) {
  if (!FState->DataAdvise) return OLE_E_NOCONNECTION;
  return FState->DataAdvise->Unadvise(cookie);
}

HRESULT STDMETHODCALLTYPE TOleControlBase::EnumDAdvise(IEnumSTATDATA** advises) {
  if (!advises) return E_POINTER;
  *advises = nullptr;
  if (!FState->DataAdvise) return E_FAIL;
  return FState->DataAdvise->EnumAdvise(advises);
}
