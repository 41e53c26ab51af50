// A small control object for the tests of TOleControlBase: an outer IUnknown
// with an IDispatch of its own that keeps the property-bag properties in a
// map and logs every read and write, plus a property bag and a client site.
#pragma once

#include "ole_control_base.h"

#include <map>
#include <string>
#include <vector>

// The properties the control saves in a property bag, in the order the
// control's interface lists them.
extern const std::vector<std::wstring> kBagNames;

// Owns a VARIANT; copies are deep.
class TTestVariant {
public:
  TTestVariant() { VariantInit(&FValue); }
  TTestVariant(const VARIANT& v) : TTestVariant() { VariantCopy(&FValue, const_cast<VARIANT*>(&v)); }
  TTestVariant(const TTestVariant& o) : TTestVariant(o.FValue) {}
  TTestVariant& operator=(const TTestVariant& o) {
    VariantCopy(&FValue, const_cast<VARIANT*>(&o.FValue));
    return *this;
  }
  ~TTestVariant() { VariantClear(&FValue); }
  VARIANT& Get() { return FValue; }
  const VARIANT& Get() const { return FValue; }
  static TTestVariant I4(LONG value);
  static TTestVariant Bool(bool value);
  static TTestVariant Text(const wchar_t* text);

private:
  VARIANT FValue;
};

class TTestControl : public IDispatch {
public:
  // Starts with one reference, held by the test; `showResult` is what the
  // properties callback returns.
  explicit TTestControl(HRESULT showResult = S_OK);

  TOleControlBase& Base() { return FBase; }
  LONG References() const { return FRefs; }
  int ShowPropertiesCalls() const { return FShowCalls; }
  // Property values by name; types as the control's interface has them.
  std::map<std::wstring, TTestVariant>& Properties() { return FProperties; }
  // "get Name" / "put Name" for each Invoke, in call order.
  const std::vector<std::wstring>& Calls() const { return FCalls; }

  // The interface T of the control with a reference added, or null. The IID is
  // passed where the SDK headers declare none for T (IObjectSafety).
  template <class T>
  T* Query(REFIID iid = __uuidof(T)) {
    T* out = nullptr;
    QueryInterface(iid, reinterpret_cast<void**>(&out));
    return out;
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO*, UINT*) override;

private:
  virtual ~TTestControl() = default;
  LONG FRefs = 1;
  int FShowCalls = 0;
  HRESULT FShowResult;
  std::map<std::wstring, TTestVariant> FProperties;
  std::vector<std::wstring> FCalls;
  TOleControlBase FBase;
};

// IPropertyBag over a list of name/value pairs kept in write order.
class TTestPropertyBag : public IPropertyBag {
public:
  std::vector<std::pair<std::wstring, TTestVariant>> Values;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }   // lives on the test's stack
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override;
  HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) override;
};

// A container's client site with in-place support, for a window of the test.
// Hands out no frame and no document window; logs the activation calls.
class TTestSite : public IOleClientSite, public IOleInPlaceSite {
public:
  TTestSite(HWND window, RECT position) : FWindow(window), FPosition(position) {}
  std::vector<std::string> Calls;
  LONG References() const { return FRefs; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++FRefs); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--FRefs); }
  // IOleClientSite
  HRESULT STDMETHODCALLTYPE SaveObject() override;
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** c) override { *c = nullptr; return E_NOINTERFACE; }
  HRESULT STDMETHODCALLTYPE ShowObject() override;
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }
  // IOleWindow
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  // IOleInPlaceSite
  HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override;
  HRESULT STDMETHODCALLTYPE OnUIActivate() override;
  HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc,
                                             LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO info) override;
  HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override;
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override;
  HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }

private:
  HWND FWindow;
  RECT FPosition;
  LONG FRefs = 1;
};

// An advise sink on the test's stack that counts what it is told; the
// extended kind, which quick activation hands over.
class TTestAdviseSink : public IAdviseSinkEx {
public:
  int ViewChanges = 0;
  int Closes = 0;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IAdviseSink || iid == IID_IAdviseSinkEx) {
      *out = static_cast<IAdviseSinkEx*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  void STDMETHODCALLTYPE OnDataChange(FORMATETC*, STGMEDIUM*) override {}
  void STDMETHODCALLTYPE OnViewChange(DWORD, LONG) override { ++ViewChanges; }
  void STDMETHODCALLTYPE OnRename(IMoniker*) override {}
  void STDMETHODCALLTYPE OnSave() override {}
  void STDMETHODCALLTYPE OnClose() override { ++Closes; }
  void STDMETHODCALLTYPE OnViewStatusChange(DWORD) override {}
};
