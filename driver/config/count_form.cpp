#include "count_form.h"

namespace notarel {

int CountFormIndex(std::int32_t summ) {
  const std::int64_t magnitude = summ < 0 ? -static_cast<std::int64_t>(summ) : summ;
  const std::int64_t tens = magnitude / 10 % 10;
  const std::int64_t units = magnitude % 10;
  if (tens == 1) return 4;
  if (units == 1) return 1;
  if (units >= 2 && units <= 4) return 3;
  return 4;
}

}  // namespace notarel
