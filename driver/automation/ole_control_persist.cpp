// TOleControlBase: IPersistStreamInit and IPersistStorage. The stream holds
// only the state of the control's window, its extent in HIMETRIC; everything
// the driver keeps lives in its settings file.
#include "ole_control_base.h"

#include "ole_control_state.h"

namespace {

// Name of the stream inside a container's storage.
const wchar_t kContentsStream[] = L"Contents";

constexpr ULONG kExtentBytes = 2 * sizeof(LONG);

}  // namespace

HRESULT TOleControlBase::WriteExtent(IStream* stream) {
  const LONG data[2] = {FState->Extent.cx, FState->Extent.cy};
  ULONG written = 0;
  const HRESULT hr = stream->Write(data, kExtentBytes, &written);
  if (FAILED(hr)) return hr;
  return written == kExtentBytes ? S_OK : STG_E_WRITEFAULT;
}

HRESULT TOleControlBase::ReadExtent(IStream* stream) {
  LONG data[2] = {};
  ULONG read = 0;
  const HRESULT hr = stream->Read(data, kExtentBytes, &read);
  if (FAILED(hr)) return hr;
  if (read != kExtentBytes) return STG_E_READFAULT;
  FState->Extent = SIZEL{data[0], data[1]};
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::GetClassID(CLSID* clsid) {
  if (!clsid) return E_POINTER;
  *clsid = FClsid;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::IsDirty() { return FState->Dirty ? S_OK : S_FALSE; }

HRESULT STDMETHODCALLTYPE TOleControlBase::Load(LPSTREAM stream) {
  if (!stream) return E_POINTER;
  const HRESULT hr = ReadExtent(stream);
  if (SUCCEEDED(hr)) FState->Dirty = false;
  return hr;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::Save(LPSTREAM stream, BOOL clearDirty) {
  if (!stream) return E_POINTER;
  const HRESULT hr = WriteExtent(stream);
  if (SUCCEEDED(hr) && clearDirty) FState->Dirty = false;
  return hr;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::GetSizeMax(ULARGE_INTEGER* size) {
  if (!size) return E_POINTER;
  size->QuadPart = kExtentBytes;
  return S_OK;
}

// A new control (from a stream or from a property bag) starts at the default size.
HRESULT STDMETHODCALLTYPE TOleControlBase::InitNew() {
  FState->Extent = notarel::DefaultControlExtent();
  FState->Dirty = false;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::InitNew(IStorage* storage) {
  if (!storage) return E_POINTER;
  return InitNew();
}

HRESULT STDMETHODCALLTYPE TOleControlBase::Load(IStorage* storage) {
  if (!storage) return E_POINTER;
  TComPtr<IStream> stream;
  const HRESULT hr = storage->OpenStream(kContentsStream, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                         stream.Put());
  if (FAILED(hr)) return hr;
  return Load(stream.Get());
}

HRESULT STDMETHODCALLTYPE TOleControlBase::Save(IStorage* storage, BOOL) {
  if (!storage) return E_POINTER;
  HRESULT hr = WriteClassStg(storage, FClsid);
  if (FAILED(hr)) return hr;
  TComPtr<IStream> stream;
  hr = storage->CreateStream(kContentsStream, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0,
                             stream.Put());
  if (FAILED(hr)) return hr;
  return Save(stream.Get(), FALSE);
}

// The control keeps no storage between calls, so there is nothing to take up
// again or to let go of; the save is complete here.
HRESULT STDMETHODCALLTYPE TOleControlBase::SaveCompleted(IStorage*) {
  FState->Dirty = false;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControlBase::HandsOffStorage() { return S_OK; }
