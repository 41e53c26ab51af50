#pragma once
// TNotarel2: the test application's wrapper of the driver's control Notarel2.
// Creates the control by its class identifier, calls methods through the
// vtable of IWBA003_4, reads and writes properties through IDispatch by
// DISPID, and delivers the control's IWBAEvents events to handler slots.
#include <windows.h>
#include <ocidl.h>

#include <functional>
#include <memory>
#include <string>

#include "Notarel_h.h"
#include "dispids.h"
#include "ole_error.h"

class TEventSink;

class TNotarel2 {
 public:
  using TErrorHandler = std::function<void(long code, long extCode, const std::wstring& text)>;
  using TBillHandler = std::function<void(long summ, VARIANT_BOOL* accept)>;
  using TRejectHandler = TErrorHandler;
  using TStackedHandler = std::function<void()>;

  // Creates the control (in-process server) and connects the event sink;
  // throws TOleError when the control cannot be created.
  TNotarel2();
  // Disconnects the sink and releases the control.
  ~TNotarel2();
  TNotarel2(const TNotarel2&) = delete;
  TNotarel2& operator=(const TNotarel2&) = delete;

  IWBA003_4* Intf() const { return FIntf; }

  // Calls a method whose Value is the success flag, e.g. Call(&IWBA003_4::ReadStatus,
  // L"ReadStatus"); throws TOleError on a failing HRESULT, returns Value != 0.
  template <class M>
  bool Call(M method, const wchar_t* name) {
    VARIANT_BOOL value = VARIANT_FALSE;
    Check((FIntf->*method)(&value), name);
    return value != VARIANT_FALSE;
  }
  // Calls a method whose Value is a number (ShowProperties, SetDefaults, ...).
  template <class M>
  long CallLong(M method, const wchar_t* name) {
    LONG value = 0;
    Check((FIntf->*method)(&value), name);
    return value;
  }

  // Properties through IDispatch; each throws TOleError on failure.
  long GetLong(DISPID id);
  void SetLong(DISPID id, long value);
  bool GetBool(DISPID id);
  void SetBool(DISPID id, bool value);
  std::wstring GetString(DISPID id);
  void SetString(DISPID id, const std::wstring& value);

  // Event slots. The events arrive on the driver's polling thread: the sink
  // calls a copy of the slot taken under a lock. Setting or clearing a slot
  // waits until a call of that slot in progress has returned, so a handler
  // never runs after its owner cleared it (handlers therefore must not wait
  // for the user-interface thread). An empty function clears the slot.
  void SetOnError(TErrorHandler handler);
  void SetOnBill(TBillHandler handler);
  void SetOnReject(TRejectHandler handler);
  void SetOnStacked(TStackedHandler handler);

  // Throws TOleError::FromResult(hr, name) when hr fails.
  static void Check(HRESULT hr, const wchar_t* name);

 private:
  VARIANT Get(DISPID id);
  void Put(DISPID id, VARIANT& value);

  IWBA003_4* FIntf = nullptr;
  IDispatch* FDispatch = nullptr;
  TEventSink* FSink = nullptr;
  DWORD FCookie = 0;
  IConnectionPoint* FPoint = nullptr;
};
