#include "int_text.h"

#include "config_errors.h"

namespace notarel {

std::int32_t StrToInt(std::string_view text) {
  std::size_t i = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) i = 1;
  // The magnitude may reach 2^31 for the most negative value.
  std::int64_t magnitude = 0;
  const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
  bool valid = i < text.size();
  for (; valid && i < text.size(); ++i) {
    const char c = text[i];
    valid = c >= '0' && c <= '9';
    if (valid) magnitude = magnitude * 10 + (c - '0');
    valid = valid && magnitude <= limit;
  }
  if (!valid) throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

std::string IntToStr(std::int32_t value) { return std::to_string(value); }

}  // namespace notarel
