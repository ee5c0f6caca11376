#include "base/Number.h"

#include <charconv>
#include <climits>
#include <cmath>

namespace orelith {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The end of the number at `first`, or null. A digit or a point must follow
// the sign, which keeps out "inf" and "nan"; from_chars reads a '-' itself
// but no '+'.
template <typename T>
const char* readNumber(const char* first, const char* last, T& value) {
  const char* digits = first != last && (*first == '+' || *first == '-') ? first + 1 : first;
  if (digits == last || !(isDigit(*digits) || *digits == '.')) return nullptr;
  if (*first == '+') ++first;
  const auto [end, error] = std::from_chars(first, last, value);
  return error == std::errc() ? end : nullptr;
}

}  // namespace

std::optional<int> parseInt(std::string_view text) {
  long long value = 0;
  const char* last = text.data() + text.size();
  if (readNumber(text.data(), last, value) != last || value < INT_MIN || value > INT_MAX)
    return std::nullopt;
  return static_cast<int>(value);
}

std::optional<double> parseDecimal(std::string_view text) {
  double value = 0;
  const char* last = text.data() + text.size();
  if (readNumber(text.data(), last, value) != last || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<double> leadingDecimal(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  double value = 0;
  if (!readNumber(text.data() + i, text.data() + text.size(), value) || !std::isfinite(value))
    return std::nullopt;
  return value;
}

}  // namespace orelith
