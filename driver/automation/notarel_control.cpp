// TNotarel: its life, identity and IDispatch; the members, forwarded to the
// driver core as the member table says, and the control's own members; and
// event delivery.
#include "notarel_control.h"

#include <cstdint>
#include <initializer_list>

#include "about_box.h"
#include "driver.h"
#include "file_version.h"
#include "find_dialog.h"
#include "member_guard.h"
#include "module.h"
#include "sent_message_wait.h"
#include "text_convert.h"
#include "type_library.h"

using notarel::TComPtr;
using notarel::TDriver;
using notarel::members::TType;

namespace {

VARIANT_BOOL ToVariantBool(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }
// Any non-zero bit pattern counts as true, as automation clients may pass 1.
bool FromVariantBool(VARIANT_BOOL value) { return value != 0; }

// The event DISPIDs of IWBAEvents.
constexpr DISPID kErrorEvent = notarel::members::EventDispid("Error");
constexpr DISPID kBillEvent = notarel::members::EventDispid("Bill");
constexpr DISPID kRejectEvent = notarel::members::EventDispid("Reject");
constexpr DISPID kStackedEvent = notarel::members::EventDispid("Stacked");

// A sink's failure is its own business: the next sink and the polling loop
// go on whatever it returns or throws.
void InvokeSink(IDispatch* sink, DISPID dispid, DISPPARAMS& params) {
  try {
    sink->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr,
                 nullptr);
  } catch (...) {
  }
}

}  // namespace

TNotarel::TNotarel(const notarel::TControlClass& controlClass) : FClass(controlClass) {
  notarel::ModuleAddObject();
  FConnectionPoints = std::make_unique<notarel::TConnectionPointContainer>(
      static_cast<IWBA003_4*>(this), DIID_IWBAEvents);
  FEventConnection = &FConnectionPoints->Point();
  IWBA003_4* self = this;
  FControl = std::make_unique<TOleControlBase>(self, self, *controlClass.clsid,
                                               [this] { return OpenPropertyFrame(); });
}

TNotarel::~TNotarel() {
  // The driver goes first: its destructor stops polling and waits for the
  // loop, which may still be delivering events through the connection point.
  FDriver.reset();
  FControl.reset();
  FConnectionPoints.reset();
  if (FDispatchInfo) FDispatchInfo->Release();
  notarel::ModuleReleaseObject();
}

HRESULT TNotarel::Initialize() {
  return notarel::GetRudLibTypeInfo(IID_IWBA003_4, &FDispatchInfo);
}

HRESULT STDMETHODCALLTYPE TNotarel::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
      IsEqualIID(iid, IID_IWBA003) || IsEqualIID(iid, IID_IWBA003_2) ||
      IsEqualIID(iid, IID_IWBA003_3) || IsEqualIID(iid, IID_IWBA003_4)) {
    *out = static_cast<IWBA003_4*>(this);
  } else if (IsEqualIID(iid, IID_ISupportErrorInfo)) {
    *out = static_cast<ISupportErrorInfo*>(this);
  } else if (IsEqualIID(iid, IID_IProvideClassInfo)) {
    *out = static_cast<IProvideClassInfo*>(this);
  } else if (IsEqualIID(iid, IID_IConnectionPointContainer)) {
    *out = static_cast<IConnectionPointContainer*>(FConnectionPoints.get());
  } else {
    // The control interfaces, each with its reference already added.
    return FControl->QueryControlInterface(iid, out);
  }
  AddRef();
  return S_OK;
}

ULONG STDMETHODCALLTYPE TNotarel::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&FRefCount));
}

ULONG STDMETHODCALLTYPE TNotarel::Release() {
  const LONG left = InterlockedDecrement(&FRefCount);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

bool TNotarel::AddRefForEvent() {
  // With no reference left the control is being destroyed (on the thread that
  // dropped the last one, which waits for this loop to end). The event is
  // dropped then: it must not reach a client that has let go, nor bring the
  // count back up and so destroy the control a second time.
  LONG count = InterlockedCompareExchange(&FRefCount, 0, 0);
  while (count != 0) {
    const LONG seen = InterlockedCompareExchange(&FRefCount, count + 1, count);
    if (seen == count) return true;
    count = seen;
  }
  return false;
}

void TNotarel::ReleaseFromEvent() {
  if (InterlockedDecrement(&FRefCount) != 0) return;
  // The client dropped its last reference inside an event. Destroying the
  // control here would stop polling from the polling thread itself, which
  // cannot wait for its own loop, and the loop would then go on in a freed
  // driver. Another thread destroys it once the loop has returned from this
  // event; that thread keeps this module loaded until it has finished.
  // (A control shown in place is held by its container's site, so the
  // window of TAxCtrl is never destroyed this way.)
  HMODULE pinned = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                     reinterpret_cast<LPCWSTR>(&TNotarel::DestroyDeferred), &pinned);
  if (HANDLE thread = CreateThread(nullptr, 0, DestroyDeferred, this, 0, nullptr)) {
    CloseHandle(thread);
    return;
  }
  // Without a thread the control is left alive rather than destroyed under
  // its own loop.
  if (pinned) FreeLibrary(pinned);
}

DWORD WINAPI TNotarel::DestroyDeferred(void* control) {
  delete static_cast<TNotarel*>(control);
  FreeLibraryAndExitThread(notarel::ModuleHandle(), 0);
}

HRESULT STDMETHODCALLTYPE TNotarel::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 1;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TNotarel::GetTypeInfo(UINT index, LCID /*lcid*/, ITypeInfo** info) {
  if (!info) return E_POINTER;
  *info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  FDispatchInfo->AddRef();
  *info = FDispatchInfo;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TNotarel::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count,
                                                  LCID /*lcid*/, DISPID* dispids) {
  if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  return FDispatchInfo->GetIDsOfNames(names, count, dispids);
}

HRESULT STDMETHODCALLTYPE TNotarel::Invoke(DISPID dispid, REFIID iid, LCID /*lcid*/, WORD flags,
                                           DISPPARAMS* params, VARIANT* result,
                                           EXCEPINFO* exception, UINT* argError) {
  if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  // Every property write of the library takes exactly one value. Wine's type
  // information ignores arguments beyond it and reports success, so a write
  // with more arguments than that is refused here.
  if (params && (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) && params->cArgs > 1) {
    return DISP_E_BADPARAMCOUNT;
  }
  return FDispatchInfo->Invoke(static_cast<IWBA003_4*>(this), dispid, flags, params, result,
                               exception, argError);
}

// One pointer serves the four automation interfaces and IDispatch, and a
// client asks with the IID it called through, so each of them answers yes.
HRESULT STDMETHODCALLTYPE TNotarel::InterfaceSupportsErrorInfo(REFIID iid) {
  for (const IID* own : {&IID_IWBA003, &IID_IWBA003_2, &IID_IWBA003_3, &IID_IWBA003_4, &IID_IDispatch}) {
    if (IsEqualIID(iid, *own)) return S_OK;
  }
  return S_FALSE;
}

HRESULT STDMETHODCALLTYPE TNotarel::GetClassInfo(ITypeInfo** info) {
  return notarel::GetRudLibTypeInfo(*FClass.clsid, info);
}

TDriver& TNotarel::GetDriver() {
  if (FDriver) return *FDriver;
  FDriver = std::make_unique<TDriver>();
  // Whatever loading leaves in ResultCode (-12 with no settings file) stays
  // there for the client to read until the next operation.
  FDriver->LoadParams();
  FDriver->SetOnBill([this](std::int32_t summ, std::int16_t& accept) { FireBill(summ, accept); });
  FDriver->SetOnError([this](std::int32_t code, std::int32_t extCode, const std::string& text) {
    FireError(code, extCode, text);
  });
  FDriver->SetOnReject([this](std::int32_t code, std::int32_t extCode, const std::string& text) {
    FireReject(code, extCode, text);
  });
  FDriver->SetOnStacked([this](TDriver&) { FireStacked(); });
  // StartPolling and the destruction may wait on the client's thread for a
  // loop whose handler waits for that thread's windows.
  FDriver->SetLoopWait(notarel::WaitServingSentMessages);
  return *FDriver;
}

// The members that forward to the driver core: guard the edge, clear a text
// out-parameter first, get the driver core, convert the value.

template <class Body>
HRESULT TNotarel::Guard(Body body) {
  try {
    body();
    return S_OK;
  } catch (...) {
    return notarel::ReportCurrentException(FClass.progId);
  }
}

template <TType T, class Out, class Read>
HRESULT TNotarel::ReadDriver(Out* Value, Read read) {
  if (!Value) return E_POINTER;
  if constexpr (T == TType::Text || T == TType::Path) *Value = nullptr;
  return Guard([&] {
    if constexpr (T == TType::Bool) {
      *Value = ToVariantBool(read(GetDriver()));
    } else if constexpr (T == TType::Text) {
      *Value = notarel::DriverTextToBstr(read(GetDriver()));
    } else if constexpr (T == TType::Path) {
      // The settings path goes to the file functions as it is, so it stays in
      // the ANSI code page rather than the code page of the driver's texts.
      *Value = notarel::AnsiPathToBstr(read(GetDriver()));
    } else {
      *Value = static_cast<LONG>(read(GetDriver()));
    }
  });
}

template <TType T, class In, class Write>
HRESULT TNotarel::WriteDriver(In value, Write write) {
  if constexpr (T == TType::Bool) {
    return Guard([&] { write(GetDriver(), FromVariantBool(value)); });
  } else if constexpr (T == TType::Text || T == TType::Path) {
    return Guard([&] {
      TDriver& driver = GetDriver();
      if constexpr (T == TType::Text) {
        write(driver, notarel::BstrToDriverText(value));
      } else {
        write(driver, notarel::BstrToAnsiPath(value));
      }
    });
  } else {
    const auto number = static_cast<std::int32_t>(value);
    // A refused port number leaves even a driver core that does not exist yet alone.
    if (!notarel::members::Accepts<T>(number)) return S_OK;
    return Guard([&] { write(GetDriver(), notarel::members::FromLong<T>(number)); });
  }
}

template <TType T, class Out, class Call>
HRESULT TNotarel::CallDriver(Out* Value, Call call) {
  if (!Value) return E_POINTER;
  if constexpr (T == TType::Bool) {
    return Guard([&] { *Value = ToVariantBool(call(GetDriver())); });
  } else {
    // The methods with a number for Value always give 0.
    *Value = 0;
    return Guard([&] { call(GetDriver()); });
  }
}

#define NOTAREL_DEFINE_METHOD_(iface, name, dispid, type, side, listed, help, call, fills) \
  NOTAREL_DEFINE_METHOD_##side(name, type, call)
#define NOTAREL_DEFINE_METHOD_Control(name, type, call)
#define NOTAREL_DEFINE_METHOD_Driver(name, type, call)                          \
  HRESULT STDMETHODCALLTYPE TNotarel::name(NOTAREL_METHOD_PARAMS(type)) {       \
    return CallDriver<TType::type>(Value, [](TDriver& d) { return call; }); \
  }
#define NOTAREL_DEFINE_GETTER_(iface, name, dispid, type, side, listed, help, read) \
  NOTAREL_DEFINE_GETTER_##side(name, type, read)
#define NOTAREL_DEFINE_GETTER_Control(name, type, read)
#define NOTAREL_DEFINE_GETTER_Driver(name, type, read)                                 \
  HRESULT STDMETHODCALLTYPE TNotarel::get_##name(NOTAREL_COM_TYPE(type) * Value) { \
    return ReadDriver<TType::type>(Value, [](TDriver& d) { return read; });      \
  }
#define NOTAREL_DEFINE_PROPERTY_(iface, name, dispid, type, side, listed, help, read, write) \
  NOTAREL_DEFINE_PROPERTY_##side(name, type, read, write)
#define NOTAREL_DEFINE_PROPERTY_Control(name, type, read, write)
#define NOTAREL_DEFINE_PROPERTY_Driver(name, type, read, write)                    \
  NOTAREL_DEFINE_GETTER_Driver(name, type, read)                                   \
  HRESULT STDMETHODCALLTYPE TNotarel::put_##name(NOTAREL_COM_TYPE(type) value) { \
    return WriteDriver<TType::type>(value, [](TDriver& d, auto v) { write; });   \
  }

NOTAREL_AUTOMATION_MEMBERS(NOTAREL_DEFINE_METHOD_, NOTAREL_DEFINE_GETTER_, NOTAREL_DEFINE_PROPERTY_)

// The control-side members: they do not forward to the driver core
// (FileVersion, ParentWnd and AboutBox never create it).

HRESULT STDMETHODCALLTYPE TNotarel::get_FileVersion(BSTR* Value) {
  if (!Value) return E_POINTER;
  *Value = nullptr;
  return Guard([&] {
    *Value = notarel::DriverTextToBstr(notarel::GetFileVersion(notarel::ModuleHandle()));
  });
}

HRESULT STDMETHODCALLTYPE TNotarel::get_ParentWnd(LONG* Value) {
  if (!Value) return E_POINTER;
  *Value = FParentWnd;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TNotarel::put_ParentWnd(LONG value) {
  FParentWnd = value;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TNotarel::ShowFindDlg(LONG* Value) {
  if (!Value) return E_POINTER;
  *Value = 0;
  // Window handles are 32-bit values on every Windows, so the stored number
  // is widened with its sign to the pointer-sized handle.
  const HWND owner = reinterpret_cast<HWND>(static_cast<std::intptr_t>(FParentWnd));
  return Guard([&] { notarel::ShowFindDialog(owner, static_cast<IWBA003_4*>(this)); });
}

HRESULT STDMETHODCALLTYPE TNotarel::AboutBox() {
  return Guard([&] {
    if (!notarel::HasInteractiveWindowStation()) return;
    const std::wstring version = L"Версия драйвера: " +
        notarel::DriverTextToWide(notarel::GetFileVersion(notarel::ModuleHandle()));
    notarel::ShowAboutBox(GetActiveWindow(), L"Драйвер купюроприемника", {version});
  });
}

HRESULT STDMETHODCALLTYPE TNotarel::ShowProperties(LONG* Value) {
  if (!Value) return E_POINTER;
  *Value = 0;
  return Guard([&] { notarel::CheckHr(OpenPropertyFrame(), "ShowProperties"); });
}

// Also the "Properties" verb's action, called by containers through DoVerb:
// it reports failures as an HRESULT and never throws.
HRESULT TNotarel::OpenPropertyFrame() {
  TComPtr<ISpecifyPropertyPages> specify;
  HRESULT hr = QueryInterface(IID_ISpecifyPropertyPages, specify.OutVoid());
  if (FAILED(hr)) return hr;
  CAUUID pages{0, nullptr};
  hr = specify->GetPages(&pages);
  if (SUCCEEDED(hr) && pages.cElems > 0) {
    IUnknown* self = static_cast<IWBA003_4*>(this);
    hr = OleCreatePropertyFrame(GetActiveWindow(), 16, 16, nullptr, 1, &self, pages.cElems,
                                pages.pElems, GetSystemDefaultLCID(), 0, nullptr);
  }
  CoTaskMemFree(pages.pElems);
  return hr;
}

// Event delivery: the driver's polling notifications as calls on the client's
// IWBAEvents sink. Runs on the polling thread; the sink's Invoke is called
// directly with the pointer the client gave to Advise.

void TNotarel::Deliver(DISPID dispid, DISPPARAMS& params) {
  for (std::size_t i = 0; i < FEventConnection->SinkCount(); ++i) {
    const notarel::TComPtr<IDispatch> sink = FEventConnection->Sink(i);
    if (sink) InvokeSink(sink.Get(), dispid, params);
  }
}

void TNotarel::FireCode(DISPID dispid, std::int32_t code, std::int32_t extCode,
                        const std::string& text) {
  // A sink that drops its last reference to the control from inside the
  // event must not destroy the control under this loop.
  if (!AddRefForEvent()) return;
  for (std::size_t i = 0; i < FEventConnection->SinkCount(); ++i) {
    const notarel::TComPtr<IDispatch> sink = FEventConnection->Sink(i);
    if (!sink) continue;
    // Arguments go in reverse order: the last parameter first. The text is
    // converted afresh for each sink, since a sink may keep or free it.
    VARIANTARG args[3];
    for (VARIANTARG& arg : args) VariantInit(&arg);
    args[2].vt = VT_I4;
    args[2].lVal = code;
    args[1].vt = VT_I4;
    args[1].lVal = extCode;
    args[0].vt = VT_BSTR;
    try {
      args[0].bstrVal = notarel::DriverTextToBstr(text);
    } catch (...) {
      continue;
    }
    DISPPARAMS params{args, nullptr, 3, 0};
    InvokeSink(sink.Get(), dispid, params);
    VariantClear(&args[0]);
  }
  ReleaseFromEvent();
}

void TNotarel::FireError(std::int32_t code, std::int32_t extCode, const std::string& text) {
  FireCode(kErrorEvent, code, extCode, text);
}

void TNotarel::FireReject(std::int32_t code, std::int32_t extCode, const std::string& text) {
  FireCode(kRejectEvent, code, extCode, text);
}

void TNotarel::FireBill(std::int32_t summ, std::int16_t& accept) {
  if (!AddRefForEvent()) return;  // refused: nobody is there to take it
  // The sink answers through a reference to the driver's own 16-bit flag,
  // which has the layout of a VARIANT_BOOL; the driver reads it afterwards.
  VARIANTARG args[2];
  VariantInit(&args[0]);
  VariantInit(&args[1]);
  args[1].vt = VT_I4;
  args[1].lVal = summ;
  args[0].vt = VT_BOOL | VT_BYREF;
  args[0].pboolVal = &accept;
  DISPPARAMS params{args, nullptr, 2, 0};
  Deliver(kBillEvent, params);
  ReleaseFromEvent();
}

void TNotarel::FireStacked() {
  if (!AddRefForEvent()) return;
  DISPPARAMS params{nullptr, nullptr, 0, 0};
  Deliver(kStackedEvent, params);
  ReleaseFromEvent();
}
