// The country tables in the settings document.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "config_test_support.h"
#include "countries.h"
#include "xml_elements.h"

namespace notarel {
namespace {

using test::LoadText;
using test::SavedText;
using test::W;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end = text.find("\r\n"); end != std::string::npos;
       start = end + 2, end = text.find("\r\n", start)) {
    lines.push_back(text.substr(start, end - start));
  }
  EXPECT_EQ(start, text.size()) << "the last line lacks CR LF";
  return lines;
}

// The countries element of a settings document, as the driver nests it.
std::string SavedCountries(const TCountries& countries) {
  TXmlParser parser;
  parser.Root().SetName("settings");
  countries.SaveToXml(AddElement(parser.Root(), "CountryDenominations"));
  return SavedText(parser);
}

TEST(CountriesXml, WritesTheDefaultTablesLineByLine) {
  TCountries countries;
  countries.LoadDefaults();
  const std::vector<std::string> lines = Lines(SavedCountries(countries));
  const std::vector<std::string> expected = {
      "<?xml version=\"1.0\" encoding=\"Windows-1251\" ?>",
      "<settings>",
      "  <CountryDenominations>",
      "    <CurrentCountryCode>1</CurrentCountryCode>",
      "    <Country>",
      "      <CountryName>" + W("Россия") + "</CountryName>",
      "      <CountryCode>643</CountryCode>",
      "      <CurrencyName0>RUB</CurrencyName0>",
      "      <CurrencyName1>" + W("рубль") + "</CurrencyName1>",
      "      <CurrencyName2>" + W("рубли") + "</CurrencyName2>"};
  ASSERT_GT(lines.size(), 30u);
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 10), expected);
  EXPECT_EQ(lines[19], "      <CurrencyName12>" + W("рублях") + "</CurrencyName12>");
  const std::vector<std::string> bills = {"      <Bills>",           "        <Bill>",
                                          "          <Code>99</Code>", "          <Value>10</Value>",
                                          "        </Bill>",          "        <Bill>"};
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 20, lines.begin() + 26), bills);
  const std::vector<std::string> tail = {"    </Country>", "  </CountryDenominations>",
                                         "</settings>"};
  EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()), tail);
}

TEST(CountriesXml, WritesEmptyTextsAndBillListsSelfClosing) {
  TCountries countries;
  TCountry& country = countries.Add();
  country.SetCountryName("Nowhere");
  country.SetCurrencyName(0, "NWH");
  const std::vector<std::string> lines = Lines(SavedCountries(countries));
  EXPECT_EQ(lines[4], "    <Country>");
  EXPECT_EQ(lines[6], "      <CountryCode>0</CountryCode>");
  EXPECT_EQ(lines[8], "      <CurrencyName1/>");
  EXPECT_EQ(lines[20], "      <Bills/>");
}

TEST(CountriesXml, SavedTablesLoadBackTheSame) {
  TCountries original;
  original.LoadDefaults();
  original.SelectByCode(980);
  original.Items(7).SetCurrencyName(12, W("крронах"));
  const std::string saved = SavedCountries(original);
  TXmlParser parser;
  LoadText(parser, saved);
  TCountries loaded;
  loaded.LoadFromXml(parser.Root().Items(0));
  EXPECT_EQ(loaded.CurrentCountryCode(), 980);
  EXPECT_EQ(loaded.CountryIndex(), 1);
  ASSERT_EQ(loaded.Count(), 8);
  // A file's own spelling is kept as it stands.
  EXPECT_EQ(loaded.Items(7).CurrencyNames(12), W("крронах"));
  EXPECT_EQ(SavedCountries(loaded), saved);
  std::int32_t value = 0;
  EXPECT_TRUE(loaded.LookupCurrentBillValue(104, value));
  EXPECT_EQ(value, 200);
}

TEST(CountriesXml, ElementNamesMatchInAnyCaseAndUnknownOnesAreSkipped) {
  TXmlParser parser;
  LoadText(parser,
           "<countrydenominations><CURRENTCOUNTRYCODE>51</CURRENTCOUNTRYCODE><note>x</note>"
           "<country><countryname>Armenia</countryname><Extra>1</Extra>"
           "<COUNTRYCODE>51</COUNTRYCODE><currencyname0>AMD</currencyname0>"
           "<CurrencyName13>no</CurrencyName13><CurrencyName01>no</CurrencyName01>"
           "<bills><BILL><code>5</code><VALUE>1000</VALUE><Other/></BILL><Coin/></bills>"
           "</country></countrydenominations>");
  TCountries countries;
  countries.LoadDefaults();
  countries.SetCountryIndex(4);
  countries.LoadFromXml(parser.Root());
  ASSERT_EQ(countries.Count(), 1);
  const TCountry& armenia = countries.Items(0);
  EXPECT_EQ(armenia.CountryName(), "Armenia");
  EXPECT_EQ(armenia.CurrencyNames(0), "AMD");
  EXPECT_EQ(armenia.CurrencyNames(1), "");
  EXPECT_EQ(countries.CountryIndex(), 0);
  std::int32_t value = 0;
  EXPECT_TRUE(countries.LookupBillValue(51, 5, value));
  EXPECT_EQ(value, 1000);
  EXPECT_EQ(armenia.Bills().Count(), 1);
}

TEST(CountriesXml, TheIndexFollowsTheCodeOnlyWhenTheCodeComesFirst) {
  const std::string country = "<Country><CountryCode>203</CountryCode></Country>";
  TXmlParser parser;
  TCountries countries;
  countries.SetCountryIndex(9);
  LoadText(parser, "<c>" + country + "<CurrentCountryCode>203</CurrentCountryCode></c>");
  countries.LoadFromXml(parser.Root());
  EXPECT_EQ(countries.CurrentCountryCode(), 203);
  EXPECT_EQ(countries.CountryIndex(), 9);
  // Without a CurrentCountryCode both selections stay, unless a country
  // carries the code already selected.
  const std::string other = "<Country><CountryCode>980</CountryCode></Country>";
  LoadText(parser, "<c>" + other + other + "</c>");
  countries.LoadFromXml(parser.Root());
  EXPECT_EQ(countries.Count(), 2);
  EXPECT_EQ(countries.CurrentCountryCode(), 203);
  EXPECT_EQ(countries.CountryIndex(), 9);
  LoadText(parser, "<c>" + other + country + "</c>");
  countries.LoadFromXml(parser.Root());
  EXPECT_EQ(countries.CountryIndex(), 1);
  // An element without countries empties the tables.
  LoadText(parser, "<c><CurrentCountryCode>643</CurrentCountryCode></c>");
  countries.LoadFromXml(parser.Root());
  EXPECT_EQ(countries.Count(), 0);
  EXPECT_EQ(countries.CurrentCountryCode(), 643);
}

TEST(CountriesXml, AnInvalidNumberStopsTheLoadAndKeepsWhatWasRead) {
  TXmlParser parser;
  LoadText(parser,
           "<c><Country><CountryName>One</CountryName></Country>"
           "<Country><CountryName>Two</CountryName><Bills><Bill><Code>1</Code></Bill>"
           "<Bill><Code>1O</Code></Bill></Bills><CountryCode>3</CountryCode></Country>"
           "<Country/></c>");
  TCountries countries;
  countries.LoadDefaults();
  try {
    countries.LoadFromXml(parser.Root());
    ADD_FAILURE() << "no error";
  } catch (const EConvertError& error) {
    EXPECT_EQ(std::string(error.what()), "'1O' is not a valid integer value");
  }
  ASSERT_EQ(countries.Count(), 2);
  EXPECT_EQ(countries.Items(1).CountryName(), "Two");
  EXPECT_EQ(countries.Items(1).CountryCode(), 0);
  EXPECT_EQ(countries.Items(1).Bills().Count(), 2);
}

}  // namespace
}  // namespace notarel
