// The standard ActiveX control interfaces of a control object, in one piece
// that the control composes.
//
// TOleControlBase implements IOleObject, IOleControl, IOleInPlaceObject,
// IOleInPlaceActiveObject, IViewObject, IViewObject2, IDataObject,
// IPersistStreamInit, IPersistStorage, IPersistPropertyBag,
// ISpecifyPropertyPages, IPerPropertyBrowsing, IQuickActivate and
// IObjectSafety. It is not a COM object of its own: IUnknown calls on every
// one of these interfaces (QueryInterface, AddRef, Release) are forwarded to
// `outer`, so the control keeps one identity and one reference count. The
// control answers its own interfaces first and passes every other IID to
// QueryControlInterface.
//
// What the base needs from its control:
// - `outer`: the control's IUnknown. Not referenced (the control owns the
//   base); IObjectSafety asks its QueryInterface which interfaces exist, and
//   IQuickActivate connects the container's event sink through its
//   IConnectionPointContainer when it has one.
// - `automation`: the control's IDispatch, not referenced either. The property
//   bag reads and writes the control's properties by name through it
//   (GetIDsOfNames, then Invoke with DISPATCH_PROPERTYGET or DISPATCH_PROPERTYPUT).
// - `clsid`: the class of the created control (GetUserClassID, GetClassID).
// - `showProperties`: shows the control's property frame; run for the verb
//   "Properties" (0, which is also the primary verb, and OLEIVERB_PROPERTIES).
//
// The picture of the control (TAxCtrl) is bitmap resource 1 of the module that
// holds this code. All calls come on the control's single-threaded apartment.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <objsafe.h>
#include <olectl.h>

#include <functional>
#include <memory>

class TAxCtrl;

namespace notarel {

// The misc status of the control's content aspect: invisible at run time,
// recompose on resize, can't link inside, inside-out, activate when visible,
// set client site first.
constexpr DWORD kControlMiscStatus = 0x20591;

// The one property page of the control.
extern const CLSID kPropertyPageClsid;

// The properties that the property bag holds, in the order they are saved
// and loaded.
extern const wchar_t* const kPropertyBagNames[];
extern const size_t kPropertyBagNameCount;

}  // namespace notarel

class TOleControlBase : public IOleObject,
                        public IOleControl,
                        public IOleInPlaceObject,
                        public IOleInPlaceActiveObject,
                        public IViewObject2,
                        public IDataObject,
                        public IPersistStreamInit,
                        public IPersistStorage,
                        public IPersistPropertyBag,
                        public ISpecifyPropertyPages,
                        public IPerPropertyBrowsing,
                        public IQuickActivate,
                        public IObjectSafety {
public:
  TOleControlBase(IUnknown* outer, IDispatch* automation, const CLSID& clsid,
                  std::function<HRESULT()> showProperties);
  virtual ~TOleControlBase();
  TOleControlBase(const TOleControlBase&) = delete;
  TOleControlBase& operator=(const TOleControlBase&) = delete;

  // Answers the interfaces listed above with an added reference (through
  // `outer`); E_NOINTERFACE and a null pointer for every other IID, among them
  // ISimpleFrameSite, IUnknown and IDispatch, which are the control's own.
  HRESULT QueryControlInterface(REFIID iid, void** out);

  // The control's window while it is in-place active, else null.
  HWND Window() const;

  // IUnknown, forwarded to `outer`.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IOleObject
  HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override;
  HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override;
  HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR app, LPCOLESTR object) override;
  HRESULT STDMETHODCALLTYPE Close(DWORD saveOption) override;
  HRESULT STDMETHODCALLTYPE SetMoniker(DWORD which, IMoniker* moniker) override;
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
  HRESULT STDMETHODCALLTYPE InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
  HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD reserved, IDataObject** data) override;
  HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG msg, IOleClientSite* site, LONG index,
                                   HWND parent, LPCRECT rect) override;
  HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** verbs) override;
  HRESULT STDMETHODCALLTYPE Update() override;
  HRESULT STDMETHODCALLTYPE IsUpToDate() override;
  HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* clsid) override;
  HRESULT STDMETHODCALLTYPE GetUserType(DWORD form, LPOLESTR* type) override;
  HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) override;
  HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) override;
  HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* sink, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** advises) override;
  HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) override;
  HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE* palette) override;

  // IOleControl
  HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* info) override;
  HRESULT STDMETHODCALLTYPE OnMnemonic(MSG* msg) override;
  HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID dispid) override;
  HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL freeze) override;

  // IOleWindow (shared by IOleInPlaceObject and IOleInPlaceActiveObject)
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enterMode) override;

  // IOleInPlaceObject
  HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override;
  HRESULT STDMETHODCALLTYPE UIDeactivate() override;
  HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT position, LPCRECT clip) override;
  HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override;

  // IOleInPlaceActiveObject
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG msg) override;
  HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL activate) override;
  HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL activate) override;
  HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window,
                                         BOOL frameWindow) override;
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL enable) override;

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

  // ISpecifyPropertyPages
  HRESULT STDMETHODCALLTYPE GetPages(CAUUID* pages) override;

  // IPerPropertyBrowsing
  HRESULT STDMETHODCALLTYPE GetDisplayString(DISPID dispid, BSTR* text) override;
  HRESULT STDMETHODCALLTYPE MapPropertyToPage(DISPID dispid, CLSID* page) override;
  HRESULT STDMETHODCALLTYPE GetPredefinedStrings(DISPID dispid, CALPOLESTR* strings,
                                                 CADWORD* cookies) override;
  HRESULT STDMETHODCALLTYPE GetPredefinedValue(DISPID dispid, DWORD cookie, VARIANT* value) override;

  // IQuickActivate
  HRESULT STDMETHODCALLTYPE QuickActivate(QACONTAINER* container, QACONTROL* control) override;
  HRESULT STDMETHODCALLTYPE SetContentExtent(LPSIZEL size) override;
  HRESULT STDMETHODCALLTYPE GetContentExtent(LPSIZEL size) override;

  // IObjectSafety
  HRESULT STDMETHODCALLTYPE GetInterfaceSafetyOptions(REFIID iid, DWORD* supported,
                                                      DWORD* enabled) override;
  HRESULT STDMETHODCALLTYPE SetInterfaceSafetyOptions(REFIID iid, DWORD mask, DWORD enabled) override;

private:
  struct TState;
  HRESULT ActivateInPlace(bool uiActivate);
  HRESULT ActivateUi();
  void DestroyControlWindow();
  HRESULT SavePropertyBag(IPropertyBag* bag);
  HRESULT LoadPropertyBag(IPropertyBag* bag, IErrorLog* log);
  HRESULT WriteExtent(IStream* stream);
  HRESULT ReadExtent(IStream* stream);

  IUnknown* FOuter;
  IDispatch* FAutomation;
  CLSID FClsid;
  std::function<HRESULT()> FShowProperties;
  std::unique_ptr<TAxCtrl> FWindow;
  std::unique_ptr<TState> FState;
};
