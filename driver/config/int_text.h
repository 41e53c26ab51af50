#pragma once
// Decimal integers in element texts.
#include <cstdint>
#include <string>
#include <string_view>

namespace notarel {

// A decimal 32-bit integer: optional sign, then digits, nothing else.
// Anything else raises EConvertError "'<text>' is not a valid integer value".
std::int32_t StrToInt(std::string_view text);
// Plain decimal without leading zeros.
std::string IntToStr(std::int32_t value);

}  // namespace notarel
