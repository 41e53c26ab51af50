// Country selection and bill values through the driver's members.
#include <gtest/gtest.h>

#include "driver_test_support.h"

namespace notarel::test {
namespace {

using DriverCountries = SettingsTest;

TEST_F(DriverCountries, DefaultsSelectNoTableUntilACountryIsChosen) {
  driver_.SetDefaults();
  EXPECT_EQ(driver_.CountryCount(), 8);
  EXPECT_EQ(driver_.CountryIndex(), 0);
  EXPECT_EQ(driver_.CurrentCountryCode(), 1);
  driver_.SetBillSumm(77);
  for (int code : {97, 99, 102, 104}) {
    driver_.SetBillCode(code);
    EXPECT_FALSE(driver_.GetBillSumm());
    EXPECT_EQ(driver_.BillSumm(), 0);
  }
}

TEST_F(DriverCountries, SelectionByIndexGivesBillValues) {
  driver_.SetDefaults();
  driver_.SetResult(-1);
  driver_.SetCountryIndex(0);
  ASSERT_TRUE(driver_.CountryByIndex());
  EXPECT_EQ(driver_.ResultCode(), -1);  // left untouched
  EXPECT_EQ(driver_.CurrentCountryCode(), 643);
  driver_.SetBillCode(102);
  EXPECT_TRUE(driver_.GetBillSumm());
  EXPECT_EQ(driver_.BillSumm(), 500);
  driver_.SetBillCode(97);
  EXPECT_FALSE(driver_.GetBillSumm());
  EXPECT_EQ(driver_.BillSumm(), 0);

  driver_.SetCountryIndex(8);
  EXPECT_FALSE(driver_.CountryByIndex());
  EXPECT_EQ(driver_.ResultCode(), -1);
  EXPECT_EQ(driver_.CurrentCountryCode(), 643);
}

TEST_F(DriverCountries, SelectionByCodeAndCurrencyNameAreIndependentOfTheIndex) {
  driver_.SetDefaults();
  driver_.SetCountryIndex(2);
  driver_.SetCountryCode(974);
  ASSERT_TRUE(driver_.CountryByCode());
  EXPECT_EQ(driver_.ResultCode(), 0);
  EXPECT_EQ(driver_.CurrentCountryCode(), 974);
  EXPECT_EQ(driver_.CountryIndex(), 2);
  driver_.SetCountryCode(840);
  EXPECT_FALSE(driver_.CountryByCode());
  EXPECT_EQ(driver_.ResultCode(), -14);
  EXPECT_EQ(driver_.ResultDescription(), W("Неверный код страны"));

  driver_.SetCurrencyName("RUB");
  ASSERT_TRUE(driver_.CountryByCurrencyName());
  EXPECT_EQ(driver_.CurrentCountryCode(), 643);
  for (const std::string& name : {std::string("rub"), W("рубль")}) {
    driver_.SetCurrencyName(name);
    EXPECT_FALSE(driver_.CountryByCurrencyName());
    EXPECT_EQ(driver_.ResultCode(), -15);
    EXPECT_EQ(driver_.ResultDescription(), W("Неверное название валюты"));
  }
}

TEST_F(DriverCountries, CountryParamsAndTheAgreeingForm) {
  driver_.SetDefaults();
  struct Case {
    int country, currency, summ;
    const char* name;
  };
  const Case cases[] = {{0, 13, 111, "рублей"}, {0, 13, 21, "рубль"}, {0, 13, 22, "рубля"},
                        {0, 13, 5, "рублей"},   {0, 0, 0, "RUB"},     {2, 13, 1, "тенге"},
                        {2, 13, 3, "тенге"},    {7, 12, 0, "кронах"}, {3, 1, 0, "рубль"}};
  for (const Case& c : cases) {
    driver_.SetCountryIndex(c.country);
    driver_.SetCurrencyIndex(c.currency);
    driver_.SetBillSumm(c.summ);
    ASSERT_TRUE(driver_.GetCountryParams());
    EXPECT_EQ(driver_.CurrencyName(), W(c.name)) << c.country << " " << c.summ;
    EXPECT_EQ(driver_.ResultCode(), 0);
  }
  EXPECT_EQ(driver_.CountryName(), W("Беларусь"));
  EXPECT_EQ(driver_.CountryCode(), 974);
}

TEST_F(DriverCountries, BadIndicesReportTheirCodes) {
  driver_.SetDefaults();
  driver_.SetCountryIndex(1);
  driver_.SetCurrencyIndex(0);
  ASSERT_TRUE(driver_.GetCountryParams());
  for (int currency : {14, -1}) {
    driver_.SetCountryIndex(0);
    driver_.SetCurrencyIndex(currency);
    EXPECT_FALSE(driver_.GetCountryParams());
    EXPECT_EQ(driver_.ResultCode(), -11);
    EXPECT_EQ(driver_.ResultDescription(), W("Неверный индекс валюты"));
    EXPECT_EQ(driver_.CountryName(), W("Россия"));  // already updated
    EXPECT_EQ(driver_.CurrencyName(), "UAH");       // not
  }
  for (int country : {8, -1}) {
    driver_.SetCountryIndex(country);
    driver_.SetCurrencyIndex(0);
    EXPECT_FALSE(driver_.GetCountryParams());
    EXPECT_EQ(driver_.ResultCode(), -10);
    EXPECT_EQ(driver_.ResultDescription(), W("Неверный индекс страны"));
    EXPECT_EQ(driver_.CountryName(), W("Россия"));
  }
}

}  // namespace
}  // namespace notarel::test
