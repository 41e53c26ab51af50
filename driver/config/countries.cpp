#include "countries.h"

#include <stdexcept>
#include <utility>

#include "count_form.h"
#include "default_tables.h"

namespace notarel {
namespace {

[[noreturn]] void IndexOutOfBounds(int index) {
  throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
}

}  // namespace

// ---- TCountry ----

std::unique_lock<std::mutex> TCountry::LockTables() const {
  return FOwner != nullptr ? FOwner->LockTables() : std::unique_lock<std::mutex>();
}

void TCountry::SetCountryCode(std::int32_t code) {
  const auto lock = LockTables();
  FCountryCode = code;
}

const std::string& TCountry::CurrencyNames(int index) const {
  if (index < 0 || index >= kCurrencyNameCount) IndexOutOfBounds(index);
  return FCurrencyNames[static_cast<std::size_t>(index)];
}

void TCountry::SetCurrencyName(int index, std::string name) {
  if (index < 0 || index >= kCurrencyNameCount) IndexOutOfBounds(index);
  FCurrencyNames[static_cast<std::size_t>(index)] = std::move(name);
}

const std::string& TCountry::CountForm(std::int32_t summ) const {
  return CurrencyNames(CountFormIndex(summ));
}

const std::string& TCountry::CurrencyText(std::int32_t currencyIndex, std::int32_t summ) const {
  return currencyIndex == kCountFormIndex ? CountForm(summ) : CurrencyNames(currencyIndex);
}

// ---- TCountries: the list ----

TCountry& TCountries::Items(int index) {
  if (!IsValidIndex(index)) IndexOutOfBounds(index);
  return *FItems[static_cast<std::size_t>(index)];
}

const TCountry& TCountries::Items(int index) const {
  return const_cast<TCountries*>(this)->Items(index);
}

TCountry& TCountries::Add() {
  auto country = std::make_unique<TCountry>(this);
  const auto lock = LockTables();
  FItems.push_back(std::move(country));
  return *FItems.back();
}

void TCountries::Delete(int index) {
  if (!IsValidIndex(index)) IndexOutOfBounds(index);
  std::unique_ptr<TCountry> doomed;
  const auto lock = LockTables();
  doomed = std::move(FItems[static_cast<std::size_t>(index)]);
  FItems.erase(FItems.begin() + index);
}

void TCountries::Swap(TCountryList& fresh) {
  const auto lock = LockTables();
  FItems.swap(fresh);
}

void TCountries::Clear() {
  TCountryList none;
  Swap(none);
}

void TCountries::LoadDefaults() {
  TCountryList fresh;
  for (const TDefaultCountry& row : DefaultCountries()) {
    auto country = std::make_unique<TCountry>(this);
    country->SetCountryName(row.CountryName);
    country->SetCountryCode(row.CountryCode);
    for (int i = 0; i < TCountry::kCurrencyNameCount; ++i) {
      country->SetCurrencyName(i, row.CurrencyNames[static_cast<std::size_t>(i)]);
    }
    country->Bills().LoadDefaults(row.BillKind);
    fresh.push_back(std::move(country));
  }
  Swap(fresh);
  SetCurrentCountryCode(1);
  SetCountryIndex(0);
}

// ---- TCountries: finding and selecting ----

const TCountry* TCountries::FindByCode(std::int32_t code) const {
  for (const auto& country : FItems) {
    if (country->CountryCode() == code) return country.get();
  }
  return nullptr;
}

TCountry* TCountries::FindByCode(std::int32_t code) {
  return const_cast<TCountry*>(std::as_const(*this).FindByCode(code));
}

const TCountry* TCountries::FindByCurrencyName(std::string_view name) const {
  for (const auto& country : FItems) {
    if (country->CurrencyNames(0) == name) return country.get();
  }
  return nullptr;
}

TCountry* TCountries::FindByCurrencyName(std::string_view name) {
  return const_cast<TCountry*>(std::as_const(*this).FindByCurrencyName(name));
}

const TBills* TCountries::CurrentBills() const {
  const TCountry* country = FindByCode(CurrentCountryCode());
  return country != nullptr ? &country->Bills() : nullptr;
}

TBills* TCountries::CurrentBills() {
  return const_cast<TBills*>(std::as_const(*this).CurrentBills());
}

bool TCountries::SelectByIndex() {
  const std::int32_t index = CountryIndex();
  if (!IsValidIndex(index)) return false;
  SetCurrentCountryCode(Items(index).CountryCode());
  return true;
}

bool TCountries::SelectByCode(std::int32_t code) {
  const TCountry* country = FindByCode(code);
  if (country == nullptr) return false;
  SetCurrentCountryCode(country->CountryCode());
  return true;
}

bool TCountries::SelectByCurrencyName(std::string_view name) {
  const TCountry* country = FindByCurrencyName(name);
  if (country == nullptr) return false;
  SetCurrentCountryCode(country->CountryCode());
  return true;
}

// ---- TCountries: lookups from any thread ----

bool TCountries::LookupBillValue(std::int32_t countryCode, std::int32_t billCode,
                                 std::int32_t& value) const {
  value = 0;
  const auto lock = LockTables();
  const TCountry* country = FindByCode(countryCode);
  const TBill* bill = country != nullptr ? country->Bills().FindByCode(billCode) : nullptr;
  if (bill == nullptr) return false;
  value = bill->Value();
  return true;
}

bool TCountries::LookupCurrentBillValue(std::int32_t billCode, std::int32_t& value) const {
  return LookupBillValue(CurrentCountryCode(), billCode, value);
}

}  // namespace notarel
