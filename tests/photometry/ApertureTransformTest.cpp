// The exact pixel weights against counting a fine grid, and the standard
// transformation against a three-star case solved by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "photometry/Aperture.h"
#include "photometry/StandardTransform.h"

namespace orelith {
namespace {

// The literal area: centres of a 400 x 400 grid over the rectangle inside r.
double gridOverlap(double x0, double x1, double y0, double y1, double r) {
  constexpr int kSteps = 400;
  int inside = 0;
  for (int i = 0; i < kSteps; ++i)
    for (int j = 0; j < kSteps; ++j) {
      const double x = x0 + (i + 0.5) * (x1 - x0) / kSteps, y = y0 + (j + 0.5) * (y1 - y0) / kSteps;
      inside += x * x + y * y < r * r;
    }
  return inside * (x1 - x0) * (y1 - y0) / (kSteps * kSteps);
}

TEST(Aperture, ExactWeightsMatchTheGridAndSumToTheCircle) {
  std::mt19937 engine(5);
  auto uniform = [&](double lo, double hi) {
    return std::uniform_real_distribution(lo, hi)(engine);
  };
  for (int t = 0; t < 200; ++t) {
    const double r = uniform(0.3, 4.0), x = uniform(-5, 4), y = uniform(-5, 4);
    EXPECT_NEAR(circleRectOverlap(x, x + 1, y, y + 1, r), gridOverlap(x, x + 1, y, y + 1, r), 4e-3);
  }
  const double cx = 0.3, cy = -0.2, r = 3.7;
  double sum = 0;
  for (int x = -6; x <= 6; ++x)
    for (int y = -6; y <= 6; ++y)
      sum += circleRectOverlap(x - cx - 0.5, x - cx + 0.5, y - cy - 0.5, y - cy + 0.5, r);
  EXPECT_NEAR(sum, std::numbers::pi * r * r, 1e-9);
}

// Colours b - v = 0, 0.5, 1 with B-V = 0.10, 0.62, 1.08 and errors 0.03 (b),
// 0.04 (v): slope 0.49 / 0.5 = 0.98, zero 0.6 - 0.49 = 0.11, var(slope) =
// 0.0025 / 0.5, var(zero) = 0.0025 (1/3 + 0.25 / 0.5), cov = -0.0025.
// V - v = -2 + 0.05 (B-V) exactly: var(slope) = 0.0016 / 0.4808,
// var(zero) = 0.0016 (1/3 + 0.36 / 0.4808).
TEST(StandardTransform, ThreeStarsSolvedByHand) {
  const CalibrationPoint points[] = {{{10.0, 0.03, 10.0, 0.04}, 8.005, 0.10},
                                     {{11.5, 0.03, 11.0, 0.04}, 9.031, 0.62},
                                     {{13.0, 0.03, 12.0, 0.04}, 10.054, 1.08}};
  TransformFit fit;
  ASSERT_TRUE(fitTransform(points, 3, fit));
  EXPECT_TRUE(fit.bv.slopeFitted && fit.v.slopeFitted);
  // b = 12.2, v = 11.7: B-V = 0.11 + 0.98 * 0.5, V = 11.7 - 2 + 0.05 * 0.6;
  // var(B-V) = 0.98^2 * 0.0025 + var(zero) + 0.25 var(slope) + cov.
  const StandardMagnitudes m = applyTransform(fit, {12.2, 0.03, 11.7, 0.04});
  // clang-format off
  const double want[][2] = {
      {fit.bv.slope, 0.98}, {fit.bv.zero, 0.11}, {fit.bv.covariance, -0.0025},
      {fit.bv.slopeError, std::sqrt(0.005)},
      {fit.bv.zeroError, std::sqrt(0.0025 * (1.0 / 3 + 0.5))},
      {fit.v.slope, 0.05}, {fit.v.zero, -2.0}, {fit.v.slopeError, std::sqrt(0.0016 / 0.4808)},
      {fit.v.zeroError, std::sqrt(0.0016 * (1.0 / 3 + 0.36 / 0.4808))}, {m.BV, 0.60}, {m.V, 9.73},
      {m.BVError, std::sqrt(0.9604 * 0.0025 + 0.0025 * (1.0 / 3 + 0.5) + 0.00125 - 0.0025)}};
  // clang-format on
  for (const auto& [got, expected] : want) EXPECT_NEAR(got, expected, 1e-12) << expected;
  // Two stars: the colour terms are held at 0, the zero is the mean.
  ASSERT_TRUE(fitTransform(points, 2, fit));
  EXPECT_FALSE(fit.bv.slopeFitted || fit.v.slopeFitted);
  EXPECT_NEAR(fit.bv.zero, (0.10 + 0.62) / 2, 1e-12);
  EXPECT_FALSE(fitTransform(points, 1, fit));
}

}  // namespace
}  // namespace orelith
