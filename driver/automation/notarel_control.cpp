// TNotarel's life, identity and IDispatch.
#include "notarel_control.h"

#include <initializer_list>

#include "driver.h"
#include "module.h"
#include "sent_message_wait.h"
#include "type_library.h"

using notarel::TDriver;

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
