#pragma once
// TBillTables: the country and bill tables, the values the client selects in
// them, and the settings file that stores them with the port's settings.
//
// Lookups report their outcome as a result code (0 or a negative code of the
// result table) for the driver to record; file errors are raised as
// exceptions. The polling thread only looks bills up (BillValue); everything
// else runs on the client's thread.
#include <atomic>
#include <cstdint>
#include <string>

#include "countries.h"
#include "guarded.h"

namespace notarel {

class TComm;
class TXmlParser;

class TBillTables {
 public:
  explicit TBillTables(std::string fileName) : fileName_(std::move(fileName)) {}

  TCountries& Countries() { return countries_; }
  const TCountries& Countries() const { return countries_; }
  std::string CountryName() const { return countryName_.Get(); }
  std::int32_t CountryCode() const { return countryCode_.load(); }
  void SetCountryCode(std::int32_t value) { countryCode_.store(value); }
  std::string CurrencyName() const { return currencyName_.Get(); }
  void SetCurrencyName(std::string value) { currencyName_.Set(std::move(value)); }
  std::int32_t CurrencyIndex() const { return currencyIndex_.load(); }
  void SetCurrencyIndex(std::int32_t value) { currencyIndex_.store(value); }
  std::int32_t BillSumm() const { return billSumm_.load(); }
  void SetBillSumm(std::int32_t value) { billSumm_.store(value); }

  // Selects by CountryCode (-14) or by CurrencyName, the letter code exactly (-15).
  std::int32_t SelectByCode();
  std::int32_t SelectByCurrencyName();
  // Name, code and currency text of the country at CountryIndex: -10, -11.
  std::int32_t ReadCountryParams();
  // BillSumm := the value of a bill code in the selected table (0 when none).
  bool LookUpBill(std::int32_t billCode);

  std::string FileName() const { return fileName_.Get(); }
  void SetFileName(std::string value) { fileName_.Set(std::move(value)); }
  // The file into the tables and the port's settings: -12 missing, -13 empty.
  std::int32_t Load(TComm& port);
  // Writes the file anew, replacing an existing one only once it is whole.
  void Save(const TComm& port) const;
  // Applies a loaded tree; false when the document element has no child.
  bool ReadSettings(const TXmlParser& parser, TComm& port);
  void WriteSettings(TXmlParser& parser, const TComm& port) const;

 private:
  TCountries countries_;
  Guarded<std::string> countryName_;
  std::atomic<std::int32_t> countryCode_{0};
  Guarded<std::string> currencyName_;
  std::atomic<std::int32_t> currencyIndex_{0};
  std::atomic<std::int32_t> billSumm_{0};
  Guarded<std::string> fileName_;
};

}  // namespace notarel
