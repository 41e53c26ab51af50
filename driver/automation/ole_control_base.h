// The standard ActiveX control interfaces of a control object, in one piece
// that the control composes.
//
// TOleControlBase implements IOleObject, IOleControl, IOleInPlaceObject,
// IOleInPlaceActiveObject, ISpecifyPropertyPages, IPerPropertyBrowsing,
// IQuickActivate and IObjectSafety, and hands out the interfaces of its two
// parts: TOleControlView (IViewObject, IViewObject2, IDataObject) and
// TOleControlPersistence (IPersistStreamInit, IPersistStorage,
// IPersistPropertyBag). None of them is a COM object of its own: IUnknown
// calls on every one of these interfaces (QueryInterface, AddRef, Release)
// are forwarded to `outer`, so the control keeps one identity and one
// reference count. The
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

#include "ax_window.h"
#include "com_ptr.h"
#include "ole_control_persist.h"
#include "ole_control_view.h"

namespace notarel {

// The misc status of the control's content aspect: invisible at run time,
// recompose on resize, can't link inside, inside-out, activate when visible,
// set client site first.
constexpr DWORD kControlMiscStatus = 0x20591;

// The one property page of the control.
extern const CLSID kPropertyPageClsid;

}  // namespace notarel

class TOleControlBase : public IOleObject,
                        public IOleControl,
                        public IOleInPlaceObject,
                        public IOleInPlaceActiveObject,
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
  HRESULT ActivateInPlace(bool uiActivate);
  HRESULT ActivateUi();

  IUnknown* FOuter;
  CLSID FClsid;
  std::function<HRESULT()> FShowProperties;
  TAxCtrl FWindow;
  TPersistentState FSaved;
  TOleControlView FView;
  TOleControlPersistence FPersistence;

  notarel::TComPtr<IOleClientSite> FSite;
  notarel::TComPtr<IOleInPlaceSite> FInPlaceSite;
  notarel::TComPtr<IOleInPlaceFrame> FFrame;
  notarel::TComPtr<IOleInPlaceUIWindow> FUiWindow;
  notarel::TComPtr<IOleAdviseHolder> FOleAdvise;
  bool FInPlaceActive = false;
  bool FUiActive = false;
  DWORD FSafetyOptions = 0;
  LONG FEventFreezes = 0;
};
