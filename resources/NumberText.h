// Numbers as text in the one notation the program reads and writes: a point
// before the decimals, no grouping. printf, strtod and std::to_string follow
// LC_NUMERIC, which a desktop may set to a decimal comma (and the Qt
// window takes the user's locale), so nothing that makes or reads a
// number a user sees or a file keeps goes through them.
#pragma once

#include <charconv>
#include <string>

namespace orelith {

// printf's "%<width>.<decimals>f" in the C locale: the same digits, rounding
// and "inf"/"nan" spellings, right-aligned in at least `width` characters.
inline std::string fixedText(double value, int decimals, int width = 0) {
  char text[400];  // the longest double (309 digits) with sign, point and decimals
  const auto end =
      std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals).ptr;
  std::string out(text, end);
  if (static_cast<int>(out.size()) < width)
    out.insert(0, static_cast<std::size_t>(width) - out.size(), ' ');
  return out;
}

}  // namespace orelith
