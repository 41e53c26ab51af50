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

  // IWBA003
  HRESULT STDMETHODCALLTYPE get_ResultCode(LONG* Value) override;
  HRESULT STDMETHODCALLTYPE get_ResultDescription(BSTR* Value) override;
  HRESULT STDMETHODCALLTYPE ReadStatus(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE get_PortNumber(LONG* Value) override;
  HRESULT STDMETHODCALLTYPE put_PortNumber(LONG value) override;
  HRESULT STDMETHODCALLTYPE OpenPort(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE ClosePort(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE get_PortOpened(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE get_Input(BSTR* Value) override;
  HRESULT STDMETHODCALLTYPE get_Output(BSTR* Value) override;
  HRESULT STDMETHODCALLTYPE get_StatusCode(LONG* Value) override;
  HRESULT STDMETHODCALLTYPE get_StatusDescription(BSTR* Value) override;
  HRESULT STDMETHODCALLTYPE get_Denomination(LONG* Value) override;
  HRESULT STDMETHODCALLTYPE get_RejectionCode(LONG* Value) override;
  HRESULT STDMETHODCALLTYPE get_RejectionDescription(BSTR* Value) override;
  HRESULT STDMETHODCALLTYPE get_FailureCode(LONG* Value) override;
  HRESULT STDMETHODCALLTYPE get_FailureDescription(BSTR* Value) override;
  HRESULT STDMETHODCALLTYPE Reset(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE Stack1(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE Stack2(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE Return(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE Hold(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE Wait(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE WriteEnabledDenominations(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE get_Denomination1(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE put_Denomination1(VARIANT_BOOL value) override;
  HRESULT STDMETHODCALLTYPE get_Denomination2(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE put_Denomination2(VARIANT_BOOL value) override;
  HRESULT STDMETHODCALLTYPE get_Denomination3(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE put_Denomination3(VARIANT_BOOL value) override;
  HRESULT STDMETHODCALLTYPE get_Denomination4(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE put_Denomination4(VARIANT_BOOL value) override;
  HRESULT STDMETHODCALLTYPE get_Denomination5(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE put_Denomination5(VARIANT_BOOL value) override;
  HRESULT STDMETHODCALLTYPE get_Denomination6(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE put_Denomination6(VARIANT_BOOL value) override;
  HRESULT STDMETHODCALLTYPE get_Denomination7(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE put_Denomination7(VARIANT_BOOL value) override;
  HRESULT STDMETHODCALLTYPE get_Denomination8(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE put_Denomination8(VARIANT_BOOL value) override;
  HRESULT STDMETHODCALLTYPE WriteValidatedDenominations(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE WriteInhibitStatus(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE get_InhibitStatus(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE put_InhibitStatus(VARIANT_BOOL value) override;
  HRESULT STDMETHODCALLTYPE get_DirectionValue(LONG* Value) override;
  HRESULT STDMETHODCALLTYPE put_DirectionValue(LONG value) override;
  HRESULT STDMETHODCALLTYPE WriteDirection(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE get_OptionalSettings(LONG* Value) override;
  HRESULT STDMETHODCALLTYPE put_OptionalSettings(LONG value) override;
  HRESULT STDMETHODCALLTYPE WriteOptionalSettings(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE ReadEnabledDenominations(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE ReadValidatedDenominations(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE ReadInhibitStatus(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE ReadDirection(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE ReadOptionalSettings(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE ReadModelID(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE get_ModelID(BSTR* Value) override;
  HRESULT STDMETHODCALLTYPE ReadBootVersion(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE get_BootVersion(BSTR* Value) override;
  HRESULT STDMETHODCALLTYPE get_FileVersion(BSTR* Value) override;
  HRESULT STDMETHODCALLTYPE Ack(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE get_BaudRate(LONG* Value) override;
  HRESULT STDMETHODCALLTYPE put_BaudRate(LONG value) override;
  // IWBA003_2
  HRESULT STDMETHODCALLTYPE StartPolling(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE StopPolling(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE get_PollingInterval(LONG* Value) override;
  HRESULT STDMETHODCALLTYPE put_PollingInterval(LONG value) override;
  HRESULT STDMETHODCALLTYPE get_ErrorTimeout(LONG* Value) override;
  HRESULT STDMETHODCALLTYPE put_ErrorTimeout(LONG value) override;
  HRESULT STDMETHODCALLTYPE get_PollingStarted(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE get_BillEnabled(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE put_BillEnabled(VARIANT_BOOL value) override;
  // IWBA003_3
  HRESULT STDMETHODCALLTYPE ShowProperties(LONG* Value) override;
  HRESULT STDMETHODCALLTYPE get_ParentWnd(LONG* Value) override;
  HRESULT STDMETHODCALLTYPE put_ParentWnd(LONG value) override;
  HRESULT STDMETHODCALLTYPE ShowFindDlg(LONG* Value) override;
  HRESULT STDMETHODCALLTYPE AboutBox() override;
  HRESULT STDMETHODCALLTYPE SetDefaults(LONG* Value) override;
  HRESULT STDMETHODCALLTYPE get_ExecTime(LONG* Value) override;
  // IWBA003_4
  HRESULT STDMETHODCALLTYPE CountryByCode(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE CountryByCurrencyName(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE CountryByIndex(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE GetBillSumm(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE GetCountryParams(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE LoadParams(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE SaveParams(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE get_BillCode(LONG* Value) override;
  HRESULT STDMETHODCALLTYPE put_BillCode(LONG value) override;
  HRESULT STDMETHODCALLTYPE get_BillSumm(LONG* Value) override;
  HRESULT STDMETHODCALLTYPE put_BillSumm(LONG value) override;
  HRESULT STDMETHODCALLTYPE get_CountryCode(LONG* Value) override;
  HRESULT STDMETHODCALLTYPE put_CountryCode(LONG value) override;
  HRESULT STDMETHODCALLTYPE get_CountryCount(LONG* Value) override;
  HRESULT STDMETHODCALLTYPE get_CountryIndex(LONG* Value) override;
  HRESULT STDMETHODCALLTYPE put_CountryIndex(LONG value) override;
  HRESULT STDMETHODCALLTYPE get_CountryName(BSTR* Value) override;
  HRESULT STDMETHODCALLTYPE get_CurrencyIndex(LONG* Value) override;
  HRESULT STDMETHODCALLTYPE put_CurrencyIndex(LONG value) override;
  HRESULT STDMETHODCALLTYPE get_CurrencyName(BSTR* Value) override;
  HRESULT STDMETHODCALLTYPE put_CurrencyName(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_CurrentCountryCode(LONG* Value) override;
  HRESULT STDMETHODCALLTYPE get_FileName(BSTR* Value) override;
  HRESULT STDMETHODCALLTYPE put_FileName(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_DeviceCountryCode(BSTR* Value) override;
  HRESULT STDMETHODCALLTYPE FindDevice(VARIANT_BOOL* Value) override;

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
  template <class Read>
  HRESULT ReadLong(LONG* Value, Read read);
  template <class Read>
  HRESULT ReadBool(VARIANT_BOOL* Value, Read read);
  template <class Read>
  HRESULT ReadText(BSTR* Value, Read read);
  template <class Write>
  HRESULT WriteValue(Write write);
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
