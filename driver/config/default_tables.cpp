#include "default_tables.h"

#include <string_view>

#include "cp1251.h"

namespace notarel {
namespace {

using Forms = std::array<std::string_view, 12>;

struct CountryRow {
  std::string_view Name;
  std::int32_t Code;
  std::string_view LetterCode;
  const Forms* CaseForms;
  int BillKind;
};

// Nominative, genitive, dative, accusative, instrumental, prepositional; singular then plural.
constexpr Forms kRouble = {"рубль", "рубли", "рубля", "рублей", "рублю", "рублям",
                           "рубль", "рубли", "рублем", "рублями", "рубле", "рублях"};
constexpr Forms kHryvnia = {"гривна", "гривны", "гривны", "гривен", "гривне", "гривнам",
                            "гривна", "гривны", "гривной", "гривнами", "гривне", "гривнах"};
constexpr Forms kTenge = {"тенге", "тенге", "тенге", "тенге", "тенге", "тенге",
                          "тенге", "тенге", "тенге", "тенге", "тенге", "тенге"};
constexpr Forms kLari = {"лари", "лари", "лари", "лари", "лари", "лари",
                         "лари", "лари", "лари", "лари", "лари", "лари"};
constexpr Forms kLats = {"лат", "латы", "лата", "лат", "лату", "латам",
                         "лат", "латы", "латом", "латами", "лате", "латах"};
constexpr Forms kLeu = {"лея", "леи", "леи", "лей", "лее", "леям",
                        "лея", "леи", "леей", "леями", "лее", "леях"};
constexpr Forms kKoruna = {"крона", "кроны", "кроны", "крон", "кроне", "кронам",
                           "крона", "кроны", "кроной", "кронами", "кроне", "кронах"};

constexpr std::array<CountryRow, 8> kCountries = {{
    {"Россия", 643, "RUB", &kRouble, 1},
    {"Украина", 980, "UAH", &kHryvnia, 2},
    {"Казахстан", 398, "KZT", &kTenge, 3},
    {"Беларусь", 974, "BYR", &kRouble, 4},
    {"Грузия", 981, "OEL", &kLari, 5},
    {"Латвия", 428, "LVL", &kLats, 6},
    {"Румыния", 642, "ROL", &kLeu, 7},
    {"Чехия", 203, "CZK", &kKoruna, 8},
}};

std::vector<TDefaultCountry> ConvertCountries() {
  std::vector<TDefaultCountry> countries;
  for (const CountryRow& row : kCountries) {
    TDefaultCountry country{Utf8ToCp1251(row.Name), row.Code, {}, row.BillKind};
    country.CurrencyNames[0] = std::string(row.LetterCode);
    for (std::size_t i = 0; i < row.CaseForms->size(); ++i) {
      country.CurrencyNames[i + 1] = Utf8ToCp1251((*row.CaseForms)[i]);
    }
    countries.push_back(std::move(country));
  }
  return countries;
}

const std::array<std::vector<TDefaultBill>, 9> kBills = {{
    {},
    {{99, 10}, {100, 50}, {101, 100}, {102, 500}, {103, 1000}, {104, 5000}},
    {{97, 1}, {98, 2}, {99, 5}, {100, 10}, {101, 20}, {102, 50}, {103, 100}, {104, 200}},
    {{97, 100}, {98, 200}, {99, 500}, {100, 1000}, {101, 2000}, {102, 5000}, {103, 10000}},
    {{97, 50000}, {100, 1000}, {102, 5000}, {103, 10000}, {104, 20000}},
    {{97, 1}, {98, 2}, {99, 5}, {100, 10}, {101, 20}, {102, 50}, {103, 100}},
    {{99, 5}, {100, 10}, {101, 20}, {102, 50}, {103, 100}},
    {{100, 10000}, {102, 50000}, {103, 100000}, {105, 500000}},
    {{100, 100}, {101, 200}, {102, 500}, {103, 1000}, {104, 2000}},
}};

}  // namespace

const std::vector<TDefaultCountry>& DefaultCountries() {
  static const std::vector<TDefaultCountry> countries = ConvertCountries();
  return countries;
}

const std::vector<TDefaultBill>& DefaultBills(int kind) {
  return kind >= 1 && kind <= 8 ? kBills[static_cast<std::size_t>(kind)] : kBills[0];
}

}  // namespace notarel
