#pragma once
// The device's status, rejection and failure codes and their English texts.
#include <cstdint>
#include <string>

#include "device_vocabulary.h"

namespace notarel {

// "UNKNOWN STATUS CODE" for a byte outside the table.
const char* StatusName(std::uint8_t status);
// "Unknown rejection code" outside the table; 0x7A is the one empty text.
const char* RejectionDescription(std::uint8_t code);
// "Unknown failure code" outside the table.
const char* FailureDescription(std::uint8_t code);

}  // namespace notarel
