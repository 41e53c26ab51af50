// LoadParams on many damaged copies of a real settings file: it must always
// end with one of its codes, never crash or read outside the data, and a
// failed load must leave at least the defaults of what it did not reach.
#include <gtest/gtest.h>

#include <random>

#include "driver_test_support.h"

namespace notarel::test {
namespace {

using SettingsFuzz = SettingsTest;

std::string Mutate(const std::string& source, std::mt19937& random) {
  std::string data = source;
  const int edits = 1 + static_cast<int>(random() % 6);
  for (int i = 0; i < edits && !data.empty(); ++i) {
    const std::size_t at = random() % data.size();
    switch (random() % 5) {
      case 0: data[at] = static_cast<char>(random() % 256); break;
      case 1: data.erase(at, 1 + random() % 40); break;
      case 2: data.insert(at, data.substr(random() % data.size(), random() % 200)); break;
      case 3: data.resize(at); break;  // truncated anywhere
      default: data[at] = "<>/&\"'\0 \r\n"[random() % 10]; break;
    }
  }
  return data;
}

TEST_F(SettingsFuzz, DamagedFilesEndWithTheirCodes) {
  driver_.SetDefaults();
  driver_.SetPortNumber(3);
  ASSERT_TRUE(driver_.SaveParams());
  const std::string original = ReadFile();
  std::mt19937 random(20261207);
  int counts[4] = {};  // 0, -8, -12, -13
  for (int round = 0; round < 1500; ++round) {
    WriteFile(Mutate(original, random));
    const bool ok = driver_.LoadParams();
    const int code = driver_.ResultCode();
    ASSERT_TRUE(code == 0 || code == -8 || code == -13) << "round " << round << ": " << code;
    ASSERT_EQ(ok, code == 0);
    counts[code == 0 ? 0 : code == -8 ? 1 : 3]++;
    if (code == -13) {
      ASSERT_EQ(driver_.PortNumber(), 1);
      ASSERT_EQ(driver_.CountryCount(), 8);
    }
  }
  // The mutations reach every outcome, so the loop is not testing one path.
  EXPECT_GT(counts[0], 0);
  EXPECT_GT(counts[1], 0);
  std::printf("damaged settings files: %d loaded, %d refused (-8), %d empty (-13)\n", counts[0],
              counts[1], counts[3]);
}

}  // namespace
}  // namespace notarel::test
