// TOleControlPersistence: how a container saves and loads the control
// (IPersistStreamInit, IPersistStorage, IPersistPropertyBag). A stream or a
// storage holds only the state of the control's window, its extent in
// HIMETRIC; a property bag holds the control's read/write properties, each
// read and written through the control's own IDispatch, so that every rule of
// the property applies on load. Everything else the driver keeps lives in its
// settings file.
//
// A part of TOleControlBase, not a COM object of its own: IUnknown calls are
// forwarded to `outer`. All calls come on the control's apartment.
#pragma once

#include <windows.h>
#include <ocidl.h>

namespace notarel {

// The properties that the property bag holds, in the order they are saved
// and loaded.
extern const wchar_t* const kPropertyBagNames[];
extern const size_t kPropertyBagNameCount;

// The default extent of the control, 40 by 40 pixels of the screen, in HIMETRIC.
SIZEL DefaultControlExtent();

}  // namespace notarel

// What a container saves of the control: its extent, and whether that has
// changed since the last save or load.
struct TPersistentState {
  SIZEL Extent = notarel::DefaultControlExtent();  // HIMETRIC
  bool Dirty = false;
};

class TOleControlPersistence : public IPersistStreamInit, public IPersistStorage, public IPersistPropertyBag {
public:
  // `automation` is the control's IDispatch (not referenced); `saved` belongs
  // to the control and outlives this part.
  TOleControlPersistence(IUnknown* outer, IDispatch* automation, const CLSID& clsid, TPersistentState& saved)
      : FOuter(outer), FAutomation(automation), FClsid(clsid), FSaved(saved) {}
  TOleControlPersistence(const TOleControlPersistence&) = delete;
  TOleControlPersistence& operator=(const TOleControlPersistence&) = delete;
  virtual ~TOleControlPersistence() = default;

  // IUnknown, forwarded to `outer`.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IPersist (shared by the three persistence interfaces) and IsDirty
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;
  HRESULT STDMETHODCALLTYPE IsDirty() override;

  // IPersistStreamInit; InitNew() is shared with IPersistPropertyBag.
  HRESULT STDMETHODCALLTYPE Load(LPSTREAM stream) override;
  HRESULT STDMETHODCALLTYPE Save(LPSTREAM stream, BOOL clearDirty) override;
  HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;
  HRESULT STDMETHODCALLTYPE InitNew() override;

  // IPersistStorage
  HRESULT STDMETHODCALLTYPE InitNew(IStorage* storage) override;
  HRESULT STDMETHODCALLTYPE Load(IStorage* storage) override;
  HRESULT STDMETHODCALLTYPE Save(IStorage* storage, BOOL sameAsLoad) override;
  HRESULT STDMETHODCALLTYPE SaveCompleted(IStorage* storage) override;
  HRESULT STDMETHODCALLTYPE HandsOffStorage() override;

  // IPersistPropertyBag
  HRESULT STDMETHODCALLTYPE Load(IPropertyBag* bag, IErrorLog* log) override;
  HRESULT STDMETHODCALLTYPE Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) override;

private:
  HRESULT SavePropertyBag(IPropertyBag* bag);
  HRESULT LoadPropertyBag(IPropertyBag* bag, IErrorLog* log);
  HRESULT WriteExtent(IStream* stream);
  HRESULT ReadExtent(IStream* stream);

  IUnknown* FOuter;
  IDispatch* FAutomation;
  CLSID FClsid;
  TPersistentState& FSaved;
};
