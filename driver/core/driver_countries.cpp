// Country selection and bill values.
#include "driver.h"
#include "result_codes.h"

namespace notarel {

bool TDriver::CountryByIndex() { return countries_.SelectByIndex(); }

bool TDriver::CountryByCode() {
  if (countries_.SelectByCode(CountryCode())) return ClearResult();
  SetResult(kResultBadCountryCode);
  return false;
}

bool TDriver::CountryByCurrencyName() {
  if (countries_.SelectByCurrencyName(CurrencyName())) return ClearResult();
  SetResult(kResultBadCurrencyName);
  return false;
}

bool TDriver::GetCountryParams() {
  const std::int32_t index = CountryIndex();
  if (!countries_.IsValidIndex(index)) {
    SetResult(kResultBadCountryIndex);
    return false;
  }
  const TCountry& country = countries_.Items(index);
  countryName_.Set(country.CountryName());
  const std::int32_t currency = CurrencyIndex();
  if (!TCountries::IsValidCurrencyIndex(currency)) {
    SetResult(kResultBadCurrencyIndex);
    return false;
  }
  currencyName_.Set(country.CurrencyText(currency, BillSumm()));
  countryCode_.store(country.CountryCode());
  return ClearResult();
}

bool TDriver::GetBillSumm() {
  std::int32_t value = 0;
  const bool found = countries_.LookupCurrentBillValue(BillCode(), value);
  billSumm_.store(found ? value : 0);
  return found;
}

}  // namespace notarel
