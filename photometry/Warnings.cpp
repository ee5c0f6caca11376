#include "photometry/Warnings.h"

#include <cstdio>

#include "photometry/CurveErrors.h"

namespace orelith {
namespace {

constexpr int kSamples = 200;
constexpr std::size_t kListed = 6;

}  // namespace

std::optional<Warning> curveTurnsOver(const double* c, int n, double lo, double hi, int filter) {
  if (!(hi > lo)) return std::nullopt;
  double from = 0, to = 0;
  bool rising = false;
  for (int i = 0; i <= kSamples; ++i) {
    const double lg = lo + (hi - lo) * i / kSamples;
    if (curveSlope(c, n, lg) < 0) continue;
    if (!rising) from = lg;
    rising = true;
    to = lg;
  }
  if (!rising) return std::nullopt;
  char text[320];
  std::snprintf(text, sizeof text,
                "The %s calibration curve is not monotonic over the measured stars: magnitude "
                "grows with brightness between lg %.2f and %.2f. Use fewer coefficients or the "
                "transformation (--model transform).",
                filter == 0 ? "blue" : "green", from, to);
  return Warning{"curve-not-monotonic", text};
}

std::string starList(const std::vector<int>& blueStars) {
  std::string out;
  for (std::size_t i = 0; i < blueStars.size() && i < kListed; ++i) {
    if (i > 0) out += ", ";
    out += "blue star " + std::to_string(blueStars[i]);
  }
  if (blueStars.size() > kListed)
    out += " and " + std::to_string(blueStars.size() - kListed) + " more";
  return out;
}

}  // namespace orelith
