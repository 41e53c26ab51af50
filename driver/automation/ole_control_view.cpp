// TOleControlView: IViewObject2 (the control's picture drawn into a
// container's device context) and IDataObject (no data formats, only advise).
#include "ole_control_view.h"

#include "ax_window.h"

#include <algorithm>

HRESULT STDMETHODCALLTYPE TOleControlView::QueryInterface(REFIID iid, void** out) {
  return FOuter->QueryInterface(iid, out);
}
ULONG STDMETHODCALLTYPE TOleControlView::AddRef() { return FOuter->AddRef(); }
ULONG STDMETHODCALLTYPE TOleControlView::Release() { return FOuter->Release(); }

HRESULT STDMETHODCALLTYPE TOleControlView::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc,
                                                LPCRECTL bounds, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR),
                                                ULONG_PTR) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!dc || !bounds) return E_INVALIDARG;
  const RECT rect{bounds->left, bounds->top, bounds->right, bounds->bottom};
  HPALETTE oldPalette = nullptr;
  if (FWindow.Palette()) {
    oldPalette = SelectPalette(dc, FWindow.Palette(), TRUE);
    RealizePalette(dc);
  }
  FWindow.Paint(dc, rect);
  if (oldPalette) SelectPalette(dc, oldPalette, TRUE);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControlView::GetColorSet(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC,
                                                       LOGPALETTE** colors) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!colors) return E_POINTER;
  *colors = nullptr;
  HPALETTE palette = FWindow.Palette();
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
HRESULT STDMETHODCALLTYPE TOleControlView::Freeze(DWORD aspect, LONG, void*, DWORD* key) {
  if (!key) return E_POINTER;
  *key = 0;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  *key = ++FNextFreezeKey;
  FFreezeKeys.push_back(*key);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControlView::Unfreeze(DWORD key) {
  auto& keys = FFreezeKeys;
  const auto found = std::find(keys.begin(), keys.end(), key);
  if (found == keys.end()) return OLE_E_NOCONNECTION;
  keys.erase(found);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControlView::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
  FViewSink = notarel::TComPtr<IAdviseSink>::Share(sink);
  FViewAspects = aspects;
  FViewFlags = flags;
  if (sink && (flags & ADVF_PRIMEFIRST)) sink->OnViewChange(DVASPECT_CONTENT, -1);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControlView::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
  if (aspects) *aspects = FViewAspects;
  if (flags) *flags = FViewFlags;
  if (sink) *sink = notarel::TComPtr<IAdviseSink>(FViewSink).Detach();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControlView::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!size) return E_POINTER;
  *size = FSaved.Extent;
  return S_OK;
}

// --- IDataObject: the control renders no clipboard formats; containers get
// its picture through IViewObject. Data advise connections are kept all the same.

HRESULT STDMETHODCALLTYPE TOleControlView::GetData(FORMATETC* format, STGMEDIUM* medium) {
  if (!format || !medium) return E_INVALIDARG;
  return DV_E_FORMATETC;
}

HRESULT STDMETHODCALLTYPE TOleControlView::GetDataHere(FORMATETC* format, STGMEDIUM* medium) {
  if (!format || !medium) return E_INVALIDARG;
  return DV_E_FORMATETC;
}

HRESULT STDMETHODCALLTYPE TOleControlView::QueryGetData(FORMATETC* format) {
  if (!format) return E_INVALIDARG;
  return DV_E_FORMATETC;
}

HRESULT STDMETHODCALLTYPE TOleControlView::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
  if (!out) return E_INVALIDARG;
  out->ptd = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TOleControlView::SetData(FORMATETC*, STGMEDIUM*, BOOL) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE TOleControlView::EnumFormatEtc(DWORD, IEnumFORMATETC** formats) {
  if (!formats) return E_POINTER;
  *formats = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TOleControlView::DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink,
                                                   DWORD* cookie) {
  if (!cookie) return E_POINTER;
  *cookie = 0;
  if (!FDataAdvise) {
    const HRESULT hr = CreateDataAdviseHolder(FDataAdvise.Out());
    if (FAILED(hr)) return hr;
  }
  return FDataAdvise->Advise(static_cast<IDataObject*>(this), format, flags, sink, cookie);
}

HRESULT STDMETHODCALLTYPE TOleControlView::DUnadvise(DWORD cookie) {
  if (!FDataAdvise) return OLE_E_NOCONNECTION;
  return FDataAdvise->Unadvise(cookie);
}

HRESULT STDMETHODCALLTYPE TOleControlView::EnumDAdvise(IEnumSTATDATA** advises) {
  if (!advises) return E_POINTER;
  *advises = nullptr;
  if (!FDataAdvise) return E_FAIL;
  return FDataAdvise->EnumAdvise(advises);
}
