// Numbers read from text in plain decimal notation with std::from_chars:
// whatever the locale, a point is the decimal separator and nothing else is.
#pragma once

#include <optional>
#include <string_view>

namespace orelith {

// An optional sign, then digits: the whole of `text`, in range.
std::optional<int> parseInt(std::string_view text);

// An optional sign, digits with an optional point, an optional exponent: the
// whole of `text`, finite. No hexadecimal, infinity or not-a-number, which
// would turn a typing slip into nonsense.
std::optional<double> parseDecimal(std::string_view text);

// The number as parseDecimal reads it at the start of `text` after white
// space, the rest ignored; empty when none stands there.
std::optional<double> leadingDecimal(std::string_view text);

// The number at the start of a field's text as one types it: an optional
// '-', then digits with an optional point and exponent; 0 while none stands
// there ("", "-", "." as typing begins). A number beyond -bound..bound gives
// that bound and `beyond`.
struct BoundedNumber {
  double value = 0;
  bool beyond = false;
};
BoundedNumber boundedLeadingDecimal(std::string_view text, double bound);

}  // namespace orelith
