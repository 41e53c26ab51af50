// Event delivery: the driver's polling notifications as calls on the client's
// IWBAEvents sink. Runs on the polling thread; the sink's Invoke is called
// directly with the pointer the client gave to Advise.
#include "notarel_control.h"
#include "text_convert.h"

namespace {

// The event DISPIDs of IWBAEvents.
constexpr DISPID kErrorEvent = 1;
constexpr DISPID kBillEvent = 2;
constexpr DISPID kRejectEvent = 3;
constexpr DISPID kStackedEvent = 4;

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
