// Members of IWBA003_4 (countries, settings file, device search) that
// forward to the driver core.
#include "notarel_forward.h"

using notarel::BstrToDriverText;
using notarel::TDriver;

HRESULT STDMETHODCALLTYPE TNotarel::CountryByCode(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.CountryByCode(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::CountryByCurrencyName(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.CountryByCurrencyName(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::CountryByIndex(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.CountryByIndex(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::GetBillSumm(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.GetBillSumm(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::GetCountryParams(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.GetCountryParams(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::LoadParams(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.LoadParams(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::SaveParams(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.SaveParams(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::get_BillCode(LONG* Value) {
  return ReadLong(Value, [](TDriver& d) { return d.BillCode(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::put_BillCode(LONG value) {
  return WriteValue([&](TDriver& d) { d.SetBillCode(value); });
}

HRESULT STDMETHODCALLTYPE TNotarel::get_BillSumm(LONG* Value) {
  return ReadLong(Value, [](TDriver& d) { return d.BillSumm(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::put_BillSumm(LONG value) {
  return WriteValue([&](TDriver& d) { d.SetBillSumm(value); });
}

HRESULT STDMETHODCALLTYPE TNotarel::get_CountryCode(LONG* Value) {
  return ReadLong(Value, [](TDriver& d) { return d.CountryCode(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::put_CountryCode(LONG value) {
  return WriteValue([&](TDriver& d) { d.SetCountryCode(value); });
}

HRESULT STDMETHODCALLTYPE TNotarel::get_CountryCount(LONG* Value) {
  return ReadLong(Value, [](TDriver& d) { return d.CountryCount(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::get_CountryIndex(LONG* Value) {
  return ReadLong(Value, [](TDriver& d) { return d.CountryIndex(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::put_CountryIndex(LONG value) {
  return WriteValue([&](TDriver& d) { d.SetCountryIndex(value); });
}

HRESULT STDMETHODCALLTYPE TNotarel::get_CountryName(BSTR* Value) {
  return ReadText(Value, [](TDriver& d) { return d.CountryName(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::get_CurrencyIndex(LONG* Value) {
  return ReadLong(Value, [](TDriver& d) { return d.CurrencyIndex(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::put_CurrencyIndex(LONG value) {
  return WriteValue([&](TDriver& d) { d.SetCurrencyIndex(value); });
}

HRESULT STDMETHODCALLTYPE TNotarel::get_CurrencyName(BSTR* Value) {
  return ReadText(Value, [](TDriver& d) { return d.CurrencyName(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::put_CurrencyName(BSTR value) {
  return WriteValue([&](TDriver& d) {
    std::string text = BstrToDriverText(value);
    d.SetCurrencyName(std::move(text));
  });
}

HRESULT STDMETHODCALLTYPE TNotarel::get_CurrentCountryCode(LONG* Value) {
  return ReadLong(Value, [](TDriver& d) { return d.CurrentCountryCode(); });
}

// The settings path goes to the file functions as it is, so it stays in the
// ANSI code page rather than the code page of the driver's texts.
HRESULT STDMETHODCALLTYPE TNotarel::get_FileName(BSTR* Value) {
  if (!Value) return E_POINTER;
  *Value = nullptr;
  return Guard([&] { *Value = notarel::AnsiPathToBstr(GetDriver().FileName()); });
}

HRESULT STDMETHODCALLTYPE TNotarel::put_FileName(BSTR value) {
  return WriteValue([&](TDriver& d) {
    std::string path = notarel::BstrToAnsiPath(value);
    d.SetFileName(std::move(path));
  });
}

HRESULT STDMETHODCALLTYPE TNotarel::get_DeviceCountryCode(BSTR* Value) {
  return ReadText(Value, [](TDriver& d) { return d.DeviceCountryCode(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::FindDevice(VARIANT_BOOL* Value) {
  return ReadBool(Value, [](TDriver& d) { return d.FindDevice(); });
}
