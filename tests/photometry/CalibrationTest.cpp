// The calibration curves and magnitudes and the star properties operations that keep the
// calibration list, on stars written out by hand; the exact pixel weights against a fine grid;
// the standard transformation against a three-star case solved by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "photometry/Aperture.h"
#include "photometry/Calibration.h"
#include "photometry/StandardTransform.h"
#include "photometry/StarProperties.h"
#include "resources/NumberText.h"
#include "resources/StringTable.h"
#include "tests/support/TestWorkspace.h"

namespace orelith {
namespace {

// Stars 0, 3, 6 and 9 are calibration stars on the exact lines B = 20 - 2.5 lgB, V = 19 - 2.5 lgV.
std::unique_ptr<Workspace> calibratedWorkspace() {
  auto ws = test::twentyPairs();
  for (int k : {0, 3, 6, 9}) {
    StarRecord& b = star(*ws, kBlue, k);
    b.marks = MARK_CALIBRATION;
    star(*ws, kGreen, k + 100).marks = MARK_CALIBRATION;
    b.magnitudeV = static_cast<float>(19.0 - 2.5 * star(*ws, kGreen, k + 100).lgBrightness);
    b.magnitudeB = static_cast<float>(20.0 - 2.5 * b.lgBrightness);
    ws->calibration.entries[ws->calibration.count++] = {k, k + 100};
  }
  ws->progressFlags |= PRG_CALIBRATION_STAR;
  return ws;
}

// n = 0 gives every star 0; 2 and 3 coefficients find the exact lines; calibration stars keep
// what was entered, unpaired stars their values, ignored stars are calculated too. Eleven
// coefficients are refused with the message, nothing applied.
TEST(Calibration, FitsTheLinesAndAppliesThemToThePairedStars) {
  for (int n : {0, 2, 3, 11}) {
    auto ws = calibratedWorkspace();
    ws->algorithm.coefficientCount = n;
    star(*ws, kBlue, 4).partner = -1, star(*ws, kBlue, 5).marks = MARK_IGNORE;
    const float enteredB = star(*ws, kBlue, 3).magnitudeB,
                enteredV = star(*ws, kBlue, 3).magnitudeV;
    const Outcome<CalculateStatus> outcome = calculateMagnitudes(*ws);
    EXPECT_EQ(hasBit(ws->progressFlags, PRG_MAGNITUDES), n < 11);
    if (n == 11) {
      EXPECT_EQ(outcome,
                (Outcome{CalculateStatus::Failed, std::optional(str::MinimisationFailed)}));
      EXPECT_EQ(star(*ws, kBlue, 1).magnitudeB, -1.0f);
      continue;
    }
    ASSERT_EQ(outcome.status, CalculateStatus::Ok);
    EXPECT_EQ(std::pair(star(*ws, kBlue, 3).magnitudeB, star(*ws, kBlue, 3).magnitudeV),
              std::pair(enteredB, enteredV));
    EXPECT_EQ(std::pair(star(*ws, kBlue, 4).magnitudeB, star(*ws, kBlue, 4).magnitudeV),
              std::pair(-1.0f, -1.0f));
    for (int k : {1, 2, 5, 7, 8}) {
      const StarRecord& b = star(*ws, kBlue, k);
      const double lgV = star(*ws, kGreen, k + 100).lgBrightness;
      EXPECT_NEAR(b.magnitudeB, n == 0 ? 0.0 : 20.0 - 2.5 * b.lgBrightness, 1e-5) << n << " " << k;
      EXPECT_NEAR(b.magnitudeV, n == 0 ? 0.0 : 19.0 - 2.5 * lgV, 1e-5) << n << " " << k;
    }
  }
}

// "Calibration star" ticked (or not), V and B-V typed, OK, on blue star `blue` and its partner.
Outcome<CalibrationEdit> calibrate(Workspace& ws, int blue, const std::string& v,
                                   const std::string& bv = "0", bool ticked = true,
                                   bool ignore = false) {
  return applyStarProperties(ws, {blue, star(ws, kBlue, blue).partner, ignore, ticked,
                                  leadingNumber(v), leadingNumber(bv)});
}

// The dialog's window rules are MainWindowTest's.
TEST(StarProperties, OkKeepsTheCalibrationList) {
  using E = CalibrationEdit;
  auto ws = test::twentyPairs();
  EXPECT_EQ(calibrate(*ws, 4, "", "0.5"),
            (Outcome{E::NoVMagnitude, std::optional(str::EnterVMagnitude)}));
  for (int k = 0; k < 16; ++k) ASSERT_EQ(calibrate(*ws, k, "10").status, E::Accepted);
  const Outcome full{E::ListFull, std::optional(str::TooManyCalibrationStars)};
  EXPECT_EQ(calibrate(*ws, 16, "11"), full);  // the seventeenth
  EXPECT_EQ(calibrate(*ws, 3, "11"), full);   // refused although listed
  // Withdraw all but star 2, the even ones by "Ignore star"; then update star 2 in place.
  for (int k = 0; k < 16; ++k) {
    if (k == 2) continue;
    EXPECT_EQ(calibrate(*ws, k, "10", "0", false, k % 2 == 0).status, E::Withdrawn);
    EXPECT_EQ(star(*ws, kBlue, k).marks, k % 2 == 0 ? MARK_IGNORE : 0u);
  }
  ASSERT_EQ(calibrate(*ws, 2, "12.25", "0.5").status, E::Accepted);
  EXPECT_EQ(star(*ws, kBlue, 2).magnitudeB, 12.75f);  // B = V + B-V
  ASSERT_EQ(ws->calibration.count, 1);
  EXPECT_EQ(ws->calibration.entries[0].green, 102);
  EXPECT_EQ(star(*ws, kGreen, 102).marks, MARK_CALIBRATION);
  EXPECT_EQ(calibrate(*ws, 2, "12.25", "0.5", false).status, E::LastWithdrawn);
  EXPECT_EQ(calibrate(*ws, 2, "12.25", "0.5", false).status, E::Unchanged);
  EXPECT_EQ(ws->calibration.count, 0);
  EXPECT_FALSE(ws->progressFlags & PRG_CALIBRATION_STAR);
  ws->progressFlags &= ~PRG_COMPARED;
  EXPECT_FALSE(canOpenStarProperties(*ws));
}

// The list stops at 16 while either frame has an ST-6 frame's size, at 1000 when neither has;
// `listed` entries of stars beyond the twenty are there before star 0 is ticked.
TEST(StarProperties, ListHoldsSixteenWithSt6FramesAThousandWithOthers) {
  using E = CalibrationEdit;
  for (auto [width, listed, status] : {std::tuple{kImageWidth, 15, E::Accepted},
                                       {kImageWidth, 16, E::ListFull},
                                       {400, 16, E::Accepted},
                                       {400, 999, E::Accepted},
                                       {400, 1000, E::ListFull}}) {
    auto ws = test::twentyPairs();
    for (int image : {kBlue, kGreen}) resizeFrame(*ws, image, width, kImageHeight);
    for (int k = 0; k < listed; ++k) appendCalibrationEntry(*ws, {100 + k, 300 + k});
    EXPECT_EQ(calibrate(*ws, 0, "10").status, status) << width << " " << listed;
    if (status == E::ListFull) continue;
    EXPECT_EQ(calibrationEntries(*ws)[static_cast<std::size_t>(listed)].green, 100);
    EXPECT_EQ(calibrate(*ws, 0, "10", "0", false).status, E::Withdrawn);
    EXPECT_EQ(calibrationEntries(*ws).back().blue, 100 + listed - 1);
  }
}

TEST(StarProperties, LeadingNumberReadsDecimalNumbersOnly) {
  const std::pair<const char*, float> rows[] = {
      {"", 0.0f},         {" 12.5mag", 12.5f}, {"-0.25", -0.25f}, {".5", 0.5f},  {"1.5e1", 15.0f},
      {"abc", 0.0f},      {"0x1A", 0.0f},      {"inf", 0.0f},     {"nan", 0.0f}, {"1e999", 0.0f},
      {"+9.164", 9.164f}, {"+-5", 0.0f},       {"-.", 0.0f},      {"1e", 1.0f},  {"1e39", 0.0f}};
  for (const auto& [text, value] : rows) EXPECT_EQ(leadingNumber(text), value) << text;
}

// printf in the C locale, which the test program never leaves, is the reference in every locale.
TEST(StarProperties, FixedTextIsPrintfInTheCLocale) {
  std::vector<double> values = {0.0,    -0.0, 0.5,   0.05,         2.5,       -2.25,
                                0.0625, 1e21, -1e-7, std::nan(""), -INFINITY, 9.9999999};
  std::uint64_t bits = 0x9E3779B97F4A7C15u;
  for (int i = 0; i < 2000; ++i) {
    bits = bits * 6364136223846793005u + 1442695040888963407u;
    const double v = std::ldexp(static_cast<double>(bits >> 11), static_cast<int>(bits % 90) - 95);
    values.push_back(bits & 1 ? -v : v);
  }
  char text[400];
  for (double v : values)
    for (auto [decimals, width] : {std::pair{6, 0}, {1, 4}, {3, 0}, {4, 9}}) {
      std::snprintf(text, sizeof text, "%*.*f", width, decimals, v);
      ASSERT_EQ(fixedText(v, decimals, width), text) << v;
    }
}

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

// 1000 counts in one pixel on a sky of 100, radius 2 (area 4 pi), gain 4: the annulus
// 4 <= d < 4.1 holds four pixels, too few for the sky's noise, so it comes from the sky level and
// the read noise of 8 electrons: 100 / 4 + (8 / 4)^2 = 29 per pixel. Variance by hand: photons
// 1000 / 4, the sky under the aperture 4 pi * 29, the sky level's own (4 pi)^2 (pi / 2) 29 / 4.
TEST(Aperture, FluxErrorOfPhotonsSkyAndSkyLevel) {
  auto ws = test::makeWorkspace();
  test::fillPlane(*ws, kBlue, 100);
  pixelAt(*ws, kBlue, 50, 50) = 1100;
  const ApertureResult a = measureAperture(*ws, kBlue, 50, 50, {2.0, 4.0, 4.1, 4.0, 8.0});
  const double pi = std::numbers::pi, area = 4 * pi;
  const double variance = 1000.0 / 4 + area * 29 + area * area * pi / 2 * 29 / 4;
  EXPECT_NEAR(a.flux, 1000.0, 1e-9);
  EXPECT_EQ(a.skyPixels, 4);
  EXPECT_NEAR(a.fluxError, std::sqrt(variance), 1e-9);
  EXPECT_NEAR(a.magError, 2.5 / std::log(10.0) * std::sqrt(variance) / 1000.0, 1e-12);
}

TEST(Aperture, ExactWeightsMatchTheGrid) {
  std::mt19937 engine(5);
  auto uniform = [&](double lo, double hi) {
    return std::uniform_real_distribution(lo, hi)(engine);
  };
  for (int t = 0; t < 200; ++t) {
    const double r = uniform(0.3, 4.0), x = uniform(-5, 4), y = uniform(-5, 4);
    EXPECT_NEAR(circleRectOverlap(x, x + 1, y, y + 1, r), gridOverlap(x, x + 1, y, y + 1, r), 4e-3);
  }
}

// The neighbours' light summed where asked against the plane it is spread onto once (its
// reference): 300 sources on a 230 x 170 frame, some beyond its edges, of radii up to 30 pixels
// (more than a cell) give every pixel the same light to the last bit, with and without a star's
// own taken off.
TEST(Aperture, NeighbourLightSummedWhereAskedIsThePlanes) {
  std::mt19937 engine(9);
  auto uniform = [&](double lo, double hi) {
    return std::uniform_real_distribution(lo, hi)(engine);
  };
  NeighbourLight plane, asked;
  const PsfShape shape = PsfShape::round(2.5, 3.0);
  plane.start(shape, 230, 170, true);
  asked.start(shape, 230, 170, false);
  for (int k = 0; k < 300; ++k) {
    const NeighbourLight::Source s{uniform(-10, 240), uniform(-10, 180), uniform(0, 1e5),
                                   uniform(0, 30)};
    plane.add(s);
    asked.add(s);
  }
  ASSERT_TRUE(asked.total.empty());
  int lit = 0;
  for (int y = -1; y <= 170; ++y)
    for (int x = -1; x <= 230; ++x) {
      const int self = (x * 7 + y * 13) % 301 - 1;
      ASSERT_EQ(asked.others(x, y, -1), plane.others(x, y, -1)) << x << ' ' << y;
      ASSERT_EQ(asked.others(x, y, self), plane.others(x, y, self)) << x << ' ' << y;
      lit += plane.others(x, y, -1) > 0;
    }
  EXPECT_GT(lit, 30000);
}

// Colours b - v = 0, 0.5, 1 with B-V = 0.10, 0.62, 1.08, errors 0.03 (b), 0.04 (v): slope
// 0.49 / 0.5 = 0.98, zero 0.6 - 0.49 = 0.11, var(slope) = 0.0025 / 0.5, var(zero) = 0.0025 (1/3 +
// 0.25 / 0.5), cov = -0.0025. V - v = -2 + 0.05 (B-V) exactly: var(slope) = 0.0016 / 0.4808,
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
  // Two stars: the colour terms are held at their natural values (B-V = b - v + zero, no
  // colour term in V); the zeros are the means.
  ASSERT_TRUE(fitTransform(points, 2, fit));
  EXPECT_FALSE(fit.bv.slopeFitted || fit.v.slopeFitted);
  EXPECT_EQ(std::pair(fit.bv.slope, fit.v.slope), std::pair(1.0, 0.0));
  EXPECT_NEAR(fit.bv.zero, (0.10 + 0.12) / 2, 1e-12);
  EXPECT_FALSE(fitTransform(points, 1, fit));
}

}  // namespace
}  // namespace orelith
