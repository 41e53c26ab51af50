#pragma once
// TNotarel: the control object behind the classes Notarel and Notarel2.
//
// It is the automation face of one driver core: every member of IWBA003_4
// is forwarded to the TDriver it owns (created on first need), with values
// converted between automation types and the driver's own. IDispatch is
// served from the type library. It is also the event source: the driver's
// polling notifications become calls on the client's IWBAEvents sink, made on
// the polling thread. One object answers IWBA003 to IWBA003_4 with the same
// pointer.
//
// Threading: the classes are registered single-threaded, so client calls come
// on one apartment thread; event delivery and a sink's calls back into the
// control run on the driver's polling thread.
#include <windows.h>
#include <ocidl.h>

#include <cstdint>
#include <memory>
#include <string>

#include "Notarel_h.h"
#include "connection_point.h"
#include "member_signatures.h"
#include "module.h"
#include "ole_control_base.h"

namespace notarel {
class TDriver;
}

class TNotarel : public IWBA003_4, public ISupportErrorInfo, public IProvideClassInfo {
 public:
  explicit TNotarel(const notarel::TControlClass& controlClass);
  virtual ~TNotarel();
  TNotarel(const TNotarel&) = delete;
  TNotarel& operator=(const TNotarel&) = delete;

  // Loads the type information; the object is usable only when this succeeds.
  HRESULT Initialize();

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IDispatch, through the type information of IWBA003_4.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid,
                                          DISPID* dispids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID iid, LCID lcid, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                   UINT* argError) override;

  // ISupportErrorInfo
  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;
  // IProvideClassInfo: the coclass this object was created as.
  HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** info) override;

  // IWBA003 to IWBA003_4: every member of the member table. Those of the
  // driver side forward to the driver core; the others are the control's own.
  NOTAREL_DECLARE_AUTOMATION_MEMBERS

  // The driver's handlers: deliver one event to the connected sink.
  void FireError(std::int32_t code, std::int32_t extCode, const std::string& text);
  void FireBill(std::int32_t summ, std::int16_t& accept);
  void FireReject(std::int32_t code, std::int32_t extCode, const std::string& text);
  void FireStacked();

 private:
  // The driver core, created with its settings loaded and its handlers set.
  notarel::TDriver& GetDriver();
  // Runs a member body, turning an escaping error into an HRESULT with an
  // error-info record.
  template <class Body>
  HRESULT Guard(Body body);
  // The forwarding of the driver-side members: a property read, a property
  // write and a method call, each converting for the member's type T.
  template <notarel::members::TType T, class Out, class Read>
  HRESULT ReadDriver(Out* Value, Read read);
  template <notarel::members::TType T, class In, class Write>
  HRESULT WriteDriver(In value, Write write);
  template <notarel::members::TType T, class Out, class Call>
  HRESULT CallDriver(Out* Value, Call call);
  void FireCode(DISPID dispid, std::int32_t code, std::int32_t extCode, const std::string& text);
  // AddRef for the polling thread, at the start of an event: false, adding
  // nothing, once the last reference has gone.
  bool AddRefForEvent();
  // Release for the polling thread, at the end of an event: a last
  // reference dropped there hands the destruction to a thread of its own.
  void ReleaseFromEvent();
  static DWORD WINAPI DestroyDeferred(void* control);
  void Deliver(DISPID dispid, DISPPARAMS& params);
  HRESULT OpenPropertyFrame();

  LONG FRefCount = 1;
  const notarel::TControlClass& FClass;
  ITypeInfo* FDispatchInfo = nullptr;
  std::unique_ptr<notarel::TDriver> FDriver;
  // The standard ActiveX control interfaces, answered for this object.
  std::unique_ptr<TOleControlBase> FControl;
  std::int32_t FParentWnd = 0;
  std::unique_ptr<notarel::TConnectionPointContainer> FConnectionPoints;
  // The one connection point, owned by FConnectionPoints.
  notarel::TEventConnectionPoint* FEventConnection = nullptr;
};
