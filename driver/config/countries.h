#pragma once
// TCountry and TCountries: the countries the acceptor may be set up for, each
// with its name, currency code, currency words and bill table.
//
// Two selections are kept and never change each other: CountryIndex picks a
// country by position (for reading its parameters) and CurrentCountryCode by
// currency code (for bill values). The built-in table starts with
// CurrentCountryCode 1, which matches no country, so no bill has a value until
// a country is selected.
//
// Threads. The client's thread owns the tables: it alone changes them and may
// read them freely. One other thread, the polling thread, may look up bill
// values, and only through LookupBillValue or LookupCurrentBillValue and the
// two selection reads (which are atomic). A lookup holds the table lock, and
// so does every change it could see: replacing the country list (Clear,
// LoadDefaults, LoadFromXml), Add, Delete, a country's code, and the bill
// lists and bills (bills.h). LoadDefaults and LoadFromXml build the new list
// aside and swap it in, and the old list is destroyed after the lock is
// released, so a lookup sees either the old or the new tables whole, never a
// table being destroyed. The lock is never held while calling out.
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "bills.h"

namespace notarel {

class TCountries;
class TXmlItem;

class TCountry {
 public:
  // The letter code and the twelve case forms.
  static constexpr int kCurrencyNameCount = 13;
  // The currency index that asks for the form agreeing with a sum.
  static constexpr int kCountFormIndex = 13;

  explicit TCountry(TCountries* owner = nullptr) : FOwner(owner), FBills(this) {}
  TCountry(const TCountry&) = delete;
  TCountry& operator=(const TCountry&) = delete;

  TCountries* Owner() const { return FOwner; }
  TBills& Bills() { return FBills; }
  const TBills& Bills() const { return FBills; }

  const std::string& CountryName() const { return FCountryName; }
  void SetCountryName(std::string name) { FCountryName = std::move(name); }
  std::int32_t CountryCode() const { return FCountryCode; }
  void SetCountryCode(std::int32_t code);
  // 0: letter code; 1 to 12: nominative, genitive, dative, accusative,
  // instrumental and prepositional, each singular then plural.
  // Raise std::out_of_range outside 0 to 12.
  const std::string& CurrencyNames(int index) const;
  void SetCurrencyName(int index, std::string name);

  // The currency word agreeing with `summ` (see count_form.h).
  const std::string& CountForm(std::int32_t summ) const;
  // What GetCountryParams hands out for a valid currency index: the stored
  // text for 0 to 12, the agreeing form for 13.
  const std::string& CurrencyText(std::int32_t currencyIndex, std::int32_t summ) const;

  std::unique_lock<std::mutex> LockTables() const;

 private:
  TCountries* FOwner;
  TBills FBills;
  std::string FCountryName;
  std::int32_t FCountryCode = 0;
  std::array<std::string, kCurrencyNameCount> FCurrencyNames;
};

class TCountries {
 public:
  TCountries() = default;
  TCountries(const TCountries&) = delete;
  TCountries& operator=(const TCountries&) = delete;

  int Count() const { return static_cast<int>(FItems.size()); }
  // Countries by position, from 0; raise std::out_of_range outside the list.
  TCountry& Items(int index);
  const TCountry& Items(int index) const;

  std::int32_t CountryIndex() const { return FCountryIndex.load(); }
  void SetCountryIndex(std::int32_t index) { FCountryIndex.store(index); }
  std::int32_t CurrentCountryCode() const { return FCurrentCountryCode.load(); }
  void SetCurrentCountryCode(std::int32_t code) { FCurrentCountryCode.store(code); }

  // Appends a new empty country and returns it.
  TCountry& Add();
  void Delete(int index);
  // Destroys all countries; the selections stay.
  void Clear();

  bool IsValidIndex(std::int32_t index) const { return index >= 0 && index < Count(); }
  // 0 to 12 select a stored text, 13 the agreeing form.
  static bool IsValidCurrencyIndex(std::int32_t index) { return index >= 0 && index <= 13; }
  // The first country with this currency code, or null.
  const TCountry* FindByCode(std::int32_t code) const;
  TCountry* FindByCode(std::int32_t code);
  // The first country whose letter code is `name`, byte for byte, or null.
  const TCountry* FindByCurrencyName(std::string_view name) const;
  TCountry* FindByCurrencyName(std::string_view name);
  // The bills of the country selected by CurrentCountryCode, or null.
  const TBills* CurrentBills() const;
  TBills* CurrentBills();

  // Each sets CurrentCountryCode from the country found and returns true, or
  // returns false and changes nothing. CountryIndex is never changed.
  bool SelectByIndex();  // the country at CountryIndex
  bool SelectByCode(std::int32_t code);
  bool SelectByCurrencyName(std::string_view name);

  // The eight built-in countries; CurrentCountryCode 1, CountryIndex 0.
  void LoadDefaults();
  // Replaces the countries with those of a CountryDenominations element; a
  // CurrentCountryCode child sets that selection, and CountryIndex follows it
  // when a later country carries that code. A text that is not a decimal
  // integer raises EConvertError; what was read before it stays in force.
  void LoadFromXml(const TXmlItem& element);
  // Appends CurrentCountryCode and one Country element per country.
  void SaveToXml(TXmlItem& element) const;

  // Any thread. The value of bill `billCode` of the first country with
  // currency code `countryCode`: true and `value` set, or false and `value` 0.
  bool LookupBillValue(std::int32_t countryCode, std::int32_t billCode,
                       std::int32_t& value) const;
  // Any thread. The same for the country selected by CurrentCountryCode.
  bool LookupCurrentBillValue(std::int32_t billCode, std::int32_t& value) const;

  // The lock every change visible to a lookup takes (see the header comment).
  std::unique_lock<std::mutex> LockTables() const { return std::unique_lock<std::mutex>(FLock); }

 private:
  using TCountryList = std::vector<std::unique_ptr<TCountry>>;
  // Swaps `fresh` in under the lock; the old countries end up in `fresh`.
  void Swap(TCountryList& fresh);
  void ReadCountry(const TXmlItem& element, TCountry& country, std::int32_t index);

  mutable std::mutex FLock;
  TCountryList FItems;
  std::atomic<std::int32_t> FCountryIndex{0};
  std::atomic<std::int32_t> FCurrentCountryCode{0};
};

}  // namespace notarel
