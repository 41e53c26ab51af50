#include "soak_rates.h"

#include <algorithm>
#include <iterator>

#include "control_command.h"

namespace notarel::emu {
namespace {

constexpr unsigned kPerMille = 1000;
constexpr unsigned kMaxMillis = 60000;
constexpr unsigned kMaxCount = 1000;
constexpr unsigned kMaxBills = 100000000;

struct RateRule {
  const char* name;
  unsigned SoakRates::*field;
  unsigned max;
};

constexpr RateRule kRules[] = {
    {"garbage", &SoakRates::garbage, kPerMille},
    {"corrupt", &SoakRates::corrupt, kPerMille},
    {"swapcrc", &SoakRates::swapcrc, kPerMille},
    {"truncate", &SoakRates::truncate, kPerMille},
    {"short", &SoakRates::short_reply, kPerMille},
    {"slow", &SoakRates::slow, kPerMille},
    {"slow_ms", &SoakRates::slow_ms, kMaxMillis},
    {"slow_status_ms", &SoakRates::slow_status_ms, kMaxMillis},
    {"short_silence", &SoakRates::short_silence, kPerMille},
    {"long_silence", &SoakRates::long_silence, kPerMille},
    {"short_ms", &SoakRates::short_ms, kMaxMillis},
    {"long_ms", &SoakRates::long_ms, kMaxMillis},
    {"reject", &SoakRates::reject, kPerMille},
    {"fail", &SoakRates::fail, kPerMille},
    {"powerup", &SoakRates::powerup, kPerMille},
    {"full", &SoakRates::full, kPerMille},
    {"pause", &SoakRates::pause, kMaxCount},
    {"full_hold", &SoakRates::full_hold, kMaxCount},
    {"reject_hold", &SoakRates::reject_hold, kMaxCount},
    {"bills", &SoakRates::bills, kMaxBills},
};

// Rates that share one draw must not add up to more than every case.
std::string CheckSums(const SoakRates& r) {
  if (r.garbage + r.corrupt + r.swapcrc + r.truncate > kPerMille) {
    return "garbage, corrupt, swapcrc and truncate add up to more than 1000";
  }
  if (r.short_silence + r.long_silence > kPerMille) {
    return "short_silence and long_silence add up to more than 1000";
  }
  if (r.reject + r.fail + r.powerup + r.full > kPerMille) {
    return "reject, fail, powerup and full add up to more than 1000";
  }
  return {};
}

}  // namespace

bool ApplySoakRates(const std::vector<std::string>& words, SoakRates& rates, std::string& error) {
  for (const std::string& word : words) {
    const auto equals = word.find('=');
    const std::string name = word.substr(0, equals);
    const auto rule = std::find_if(std::begin(kRules), std::end(kRules),
                                   [&](const RateRule& r) { return name == r.name; });
    if (equals == std::string::npos || rule == std::end(kRules)) {
      error = "unknown rate " + word;
      return false;
    }
    std::uint32_t value = 0;
    if (!ParseNumber(word.substr(equals + 1), rule->max, value)) {
      error = name + " expects a number from 0 to " + std::to_string(rule->max);
      return false;
    }
    rates.*(rule->field) = value;
  }
  error = CheckSums(rates);
  return error.empty();
}

std::vector<std::string> SplitSoakRates(const std::string& list) {
  std::vector<std::string> words;
  std::string::size_type start = 0;
  while (start <= list.size()) {
    const auto comma = std::min(list.find(',', start), list.size());
    if (comma > start) words.push_back(list.substr(start, comma - start));
    start = comma + 1;
  }
  return words;
}

std::string FormatSoakRates(const SoakRates& rates) {
  std::string text;
  for (const RateRule& rule : kRules) {
    if (!text.empty()) text += ' ';
    text += std::string(rule.name) + "=" + std::to_string(rates.*(rule.field));
  }
  return text;
}

}  // namespace notarel::emu
