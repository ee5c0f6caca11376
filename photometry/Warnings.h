// What the science says when its answer is not to be trusted as it stands:
// a list of warnings, each with a short code for programs and a sentence for
// people. The texts are ours; none comes from the string table.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace orelith {

struct Warning {
  std::string code;
  std::string text;
};

// Magnitude must fall as brightness grows: the curve `c` of `filter` (0 blue,
// 1 green; n coefficients) checked over lg in [lo, hi], the measured stars'
// range. Empty when it falls throughout.
std::optional<Warning> curveTurnsOver(const double* c, int n, double lo, double hi, int filter);

// "blue star 3, blue star 17" for the first few numbers, "and N more" after.
std::string starList(const std::vector<int>& blueStars);

}  // namespace orelith
