// The country tables, the values selected in them, and the settings file:
// port, speed and country tables.
#include "bill_tables.h"

#include <sstream>

#include "comm.h"
#include "int_text.h"
#include "result_codes.h"
#include "settings_file.h"
#include "xml_elements.h"
#include "xml_parser.h"

namespace notarel {

std::int32_t TBillTables::SelectByCode() {
  return countries_.SelectByCode(CountryCode()) ? kResultOk : kResultBadCountryCode;
}

std::int32_t TBillTables::SelectByCurrencyName() {
  return countries_.SelectByCurrencyName(CurrencyName()) ? kResultOk : kResultBadCurrencyName;
}

std::int32_t TBillTables::ReadCountryParams() {
  const std::int32_t index = countries_.CountryIndex();
  if (!countries_.IsValidIndex(index)) return kResultBadCountryIndex;
  const TCountry& country = countries_.Items(index);
  countryName_.Set(country.CountryName());
  const std::int32_t currency = CurrencyIndex();
  if (!TCountries::IsValidCurrencyIndex(currency)) return kResultBadCurrencyIndex;
  currencyName_.Set(country.CurrencyText(currency, BillSumm()));
  countryCode_.store(country.CountryCode());
  return kResultOk;
}

bool TBillTables::LookUpBill(std::int32_t billCode) {
  std::int32_t value = 0;
  const bool found = countries_.LookupCurrentBillValue(billCode, value);
  billSumm_.store(found ? value : 0);
  return found;
}

std::int32_t TBillTables::Load(TComm& port) {
  const std::string fileName = FileName();
  if (!FileExists(fileName)) return kResultFileMissing;
  TXmlParser parser;
  parser.LoadFromFile(fileName);
  return ReadSettings(parser, port) ? kResultOk : kResultBadFileFormat;
}

bool TBillTables::ReadSettings(const TXmlParser& parser, TComm& port) {
  const TXmlItem& root = parser.Root();
  for (int i = 0; i < root.Count(); ++i) {
    const TXmlItem& section = root.Items(i);
    if (section.IsNamed("CountryDenominations")) {
      countries_.LoadFromXml(section);
    } else if (section.IsNamed("ConnectionParams")) {
      for (int j = 0; j < section.Count(); ++j) {
        const TXmlItem& item = section.Items(j);
        if (item.IsNamed("BaudRate")) port.SetBaudRate(StrToInt(item.Text()));
        else if (item.IsNamed("PortNumber")) port.SetPortNumber(StrToInt(item.Text()));
      }
    }
  }
  return root.Count() > 0;
}

void TBillTables::WriteSettings(TXmlParser& parser, const TComm& port) const {
  parser.Clear();
  TXmlItem& root = parser.Root();
  root.SetName("settings");
  TXmlItem& connection = AddElement(root, "ConnectionParams");
  AddElement(connection, "PortNumber", IntToStr(port.PortNumber()));
  AddElement(connection, "BaudRate", IntToStr(port.BaudRate()));
  countries_.SaveToXml(AddElement(root, "CountryDenominations"));
}

void TBillTables::Save(const TComm& port) const {
  TXmlParser parser;
  WriteSettings(parser, port);
  std::ostringstream document;
  parser.SaveToStream(document);
  ReplaceFileContents(FileName(), document.str());
}

}  // namespace notarel
