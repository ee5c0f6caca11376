#include "interaction/NumberField.h"

#include <algorithm>

namespace orelith {

int leadingDigits(std::string_view text, int bound) {
  const bool negative = !text.empty() && text.front() == '-';
  if (negative) text.remove_prefix(1);
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = std::min(value * 10 + (c - '0'), bound + 1);
  }
  return negative ? -value : value;
}

}  // namespace orelith
