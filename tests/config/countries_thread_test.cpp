// Bill lookups from another thread while the tables are reloaded and reset.
// Run under AddressSanitizer this catches a lookup in a destroyed table; under
// ThreadSanitizer, any unguarded access.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>

#include "config_test_support.h"
#include "countries.h"
#include "xml_elements.h"

namespace notarel {
namespace {

using test::LoadText;

TEST(CountriesThreads, LookupsSeeWholeTablesWhileTheyAreReplaced) {
  TCountries countries;
  countries.LoadDefaults();
  TXmlParser parser;
  LoadText(parser,
           "<c><CurrentCountryCode>643</CurrentCountryCode><Country>"
           "<CountryCode>643</CountryCode><Bills><Bill><Code>102</Code><Value>500</Value></Bill>"
           "</Bills></Country></c>");
  std::atomic<bool> stop{false};
  std::atomic<long> found{0};
  std::atomic<long> wrongValues{0};
  std::thread poller([&] {
    while (!stop.load()) {
      std::int32_t value = 0;
      if (countries.LookupBillValue(643, 102, value)) {
        ++found;
        if (value != 500) ++wrongValues;
      } else if (value != 0) {
        ++wrongValues;
      }
      countries.LookupCurrentBillValue(100, value);
    }
  });
  for (int round = 0; round < 300; ++round) {
    countries.LoadDefaults();
    countries.SelectByCode(643);
    countries.LoadFromXml(parser.Root());
    countries.Clear();
    TCountry& added = countries.Add();
    added.SetCountryCode(643);
    // The value goes in first: a bill edited in place is seen field by field.
    TBill& bill = added.Bills().Add();
    bill.SetValue(500);
    bill.SetCode(102);
    added.Bills().Clear();
  }
  stop.store(true);
  poller.join();
  EXPECT_EQ(wrongValues.load(), 0);
  // The lookups ran against live tables, not only against empty ones.
  std::int32_t value = 0;
  countries.LoadDefaults();
  EXPECT_TRUE(countries.LookupBillValue(643, 102, value));
  EXPECT_EQ(value, 500);
}

}  // namespace
}  // namespace notarel
