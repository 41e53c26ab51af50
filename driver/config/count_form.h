#pragma once
// The Russian currency word that agrees with a number: one form after 1, 21,
// 101 ("рубль"), another after 2 to 4, 22 to 24 ("рубля"), and the genitive
// plural after 0, 5 to 20, 25 and so on ("рублей"). Only the last two decimal
// digits matter.
#include <cstdint>

namespace notarel {

// The index into a country's CurrencyNames: 1 (nominative singular),
// 3 (genitive singular) or 4 (genitive plural). A negative sum takes the
// form of its magnitude, as "минус один рубль" does.
int CountFormIndex(std::int32_t summ);

}  // namespace notarel
