// The number in a dialog's digits-only field.
#pragma once

#include <string_view>

namespace orelith {

// The value of the leading decimal digits of `text` (0 without any),
// saturated just above `bound` so that a long run of digits cannot overflow.
// A leading '-' before the digits makes the value negative.
int leadingDigits(std::string_view text, int bound);

}  // namespace orelith
