#pragma once
// Result codes of every driver operation and their Russian messages.
#include <cstdint>
#include <string>

namespace notarel {

enum ResultCodeValue : std::int32_t {
  kResultOk = 0,
  kResultNoLink = -1,
  kResultPortOpenError = -2,
  kResultCrcError = -5,
  kResultBadFrame = -6,
  kResultUnknownReply = -7,
  kResultSystemError = -8,
  kResultBadBaudRate = -9,
  kResultBadCountryIndex = -10,
  kResultBadCurrencyIndex = -11,
  kResultFileMissing = -12,
  kResultBadFileFormat = -13,
  kResultBadCountryCode = -14,
  kResultBadCurrencyName = -15,
  // The device answers a command it does not know with the byte 0x4B; the code
  // is that byte's value, the only positive code.
  kResultUnknownCommand = 0x4B,
};

// The fixed message of a code, in Windows-1251. For -2 this is the prefix that
// the platform's text follows; -8 has no fixed message (empty).
const std::string& ResultMessage(std::int32_t code);

}  // namespace notarel
