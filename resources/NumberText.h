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

// The shortest text that reads back as `value`: a whole number as its digits
// alone ("1130", "-3"), a fraction with a point ("0.25"), very large or
// small values with an exponent.
inline std::string shortestText(double value) {
  char text[32];
  // + 0.0 turns -0 into 0, which a field or a file should not show as "-0".
  const auto end = std::to_chars(text, text + sizeof text, value + 0.0).ptr;
  return std::string(text, end);
}

// `pattern` with its n-th "%d" (from 0) made "%s", for a background level
// given as shortestText: a whole level then prints as "%d" printed it.
inline std::string levelPattern(std::string pattern, int n) {
  for (std::size_t at = pattern.find("%d"); at != std::string::npos;
       at = pattern.find("%d", at + 2)) {
    if (n-- == 0) {
      pattern[at + 1] = 's';
      break;
    }
  }
  return pattern;
}

}  // namespace orelith
