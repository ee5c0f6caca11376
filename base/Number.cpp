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

BoundedNumber boundedLeadingDecimal(std::string_view text, double bound) {
  const std::size_t sign = !text.empty() && text.front() == '-' ? 1 : 0;
  if (sign == text.size() || !(isDigit(text[sign]) || text[sign] == '.')) return {};
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error == std::errc::invalid_argument) return {};
  const double edge = sign == 1 ? -bound : bound;
  if (error == std::errc::result_out_of_range) {
    // Too small for a double (a negative exponent) is 0; too large is beyond.
    const std::string_view number(text.data(), static_cast<std::size_t>(end - text.data()));
    const std::size_t e = number.find_first_of("eE");
    if (e != std::string_view::npos && number.substr(e + 1, 1) == "-") return {};
    return {edge, true};
  }
  if (std::fabs(value) > bound) return {edge, true};
  return {value, false};
}

}  // namespace orelith
