// The built-in tables, the two selections, bill lookups and agreeing forms.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "config_test_support.h"
#include "count_form.h"
#include "countries.h"

namespace notarel {
namespace {

using test::W;

std::vector<std::string> Forms(const TCountry& country) {
  std::vector<std::string> forms;
  for (int i = 1; i < TCountry::kCurrencyNameCount; ++i) forms.push_back(country.CurrencyNames(i));
  return forms;
}

std::vector<std::string> W12(std::vector<const char*> utf8) {
  std::vector<std::string> forms;
  for (const char* form : utf8) forms.push_back(W(form));
  return forms;
}

using Pairs = std::vector<std::pair<std::int32_t, std::int32_t>>;

Pairs BillPairs(const TBills& bills) {
  Pairs pairs;
  for (int i = 0; i < bills.Count(); ++i) pairs.emplace_back(bills.Items(i).Code(), bills.Items(i).Value());
  return pairs;
}

class DefaultCountries : public ::testing::Test {
 protected:
  void SetUp() override { countries.LoadDefaults(); }
  TCountries countries;
};

TEST_F(DefaultCountries, HoldEightCountriesInTheirOrder) {
  ASSERT_EQ(countries.Count(), 8);
  const std::vector<std::tuple<const char*, std::int32_t, const char*>> expected = {
      {"Россия", 643, "RUB"},  {"Украина", 980, "UAH"}, {"Казахстан", 398, "KZT"},
      {"Беларусь", 974, "BYR"}, {"Грузия", 981, "OEL"},  {"Латвия", 428, "LVL"},
      {"Румыния", 642, "ROL"}, {"Чехия", 203, "CZK"}};
  for (int i = 0; i < 8; ++i) {
    const TCountry& country = countries.Items(i);
    EXPECT_EQ(country.CountryName(), W(std::get<0>(expected[i])));
    EXPECT_EQ(country.CountryCode(), std::get<1>(expected[i]));
    EXPECT_EQ(country.CurrencyNames(0), std::get<2>(expected[i]));
    EXPECT_EQ(country.Owner(), &countries);
  }
  EXPECT_EQ(countries.CountryIndex(), 0);
  EXPECT_EQ(countries.CurrentCountryCode(), 1);
}

TEST_F(DefaultCountries, CarryTheCaseFormsOfEachCurrency) {
  const auto rouble = W12({"рубль", "рубли", "рубля", "рублей", "рублю", "рублям", "рубль",
                           "рубли", "рублем", "рублями", "рубле", "рублях"});
  EXPECT_EQ(Forms(countries.Items(0)), rouble);
  EXPECT_EQ(Forms(countries.Items(3)), rouble);
  EXPECT_EQ(Forms(countries.Items(1)),
            W12({"гривна", "гривны", "гривны", "гривен", "гривне", "гривнам", "гривна", "гривны",
                 "гривной", "гривнами", "гривне", "гривнах"}));
  EXPECT_EQ(Forms(countries.Items(2)), std::vector<std::string>(12, W("тенге")));
  EXPECT_EQ(Forms(countries.Items(4)), std::vector<std::string>(12, W("лари")));
  EXPECT_EQ(countries.Items(5).CurrencyNames(9), W("латом"));
  EXPECT_EQ(countries.Items(6).CurrencyNames(9), W("леей"));
  // The Czech prepositional plural is spelt correctly.
  EXPECT_EQ(Forms(countries.Items(7)),
            W12({"крона", "кроны", "кроны", "крон", "кроне", "кронам", "крона", "кроны", "кроной",
                 "кронами", "кроне", "кронах"}));
}

TEST_F(DefaultCountries, CarryTheBillTablesOfEachCountry) {
  EXPECT_EQ(BillPairs(countries.Items(0).Bills()),
            (Pairs{{99, 10}, {100, 50}, {101, 100}, {102, 500}, {103, 1000}, {104, 5000}}));
  EXPECT_EQ(BillPairs(countries.Items(3).Bills()),
            (Pairs{{97, 50000}, {100, 1000}, {102, 5000}, {103, 10000}, {104, 20000}}));
  EXPECT_EQ(BillPairs(countries.Items(6).Bills()),
            (Pairs{{100, 10000}, {102, 50000}, {103, 100000}, {105, 500000}}));
  const std::vector<int> counts = {6, 8, 7, 5, 7, 5, 4, 5};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(countries.Items(i).Bills().Count(), counts[i]) << i;
  EXPECT_EQ(countries.Items(7).Bills().FindByCode(104)->Value(), 2000);
}

TEST_F(DefaultCountries, NoBillHasAValueUntilACountryIsSelected) {
  for (std::int32_t code = -1; code < 300; ++code) {
    std::int32_t value = -1;
    EXPECT_FALSE(countries.LookupCurrentBillValue(code, value));
    EXPECT_EQ(value, 0);
  }
  EXPECT_EQ(countries.CurrentBills(), nullptr);
}

TEST_F(DefaultCountries, SelectingByIndexGivesTheBillValuesOfThatCountry) {
  countries.SetCountryIndex(0);
  EXPECT_TRUE(countries.SelectByIndex());
  EXPECT_EQ(countries.CurrentCountryCode(), 643);
  std::int32_t value = -1;
  EXPECT_TRUE(countries.LookupCurrentBillValue(102, value));
  EXPECT_EQ(value, 500);
  EXPECT_FALSE(countries.LookupCurrentBillValue(97, value));
  EXPECT_EQ(value, 0);
  EXPECT_EQ(countries.CurrentBills(), &countries.Items(0).Bills());
  EXPECT_TRUE(countries.LookupBillValue(974, 97, value));
  EXPECT_EQ(value, 50000);
}

TEST_F(DefaultCountries, TheTwoSelectionsAreIndependent) {
  countries.SetCountryIndex(5);
  EXPECT_TRUE(countries.SelectByCode(974));
  EXPECT_EQ(countries.CurrentCountryCode(), 974);
  EXPECT_EQ(countries.CountryIndex(), 5);
  EXPECT_TRUE(countries.SelectByCurrencyName("RUB"));
  EXPECT_EQ(countries.CurrentCountryCode(), 643);
  EXPECT_EQ(countries.CountryIndex(), 5);
  EXPECT_FALSE(countries.SelectByCode(840));
  EXPECT_FALSE(countries.SelectByCurrencyName("rub"));
  EXPECT_FALSE(countries.SelectByCurrencyName(W("рубль")));
  EXPECT_EQ(countries.CurrentCountryCode(), 643);
  for (const std::int32_t index : {8, -1}) {
    countries.SetCountryIndex(index);
    EXPECT_FALSE(countries.SelectByIndex());
    EXPECT_EQ(countries.CurrentCountryCode(), 643);
  }
  countries.SetCountryIndex(7);
  EXPECT_TRUE(countries.SelectByIndex());
  EXPECT_EQ(countries.CurrentCountryCode(), 203);
}

TEST_F(DefaultCountries, ClearKeepsBothSelections) {
  countries.SetCountryIndex(2);
  countries.SelectByCode(398);
  countries.Clear();
  EXPECT_EQ(countries.Count(), 0);
  EXPECT_EQ(countries.CountryIndex(), 2);
  EXPECT_EQ(countries.CurrentCountryCode(), 398);
  EXPECT_FALSE(countries.IsValidIndex(0));
}

TEST_F(DefaultCountries, ValidIndexesAreTheCountriesAndFourteenCurrencyTexts) {
  EXPECT_TRUE(countries.IsValidIndex(0));
  EXPECT_TRUE(countries.IsValidIndex(7));
  EXPECT_FALSE(countries.IsValidIndex(8));
  EXPECT_FALSE(countries.IsValidIndex(-1));
  EXPECT_TRUE(TCountries::IsValidCurrencyIndex(0));
  EXPECT_TRUE(TCountries::IsValidCurrencyIndex(13));
  EXPECT_FALSE(TCountries::IsValidCurrencyIndex(14));
  EXPECT_FALSE(TCountries::IsValidCurrencyIndex(-1));
}

TEST_F(DefaultCountries, TheAgreeingFormFollowsTheLastTwoDigits) {
  const TCountry& russia = countries.Items(0);
  const struct {
    std::int32_t summ;
    const char* form;
  } cases[] = {{1, "рубль"},    {21, "рубль"},   {101, "рубль"},  {2, "рубля"},   {3, "рубля"},
               {4, "рубля"},    {22, "рубля"},   {0, "рублей"},   {5, "рублей"},  {11, "рублей"},
               {12, "рублей"},  {14, "рублей"},  {25, "рублей"},  {100, "рублей"}, {111, "рублей"},
               {1000011, "рублей"}, {-1, "рубль"}, {-22, "рубля"}};
  for (const auto& c : cases) {
    EXPECT_EQ(russia.CountForm(c.summ), W(c.form)) << c.summ;
    EXPECT_EQ(russia.CurrencyText(TCountry::kCountFormIndex, c.summ), W(c.form)) << c.summ;
  }
  EXPECT_EQ(CountFormIndex(-2147483647 - 1), 4);
  EXPECT_EQ(countries.Items(1).CountForm(2), W("гривны"));
  EXPECT_EQ(countries.Items(1).CountForm(5), W("гривен"));
  for (const std::int32_t summ : {1, 2, 5, 11, 21}) {
    EXPECT_EQ(countries.Items(2).CountForm(summ), W("тенге"));
  }
  EXPECT_EQ(russia.CurrencyText(0, 5), "RUB");
  EXPECT_EQ(russia.CurrencyText(12, 5), W("рублях"));
}

TEST(Bills, KeepTheirOrderAndFindTheFirstBillOfACode) {
  TBills bills;
  EXPECT_EQ(bills.Count(), 0);
  bills.LoadDefaults(9);
  EXPECT_EQ(bills.Count(), 0);
  bills.LoadDefaults(5);
  EXPECT_EQ(bills.Count(), 7);
  bills.LoadDefaults(0);
  EXPECT_EQ(bills.Count(), 0);
  TBill& first = bills.Add();
  EXPECT_EQ(first.Owner(), &bills);
  EXPECT_EQ(first.Code(), 0);
  first.SetCode(7);
  first.SetValue(70);
  TBill& second = bills.Add();
  second.SetCode(7);
  second.SetValue(700);
  EXPECT_EQ(bills.FindByCode(7), &first);
  bills.Delete(0);
  EXPECT_EQ(bills.FindByCode(7)->Value(), 700);
  EXPECT_EQ(bills.FindByCode(8), nullptr);
  EXPECT_THROW(bills.Items(1), std::out_of_range);
}

}  // namespace
}  // namespace notarel
