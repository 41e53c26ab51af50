// TOleControlPersistence: the control's extent in a stream or a storage, and
// its read/write properties in a property bag.
#include "ole_control_persist.h"

#include "ax_window.h"
#include "com_ptr.h"
#include "member_signatures.h"

namespace notarel {

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

namespace {

// Name of the stream inside a container's storage.
const wchar_t kContentsStream[] = L"Contents";

constexpr ULONG kExtentBytes = 2 * sizeof(LONG);


class TVariant {
public:
  TVariant() { VariantInit(&FValue); }
  ~TVariant() { VariantClear(&FValue); }
  TVariant(const TVariant&) = delete;
  TVariant& operator=(const TVariant&) = delete;
  VARIANT* Get() { return &FValue; }

private:
  VARIANT FValue;
};

HRESULT DispidOf(IDispatch* automation, const wchar_t* name, DISPID* id) {
  auto* names = const_cast<LPOLESTR>(name);  // GetIDsOfNames does not write the names
  return automation->GetIDsOfNames(IID_NULL, &names, 1, LOCALE_USER_DEFAULT, id);
}

HRESULT GetProperty(IDispatch* automation, DISPID id, VARIANT* value) {
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  return automation->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, value, nullptr,
                            nullptr);
}

HRESULT PutProperty(IDispatch* automation, DISPID id, VARIANT* value) {
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{value, &named, 1, 1};
  return automation->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr,
                            nullptr, nullptr);
}

}  // namespace

HRESULT STDMETHODCALLTYPE TOleControlPersistence::QueryInterface(REFIID iid, void** out) {
  return FOuter->QueryInterface(iid, out);
}
ULONG STDMETHODCALLTYPE TOleControlPersistence::AddRef() { return FOuter->AddRef(); }
ULONG STDMETHODCALLTYPE TOleControlPersistence::Release() { return FOuter->Release(); }

HRESULT TOleControlPersistence::WriteExtent(IStream* stream) {
  const LONG data[2] = {FSaved.Extent.cx, FSaved.Extent.cy};
  ULONG written = 0;
  const HRESULT hr = stream->Write(data, kExtentBytes, &written);
  if (FAILED(hr)) return hr;
  return written == kExtentBytes ? S_OK : STG_E_WRITEFAULT;
}

HRESULT TOleControlPersistence::ReadExtent(IStream* stream) {
  LONG data[2] = {};
  ULONG read = 0;
  const HRESULT hr = stream->Read(data, kExtentBytes, &read);
  if (FAILED(hr)) return hr;
  if (read != kExtentBytes) return STG_E_READFAULT;
  FSaved.Extent = SIZEL{data[0], data[1]};
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControlPersistence::GetClassID(CLSID* clsid) {
  if (!clsid) return E_POINTER;
  *clsid = FClsid;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControlPersistence::IsDirty() { return FSaved.Dirty ? S_OK : S_FALSE; }

HRESULT STDMETHODCALLTYPE TOleControlPersistence::Load(LPSTREAM stream) {
  if (!stream) return E_POINTER;
  const HRESULT hr = ReadExtent(stream);
  if (SUCCEEDED(hr)) FSaved.Dirty = false;
  return hr;
}

HRESULT STDMETHODCALLTYPE TOleControlPersistence::Save(LPSTREAM stream, BOOL clearDirty) {
  if (!stream) return E_POINTER;
  const HRESULT hr = WriteExtent(stream);
  if (SUCCEEDED(hr) && clearDirty) FSaved.Dirty = false;
  return hr;
}

HRESULT STDMETHODCALLTYPE TOleControlPersistence::GetSizeMax(ULARGE_INTEGER* size) {
  if (!size) return E_POINTER;
  size->QuadPart = kExtentBytes;
  return S_OK;
}

// A new control (from a stream or from a property bag) starts at the default size.
HRESULT STDMETHODCALLTYPE TOleControlPersistence::InitNew() {
  FSaved.Extent = notarel::DefaultControlExtent();
  FSaved.Dirty = false;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControlPersistence::InitNew(IStorage* storage) {
  if (!storage) return E_POINTER;
  return InitNew();
}

HRESULT STDMETHODCALLTYPE TOleControlPersistence::Load(IStorage* storage) {
  if (!storage) return E_POINTER;
  notarel::TComPtr<IStream> stream;
  const HRESULT hr = storage->OpenStream(kContentsStream, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                         stream.Out());
  if (FAILED(hr)) return hr;
  return Load(stream.Get());
}

HRESULT STDMETHODCALLTYPE TOleControlPersistence::Save(IStorage* storage, BOOL) {
  if (!storage) return E_POINTER;
  HRESULT hr = WriteClassStg(storage, FClsid);
  if (FAILED(hr)) return hr;
  notarel::TComPtr<IStream> stream;
  hr = storage->CreateStream(kContentsStream, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0,
                             stream.Out());
  if (FAILED(hr)) return hr;
  return Save(stream.Get(), FALSE);
}

// The control keeps no storage between calls, so there is nothing to take up
// again or to let go of; the save is complete here.
HRESULT STDMETHODCALLTYPE TOleControlPersistence::SaveCompleted(IStorage*) {
  FSaved.Dirty = false;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControlPersistence::HandsOffStorage() { return S_OK; }

// --- IPersistPropertyBag

HRESULT TOleControlPersistence::SavePropertyBag(IPropertyBag* bag) {
  for (size_t i = 0; i < notarel::kPropertyBagNameCount; ++i) {
    const wchar_t* name = notarel::kPropertyBagNames[i];
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = DispidOf(FAutomation, name, &id);
    TVariant value;
    if (SUCCEEDED(hr)) hr = GetProperty(FAutomation, id, value.Get());
    if (SUCCEEDED(hr)) hr = bag->Write(name, value.Get());
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

// A name missing from the bag keeps the property as it is; a value the
// property refuses fails the load.
HRESULT TOleControlPersistence::LoadPropertyBag(IPropertyBag* bag, IErrorLog* log) {
  for (size_t i = 0; i < notarel::kPropertyBagNameCount; ++i) {
    const wchar_t* name = notarel::kPropertyBagNames[i];
    TVariant value;
    if (FAILED(bag->Read(name, value.Get(), log))) continue;
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = DispidOf(FAutomation, name, &id);
    if (SUCCEEDED(hr)) hr = PutProperty(FAutomation, id, value.Get());
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControlPersistence::Load(IPropertyBag* bag, IErrorLog* log) {
  if (!bag) return E_POINTER;
  const HRESULT hr = LoadPropertyBag(bag, log);
  if (SUCCEEDED(hr)) FSaved.Dirty = false;
  return hr;
}

HRESULT STDMETHODCALLTYPE TOleControlPersistence::Save(IPropertyBag* bag, BOOL clearDirty, BOOL) {
  if (!bag) return E_POINTER;
  const HRESULT hr = SavePropertyBag(bag);
  if (SUCCEEDED(hr) && clearDirty) FSaved.Dirty = false;
  return hr;
}
