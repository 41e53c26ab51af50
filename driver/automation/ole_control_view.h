// TOleControlView: the control's picture as a container draws it
// (IViewObject, IViewObject2) and its data object (IDataObject), which renders
// no clipboard formats but keeps data advise connections.
//
// A part of TOleControlBase, not a COM object of its own: IUnknown calls are
// forwarded to `outer`. All calls come on the control's apartment.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <vector>

#include "com_ptr.h"
#include "ole_control_persist.h"

class TAxCtrl;

class TOleControlView : public IViewObject2, public IDataObject {
public:
  // `window` paints the picture; `saved` holds the extent the view reports.
  // Both belong to the control and outlive the view.
  TOleControlView(IUnknown* outer, const TAxCtrl& window, const TPersistentState& saved)
      : FOuter(outer), FWindow(window), FSaved(saved) {}
  TOleControlView(const TOleControlView&) = delete;
  TOleControlView& operator=(const TOleControlView&) = delete;
  virtual ~TOleControlView() = default;

  // IUnknown, forwarded to `outer`.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IViewObject and IViewObject2
  HRESULT STDMETHODCALLTYPE Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device,
                                 HDC targetDc, HDC dc, LPCRECTL bounds, LPCRECTL metafileBounds,
                                 BOOL(STDMETHODCALLTYPE* cont)(ULONG_PTR), ULONG_PTR contArg) override;
  HRESULT STDMETHODCALLTYPE GetColorSet(DWORD aspect, LONG index, void* aspectInfo,
                                        DVTARGETDEVICE* device, HDC targetDc,
                                        LOGPALETTE** colors) override;
  HRESULT STDMETHODCALLTYPE Freeze(DWORD aspect, LONG index, void* aspectInfo, DWORD* key) override;
  HRESULT STDMETHODCALLTYPE Unfreeze(DWORD key) override;
  HRESULT STDMETHODCALLTYPE SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
  HRESULT STDMETHODCALLTYPE GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
  HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* device,
                                      LPSIZEL size) override;

  // IDataObject
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override;
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink,
                                    DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** advises) override;

private:
  IUnknown* FOuter;
  const TAxCtrl& FWindow;
  const TPersistentState& FSaved;
  notarel::TComPtr<IDataAdviseHolder> FDataAdvise;
  notarel::TComPtr<IAdviseSink> FViewSink;
  DWORD FViewAspects = 0;
  DWORD FViewFlags = 0;
  std::vector<DWORD> FFreezeKeys;
  DWORD FNextFreezeKey = 0;
};
