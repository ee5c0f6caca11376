// The flags of one star on small painted fields: '.' is the sky of 100, a
// digit d is 100 + (d + 1) * 100; the detection level is 150.
#include <gtest/gtest.h>

#include <cmath>

#include "analysis/Saturation.h"
#include "analysis/StarFlags.h"
#include "analysis/StarSearch.h"
#include "tests/support/ParamName.h"
#include "tests/support/TestWorkspace.h"

namespace orelith {
namespace {

struct FlagRow {
  std::string name;
  std::vector<std::string> rows;
  int left, top;  // where the pattern goes
  SearchRect rect;
  int saturation;
  std::uint32_t expected;
};

const FlagRow kFlagRows[] = {
    {"single_peak", {"..3..", ".484.", "37973", ".484.", "..3.."}, 10, 10, kWholeImage, 65530, 0},
    {"two_equal_pixels_are_no_flat_top", {"4994"}, 10, 10, kWholeImage, 65530, 0},
    {"flat_top", {"49994"}, 10, 10, kWholeImage, 65530, FLAG_SATURATED},
    {"peak_at_saturation", {"4794"}, 10, 10, kWholeImage, 1100, FLAG_SATURATED},
    {"touches_image_edge", {"484"}, 0, 10, kWholeImage, 65530, FLAG_EDGE},
    {"touches_rectangle", {"484"}, 20, 10, {22, 0, 100, 100}, 65530, FLAG_EDGE},
    {"touches_right_image_edge", {"484"}, 372, 10, kWholeImage, 65530, FLAG_EDGE},
    {"touches_rectangle_bottom", {"4", "8", "4"}, 20, 10, {0, 0, 100, 13}, 65530, FLAG_EDGE},
    // Peaks of 1100 over a saddle of 700: 400 against 5 sqrt(2 (1 + 1000)) = 224.
    {"two_peaks", {"39593"}, 10, 10, kWholeImage, 65530, FLAG_BLENDED},
    {"shallow_dip", {"39893"}, 10, 10, kWholeImage, 65530, 0},
    {"diagonal_peaks", {"9..", "56.", ".49"}, 10, 10, kWholeImage, 65530, FLAG_BLENDED},
    // Too big for the neighbour grid; the ends of a full row are no neighbours.
    // clang-format off
    {"wide_star", {"9" + std::string(373, '5') + "9", "5", "5", "5"}, 0, 10, kWholeImage, 65530,
     FLAG_EDGE | FLAG_BLENDED},
    // clang-format on
};

class StarFlags : public testing::TestWithParam<FlagRow> {};

TEST_P(StarFlags, FirstStarCarriesExactlyItsFlags) {
  const FlagRow& row = GetParam();
  auto ws = test::makeWorkspace();
  test::paintPattern(*ws, kBlue, row.rows, row.left, row.top);
  ws->searchRect[kBlue] = row.rect, ws->backgroundLevel[kBlue] = 150;
  searchStars(*ws, kBlue);
  ASSERT_EQ(ws->starCount[kBlue], 1);
  const SkyNoise sky = measureSkyNoise(*ws, kBlue);
  EXPECT_EQ(sky.level, 100.0);
  EXPECT_EQ(starShapeFlags(*ws, kBlue, 0, {double(row.saturation), sky, 1.0}), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Fields, StarFlags, testing::ValuesIn(kFlagRows), test::ParamName{});

// Masked pixels (NaN) are no sky: a sky whose lower half repeats its upper
// half measures the same with that half masked (the shares of every value
// are the same), and not as the count of NaN as some number would make it.
TEST(SkyNoise, MaskedPixelsAreNoSky) {
  auto ws = test::makeWorkspace();
  ImageFrame& f = ws->frame[kBlue];
  for (int y = 0; y < f.height; ++y)
    for (int x = 0; x < f.width; ++x)
      f.values[f.index(x, y)] = float(90 + (x * 7 + y % 121 * 3) % 21);
  ws->searchRect[kBlue] = kWholeImage;
  ws->backgroundLevel[kBlue] = 150;
  searchStars(*ws, kBlue);
  const SkyNoise whole = measureSkyNoise(*ws, kBlue);
  for (int y = f.height / 2; y < f.height; ++y)
    for (int x = 0; x < f.width; ++x) f.values[f.index(x, y)] = NAN;
  searchStars(*ws, kBlue);
  const SkyNoise half = measureSkyNoise(*ws, kBlue);
  EXPECT_EQ(whole.level, 100.0);  // the middle of 90..110
  EXPECT_EQ(half.level, whole.level);
  EXPECT_EQ(half.sigma, whole.sigma);
}

// By hand: profiles on a sky of 100, noise 10, gain 1000 (the tolerance at a peak of 29000 is
// 3 * 11.4 + 1 % = 323): round stars reach 0.1 of their flux; a top of five values within 323 of
// 29000 is flat, a peak of 0.04 of the flux among the highest is clipped, and the level is the
// lower of their peaks above the sky (28900, 27000) less 2 %: 100 + 0.98 * 27000 = 26560, which
// catches the star at 26600, not 26500. A lone hot pixel on a faint star is no peak.
TEST(Saturation, FlatTopsDeficitsAndTheLevelFoundFromThem) {
  const ProfileNoise noise{100, 10, 1000, 65530};
  const auto profile = [&](std::vector<double> values, double flux) {
    return peakProfile(values, flux, noise);
  };
  const std::vector<PeakProfile> stars = {
      profile({20100, 12000, 9000}, 200000),
      profile({18100, 11000}, 180000),
      profile({29000, 28900, 28800, 28850, 28700, 9000}, 800000),
      profile({27100, 20000, 19000}, 675000),
      profile({26600, 16000}, 265000),
      profile({26500, 15000}, 264000),
      profile({65535, 300, 250}, 900)};
  EXPECT_EQ(std::pair(stars[2].nearPeak, stars[6].peak), std::pair(5, 300.0));
  SaturationResult r = findSaturated(stars, noise, std::nullopt);
  EXPECT_TRUE(r.estimated);
  EXPECT_NEAR(r.peakPerFlux, 0.1, 1e-12);
  EXPECT_NEAR(r.level, 26560, 1e-9);
  EXPECT_EQ(r.saturated, (std::vector<bool>{false, false, true, true, true, false, false}));
  // A given level replaces the one found; the shape tests stay.
  r = findSaturated(stars, noise, 29500.0);
  EXPECT_FALSE(r.estimated);
  EXPECT_EQ(r.saturated, (std::vector<bool>{false, false, true, true, false, false, false}));
}

}  // namespace
}  // namespace orelith
