#pragma once
// The built-in country and denomination tables, used when no settings file
// supplies its own. Texts are Windows-1251.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace notarel {

struct TDefaultCountry {
  std::string CountryName;
  std::int32_t CountryCode;
  // The letter code, then the twelve case forms.
  std::array<std::string, 13> CurrencyNames;
  int BillKind;  // the bill table of DefaultBills
};

struct TDefaultBill {
  std::int32_t Code;
  std::int32_t Value;
};

// The eight built-in countries in their fixed order.
const std::vector<TDefaultCountry>& DefaultCountries();
// The bills of a table kind 1 to 8 in their fixed order; empty for any other kind.
const std::vector<TDefaultBill>& DefaultBills(int kind);

}  // namespace notarel
