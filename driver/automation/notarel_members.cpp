// Members of IWBA003 and IWBA003_2 that forward to the driver core.
#include "notarel_forward.h"

using notarel::FromVariantBool;
using notarel::TDriver;

HRESULT STDMETHODCALLTYPE TNotarel::get_ResultCode(LONG* Value) {
  return ReadLong(Value, [](TDriver& d) { return d.ResultCode(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::get_ResultDescription(BSTR* Value) {
  return ReadText(Value, [](TDriver& d) { return d.ResultDescription(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::ReadStatus(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.ReadStatus(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::get_PortNumber(LONG* Value) {
  return ReadLong(Value, [](TDriver& d) { return d.PortNumber(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::OpenPort(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.OpenPort(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::ClosePort(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.ClosePort(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::get_PortOpened(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.PortOpened(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::get_Input(BSTR* Value) {
  return ReadText(Value, [](TDriver& d) { return d.Input(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::get_Output(BSTR* Value) {
  return ReadText(Value, [](TDriver& d) { return d.Output(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::get_StatusCode(LONG* Value) {
  return ReadLong(Value, [](TDriver& d) { return d.StatusCode(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::get_StatusDescription(BSTR* Value) {
  return ReadText(Value, [](TDriver& d) { return d.StatusDescription(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::get_Denomination(LONG* Value) {
  return ReadLong(Value, [](TDriver& d) { return d.DenominationCode(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::get_RejectionCode(LONG* Value) {
  return ReadLong(Value, [](TDriver& d) { return d.RejectionCode(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::get_RejectionDescription(BSTR* Value) {
  return ReadText(Value, [](TDriver& d) { return d.RejectionDescription(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::get_FailureCode(LONG* Value) {
  return ReadLong(Value, [](TDriver& d) { return d.FailureCode(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::get_FailureDescription(BSTR* Value) {
  return ReadText(Value, [](TDriver& d) { return d.FailureDescription(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::Reset(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.Reset(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::Stack1(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.Stack1(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::Stack2(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.Stack2(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::Return(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.Return(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::Hold(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.Hold(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::Wait(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.Wait(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::WriteEnabledDenominations(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.WriteEnabledDenominations(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::get_Denomination1(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.Denomination(1); });
}

HRESULT STDMETHODCALLTYPE TNotarel::put_Denomination1(VARIANT_BOOL value) {
  return WriteValue([&](TDriver& d) { d.SetDenomination(1, FromVariantBool(value)); });
}

HRESULT STDMETHODCALLTYPE TNotarel::get_Denomination2(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.Denomination(2); });
}

HRESULT STDMETHODCALLTYPE TNotarel::put_Denomination2(VARIANT_BOOL value) {
  return WriteValue([&](TDriver& d) { d.SetDenomination(2, FromVariantBool(value)); });
}

HRESULT STDMETHODCALLTYPE TNotarel::get_Denomination3(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.Denomination(3); });
}

HRESULT STDMETHODCALLTYPE TNotarel::put_Denomination3(VARIANT_BOOL value) {
  return WriteValue([&](TDriver& d) { d.SetDenomination(3, FromVariantBool(value)); });
}

HRESULT STDMETHODCALLTYPE TNotarel::get_Denomination4(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.Denomination(4); });
}

HRESULT STDMETHODCALLTYPE TNotarel::put_Denomination4(VARIANT_BOOL value) {
  return WriteValue([&](TDriver& d) { d.SetDenomination(4, FromVariantBool(value)); });
}

HRESULT STDMETHODCALLTYPE TNotarel::get_Denomination5(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.Denomination(5); });
}

HRESULT STDMETHODCALLTYPE TNotarel::put_Denomination5(VARIANT_BOOL value) {
  return WriteValue([&](TDriver& d) { d.SetDenomination(5, FromVariantBool(value)); });
}

HRESULT STDMETHODCALLTYPE TNotarel::get_Denomination6(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.Denomination(6); });
}

HRESULT STDMETHODCALLTYPE TNotarel::put_Denomination6(VARIANT_BOOL value) {
  return WriteValue([&](TDriver& d) { d.SetDenomination(6, FromVariantBool(value)); });
}

HRESULT STDMETHODCALLTYPE TNotarel::get_Denomination7(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.Denomination(7); });
}

HRESULT STDMETHODCALLTYPE TNotarel::put_Denomination7(VARIANT_BOOL value) {
  return WriteValue([&](TDriver& d) { d.SetDenomination(7, FromVariantBool(value)); });
}

HRESULT STDMETHODCALLTYPE TNotarel::get_Denomination8(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.Denomination(8); });
}

HRESULT STDMETHODCALLTYPE TNotarel::put_Denomination8(VARIANT_BOOL value) {
  return WriteValue([&](TDriver& d) { d.SetDenomination(8, FromVariantBool(value)); });
}

HRESULT STDMETHODCALLTYPE TNotarel::WriteValidatedDenominations(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.WriteValidatedDenominations(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::WriteInhibitStatus(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.WriteInhibitStatus(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::get_InhibitStatus(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.InhibitStatus(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::put_InhibitStatus(VARIANT_BOOL value) {
  return WriteValue([&](TDriver& d) { d.SetInhibitStatus(FromVariantBool(value)); });
}

HRESULT STDMETHODCALLTYPE TNotarel::get_DirectionValue(LONG* Value) {
  return ReadLong(Value, [](TDriver& d) { return d.DirectionValue(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::WriteDirection(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.WriteDirection(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::get_OptionalSettings(LONG* Value) {
  return ReadLong(Value, [](TDriver& d) { return d.OptionalSettings(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::WriteOptionalSettings(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.WriteOptionalSettings(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::ReadEnabledDenominations(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.ReadEnabledDenominations(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::ReadValidatedDenominations(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.ReadValidatedDenominations(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::ReadInhibitStatus(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.ReadInhibitStatus(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::ReadDirection(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.ReadDirection(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::ReadOptionalSettings(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.ReadOptionalSettings(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::ReadModelID(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.ReadModelID(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::get_ModelID(BSTR* Value) {
  return ReadText(Value, [](TDriver& d) { return d.ModelID(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::ReadBootVersion(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.ReadBootVersion(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::get_BootVersion(BSTR* Value) {
  return ReadText(Value, [](TDriver& d) { return d.BootVersion(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::Ack(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.Ack(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::get_BaudRate(LONG* Value) {
  return ReadLong(Value, [](TDriver& d) { return d.BaudRate(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::put_BaudRate(LONG value) {
  return WriteValue([&](TDriver& d) { d.SetBaudRate(value); });
}

HRESULT STDMETHODCALLTYPE TNotarel::StartPolling(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.StartPolling(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::StopPolling(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.StopPolling(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::get_PollingInterval(LONG* Value) {
  return ReadLong(Value, [](TDriver& d) { return d.PollingInterval(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::put_PollingInterval(LONG value) {
  return WriteValue([&](TDriver& d) { d.SetPollingInterval(static_cast<std::uint32_t>(value)); });
}

HRESULT STDMETHODCALLTYPE TNotarel::get_ErrorTimeout(LONG* Value) {
  return ReadLong(Value, [](TDriver& d) { return d.ErrorTimeout(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::put_ErrorTimeout(LONG value) {
  return WriteValue([&](TDriver& d) { d.SetErrorTimeout(static_cast<std::uint32_t>(value)); });
}

HRESULT STDMETHODCALLTYPE TNotarel::get_PollingStarted(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.PollingStarted(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::get_BillEnabled(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.BillEnabled(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::put_BillEnabled(VARIANT_BOOL value) {
  return WriteValue([&](TDriver& d) { d.SetBillEnabled(FromVariantBool(value)); });
}

HRESULT STDMETHODCALLTYPE TNotarel::get_ExecTime(LONG* Value) {
  return ReadLong(Value, [](TDriver& d) { return d.ExecTime(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::put_PortNumber(LONG value) {
  // Only the machine's COM1 to COM32 can be named; anything else is ignored
  // without a trace, leaving the port number and the result as they were.
  if (value < 1 || value > 32) return S_OK;
  return WriteValue([&](TDriver& d) { d.SetPortNumber(value); });
}

HRESULT STDMETHODCALLTYPE TNotarel::put_DirectionValue(LONG value) {
  // The device field is one byte: the low 8 bits are kept.
  return WriteValue([&](TDriver& d) { d.SetDirectionValue(static_cast<std::uint8_t>(value & 0xFF)); });
}

HRESULT STDMETHODCALLTYPE TNotarel::put_OptionalSettings(LONG value) {
  // The device field is two bytes: the low 16 bits are kept.
  return WriteValue(
      [&](TDriver& d) { d.SetOptionalSettings(static_cast<std::uint16_t>(value & 0xFFFF)); });
}
