// Whole-text numbers as the star files and the options read them; the
// leading number of a dialog field is tested with the star properties.
#include <gtest/gtest.h>

#include <limits>
#include <optional>

#include "base/Number.h"

namespace orelith {
namespace {

TEST(Number, WholeTextOnly) {
  const std::pair<const char*, std::optional<double>> decimals[] = {
      {"12.5", 12.5}, {"+.5", 0.5}, {"-5.", -5.0}, {"1.5e1", 15.0}, {"", {}},      {"12.5 ", {}},
      {"1e", {}},     {"0x1A", {}}, {"inf", {}},   {"nan", {}},     {"1e999", {}}, {"1,5", {}}};
  for (const auto& [text, value] : decimals) EXPECT_EQ(parseDecimal(text), value) << text;
  const std::pair<const char*, std::optional<int>> ints[] = {
      {"+7", 7},
      {"-2147483648", std::numeric_limits<int>::min()},
      {"2147483648", {}},
      {"7.0", {}},
      {" 7", {}}};
  for (const auto& [text, value] : ints) EXPECT_EQ(parseInt(text), value) << text;
}

}  // namespace
}  // namespace orelith
