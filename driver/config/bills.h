#pragma once
// TBill and TBills: the bill table of one country, from the bill code the
// device reports to the bill's value in units of the currency.
//
// A bill list that belongs to a country of a TCountries takes that
// collection's table lock for every change a bill lookup could see (adding,
// deleting, clearing bills, setting a code or value); see countries.h.
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace notarel {

class TBills;
class TCountry;
class TXmlItem;

class TBill {
 public:
  std::int32_t Value() const { return FValue; }
  void SetValue(std::int32_t value);
  std::int32_t Code() const { return FCode; }
  void SetCode(std::int32_t code);
  TBills* Owner() const { return FOwner; }

 private:
  friend class TBills;
  explicit TBill(TBills* owner) : FOwner(owner) {}

  TBills* FOwner;
  std::int32_t FValue = 0;
  std::int32_t FCode = 0;
};

class TBills {
 public:
  explicit TBills(TCountry* owner = nullptr) : FOwner(owner) {}
  TBills(const TBills&) = delete;
  TBills& operator=(const TBills&) = delete;

  int Count() const { return static_cast<int>(FItems.size()); }
  // Bills by position, from 0; raise std::out_of_range outside the list.
  TBill& Items(int index);
  const TBill& Items(int index) const;
  TCountry* Owner() const { return FOwner; }

  // Appends a bill with code 0 and value 0.
  TBill& Add();
  void Delete(int index);
  void Clear();
  // The first bill with this code, or null.
  const TBill* FindByCode(std::int32_t code) const;
  TBill* FindByCode(std::int32_t code);

  // The built-in table of kind 1 to 8; any other kind leaves the list empty.
  void LoadDefaults(int kind);
  // Replaces the bills with the `Bill` children of a `Bills` element, each
  // read from its `Code` and `Value` children. A text that is not a decimal
  // integer raises EConvertError; the bills read before it stay.
  void LoadFromXml(const TXmlItem& element);
  // Appends one `Bill` element per bill, each holding `Code` and `Value`.
  void SaveToXml(TXmlItem& element) const;

  // The owning collection's table lock, or no lock for a list of its own.
  std::unique_lock<std::mutex> LockTables() const;

 private:
  TCountry* FOwner;
  std::vector<std::unique_ptr<TBill>> FItems;
};

}  // namespace notarel
