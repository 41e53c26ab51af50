// The country tables in the settings document: a CountryDenominations element
// holding CurrentCountryCode and one Country per country, each with
// CountryName, CountryCode, CurrencyName0 to CurrencyName12 and Bills.
// Element names are matched with letter case ignored; unknown ones are skipped.
#include <utility>

#include "countries.h"
#include "int_text.h"
#include "xml_elements.h"

namespace notarel {
namespace {

std::string CurrencyElementName(int index) { return "CurrencyName" + std::to_string(index); }

// The currency text index named by `element`, or -1.
int CurrencyIndexOf(const TXmlItem& element) {
  for (int i = 0; i < TCountry::kCurrencyNameCount; ++i) {
    if (element.IsNamed(CurrencyElementName(i))) return i;
  }
  return -1;
}

}  // namespace

void TCountries::ReadCountry(const TXmlItem& element, TCountry& country, std::int32_t index) {
  for (int i = 0; i < element.Count(); ++i) {
    const TXmlItem& field = element.Items(i);
    if (field.IsNamed("CountryName")) {
      country.SetCountryName(field.Text());
    } else if (field.IsNamed("CountryCode")) {
      country.SetCountryCode(StrToInt(field.Text()));
      if (country.CountryCode() == CurrentCountryCode()) SetCountryIndex(index);
    } else if (field.IsNamed("Bills")) {
      country.Bills().LoadFromXml(field);
    } else if (const int currency = CurrencyIndexOf(field); currency >= 0) {
      country.SetCurrencyName(currency, field.Text());
    }
  }
}

void TCountries::LoadFromXml(const TXmlItem& element) {
  // The new list is built aside and swapped in whole; on an error what was
  // read so far replaces the old list all the same.
  TCountryList fresh;
  try {
    for (int i = 0; i < element.Count(); ++i) {
      const TXmlItem& child = element.Items(i);
      if (child.IsNamed("CurrentCountryCode")) {
        SetCurrentCountryCode(StrToInt(child.Text()));
      } else if (child.IsNamed("Country")) {
        fresh.push_back(std::make_unique<TCountry>(this));
        ReadCountry(child, *fresh.back(), static_cast<std::int32_t>(fresh.size() - 1));
      }
    }
  } catch (...) {
    Swap(fresh);
    throw;
  }
  Swap(fresh);
}

void TCountries::SaveToXml(TXmlItem& element) const {
  AddElement(element, "CurrentCountryCode", IntToStr(CurrentCountryCode()));
  for (const auto& country : FItems) {
    TXmlItem& entry = AddElement(element, "Country");
    AddElement(entry, "CountryName", country->CountryName());
    AddElement(entry, "CountryCode", IntToStr(country->CountryCode()));
    for (int i = 0; i < TCountry::kCurrencyNameCount; ++i) {
      AddElement(entry, CurrencyElementName(i), country->CurrencyNames(i));
    }
    country->Bills().SaveToXml(AddElement(entry, "Bills"));
  }
}

}  // namespace notarel
