#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "image/Workspace.h"
#include "tools/FieldGenerator.h"
#include "tools/St6Writer.h"

namespace orelith::gen {
namespace {

using Plane = std::vector<std::uint16_t>;

int at(const Plane& plane, int x, int y) { return plane[y * kImageWidth + x]; }

int nearest(double v) { return static_cast<int>(std::lround(v)); }

double skySigma(const FieldParams& p) { return std::sqrt(p.sky + p.readNoise * p.readNoise); }

// Brightest pixel within `half` of (cx, cy).
int maxAround(const Plane& plane, int cx, int cy, int half) {
  int best = 0;
  for (int y = std::max(0, cy - half); y <= std::min(kImageHeight - 1, cy + half); ++y)
    for (int x = std::max(0, cx - half); x <= std::min(kImageWidth - 1, cx + half); ++x)
      best = std::max(best, at(plane, x, y));
  return best;
}

bool hotNear(const std::vector<int>& hot, int cx, int cy, int half) {
  for (int h : hot) {
    if (std::abs(h % kImageWidth - cx) <= half && std::abs(h / kImageWidth - cy) <= half)
      return true;
  }
  return false;
}

bool boxInside(int cx, int cy, int half) {
  return cx - half >= 0 && cy - half >= 0 && cx + half < kImageWidth && cy + half < kImageHeight;
}

// Sum of (pixel - sky) in the box of half-width `half` around (cx, cy).
double boxFlux(const Plane& plane, int cx, int cy, int half, double sky) {
  double sum = 0.0;
  for (int y = cy - half; y <= cy + half; ++y)
    for (int x = cx - half; x <= cx + half; ++x) sum += at(plane, x, y) - sky;
  return sum;
}

struct Centroid {
  double x, y;
};

Centroid centroid(const Plane& plane, int cx, int cy, int half, double sky) {
  double sum = 0.0, sx = 0.0, sy = 0.0;
  for (int y = cy - half; y <= cy + half; ++y) {
    for (int x = cx - half; x <= cx + half; ++x) {
      const double w = at(plane, x, y) - sky;
      sum += w;
      sx += w * x;
      sy += w * y;
    }
  }
  return {sx / sum, sy / sum};
}

bool isolated(const std::vector<TrueStar>& truth, const TrueStar& s, double distance) {
  for (const TrueStar& o : truth) {
    if (&o != &s && std::hypot(o.x - s.x, o.y - s.y) < distance) return false;
  }
  return true;
}

double medianOf(Plane plane) {
  std::nth_element(plane.begin(), plane.begin() + plane.size() / 2, plane.end());
  return plane[plane.size() / 2];
}

FieldParams noiseless(int shiftX, int shiftY) {
  FieldParams p;
  p.photonNoise = false;
  p.readNoise = 0.0;
  p.hotPixels = 0;
  p.shiftX = shiftX;
  p.shiftY = shiftY;
  return p;
}

TEST(FieldGenerator, SameSeedGivesSameFilesOtherSeedOthers) {
  FieldParams p;
  p.seed = 7;
  const FieldPair a = generateField(p);
  const FieldPair b = generateField(p);
  EXPECT_EQ(encodeSt6(a.blue.data()), encodeSt6(b.blue.data()));
  EXPECT_EQ(encodeSt6(a.green.data()), encodeSt6(b.green.data()));
  ASSERT_EQ(a.truth.size(), b.truth.size());
  for (std::size_t i = 0; i < a.truth.size(); ++i) {
    EXPECT_EQ(a.truth[i].x, b.truth[i].x);
    EXPECT_EQ(a.truth[i].V, b.truth[i].V);
  }
  EXPECT_EQ(a.hotBlue, b.hotBlue);
  p.seed = 8;
  const FieldPair c = generateField(p);
  EXPECT_NE(a.blue, c.blue);
  EXPECT_NE(a.green, c.green);
  EXPECT_NE(a.truth[0].x, c.truth[0].x);
}

TEST(FieldGenerator, DefaultFieldHasItsStarsSkyAndHotPixels) {
  const FieldParams p;
  const FieldPair f = generateField(p);
  ASSERT_EQ(f.blue.size(), static_cast<std::size_t>(kPixelCount));
  ASSERT_EQ(f.green.size(), static_cast<std::size_t>(kPixelCount));
  EXPECT_EQ(f.truth.size(), 150u);
  EXPECT_NEAR(medianOf(f.blue), p.sky, 5.0);
  EXPECT_NEAR(medianOf(f.green), p.sky, 5.0);
  ASSERT_EQ(f.hotBlue.size(), 4u);
  ASSERT_EQ(f.hotGreen.size(), 4u);
  for (int h : f.hotBlue) EXPECT_EQ(f.blue[h], 65535);
  for (int h : f.hotGreen) EXPECT_EQ(f.green[h], 65535);
  EXPECT_NE(f.hotBlue, f.hotGreen);
}

// The sky level and its noise (Poisson plus read noise) for several skies:
// median within a few counts, robust sigma (1.4826 MAD) within 10 %.
class SkyLevel : public testing::TestWithParam<double> {};

TEST_P(SkyLevel, MedianAndSpreadMatch) {
  FieldParams p;
  p.sky = GetParam();
  p.starCount = 0;
  const FieldPair f = generateField(p);
  const double median = medianOf(f.blue);
  EXPECT_NEAR(median, p.sky, 2.0);
  Plane deviation(f.blue.size());
  for (std::size_t i = 0; i < f.blue.size(); ++i)
    deviation[i] = static_cast<std::uint16_t>(std::abs(f.blue[i] - median));
  EXPECT_NEAR(1.4826 * medianOf(deviation), skySigma(p), 0.1 * skySigma(p));
}

INSTANTIATE_TEST_SUITE_P(Skies, SkyLevel, testing::Values(100.0, 1000.0, 5000.0));

TEST(FieldGenerator, MagnitudesAndColoursFollowTheMainSequence) {
  const FieldParams p;
  const FieldPair f = generateField(p);
  int faintHalf = 0;
  for (std::size_t i = 0; i < f.truth.size(); ++i) {
    const TrueStar& s = f.truth[i];
    EXPECT_GE(s.V, p.vBright);
    EXPECT_LE(s.V, p.vFaint);
    if (i > 0) {
      EXPECT_GE(s.V, f.truth[i - 1].V);
    }
    // 5 sigma of the colour scatter.
    EXPECT_NEAR(s.BV, mainSequenceColour(s.V), 5 * p.bvScatter);
    EXPECT_NEAR(s.greenFlux, std::pow(10.0, -0.4 * (s.V - p.zeroPointV)), 1e-9 * s.greenFlux);
    EXPECT_NEAR(s.blueFlux, std::pow(10.0, -0.4 * (s.V + s.BV - p.zeroPointB)), 1e-9 * s.blueFlux);
    faintHalf += s.V > 0.5 * (p.vBright + p.vFaint);
  }
  EXPECT_GT(faintHalf, 90);  // of 150: more faint stars than bright ones
  EXPECT_NEAR(mainSequenceColour(8.5), -0.1, 1e-12);
  EXPECT_NEAR(mainSequenceColour(15.5), 1.4, 1e-12);
}

struct ShiftCase {
  int dx, dy;
};

class StarPlacement : public testing::TestWithParam<ShiftCase> {};

TEST_P(StarPlacement, StarsLieInsideBothFramesAndApart) {
  FieldParams p;
  p.shiftX = GetParam().dx;
  p.shiftY = GetParam().dy;
  const FieldPair f = generateField(p);
  for (const TrueStar& s : f.truth) {
    for (double x : {s.x, s.x + p.shiftX}) {
      EXPECT_GE(x, p.edgeMargin);
      EXPECT_LE(x, kImageWidth - 1 - p.edgeMargin);
    }
    for (double y : {s.y, s.y + p.shiftY}) {
      EXPECT_GE(y, p.edgeMargin);
      EXPECT_LE(y, kImageHeight - 1 - p.edgeMargin);
    }
    EXPECT_TRUE(isolated(f.truth, s, p.minSeparation)) << s.x << "," << s.y;
  }
}

// With the noise off the green image of each star must be its blue image
// moved by exactly the shift: centroids differ by (dx, dy) to rounding.
TEST_P(StarPlacement, NoiselessCentroidsDifferByTheShift) {
  const FieldParams p = noiseless(GetParam().dx, GetParam().dy);
  const FieldPair f = generateField(p);
  int checked = 0;
  for (const TrueStar& s : f.truth) {
    if (s.saturated || s.blueFlux < 5000.0 || !isolated(f.truth, s, 12.0)) continue;
    const int bx = nearest(s.x), by = nearest(s.y);
    const Centroid b = centroid(f.blue, bx, by, 4, p.sky);
    const Centroid g = centroid(f.green, bx + p.shiftX, by + p.shiftY, 4, p.sky);
    EXPECT_NEAR(g.x - b.x, p.shiftX, 0.01);
    EXPECT_NEAR(g.y - b.y, p.shiftY, 0.01);
    EXPECT_NEAR(b.x, s.x, 0.02);
    EXPECT_NEAR(b.y, s.y, 0.02);
    ++checked;
  }
  EXPECT_GT(checked, 20);
}

INSTANTIATE_TEST_SUITE_P(Shifts, StarPlacement,
                         testing::Values(ShiftCase{3, -2}, ShiftCase{0, 0}, ShiftCase{-7, 5},
                                         ShiftCase{12, 9}));

// The whole-pixel offset that best lines up the noisy frames is the shift.
TEST(FieldGenerator, FramesCorrelateBestAtTheShift) {
  const FieldParams p;
  const FieldPair f = generateField(p);
  double best = -1e300;
  int bestDx = 99, bestDy = 99;
  for (int dy = -6; dy <= 6; ++dy) {
    for (int dx = -6; dx <= 6; ++dx) {
      double sum = 0.0;
      for (int y = 6; y < kImageHeight - 6; ++y)
        for (int x = 6; x < kImageWidth - 6; ++x)
          sum += (at(f.blue, x, y) - p.sky) * (at(f.green, x + dx, y + dy) - p.sky);
      if (sum > best) best = sum, bestDx = dx, bestDy = dy;
    }
  }
  EXPECT_EQ(bestDx, p.shiftX);
  EXPECT_EQ(bestDy, p.shiftY);
}

// Every star bright enough (expected peak 8 sigma above the sky even at the
// worst sub-pixel position) peaks near its position in both frames, above
// sky + 5 sigma, with nothing brighter around it.
class StarVisibility : public testing::TestWithParam<std::uint64_t> {};

void expectVisible(const Plane& plane, const std::vector<int>& hot, double cx, double cy,
                   const FieldParams& p) {
  const int nx = nearest(cx), ny = nearest(cy);
  if (hotNear(hot, nx, ny, 3)) return;
  const int peak = maxAround(plane, nx, ny, 1);
  EXPECT_GT(peak, p.sky + 5 * skySigma(p)) << cx << "," << cy;
  EXPECT_EQ(maxAround(plane, nx, ny, 3), peak) << cx << "," << cy;
}

TEST_P(StarVisibility, BrightStarsPeakInBothFrames) {
  FieldParams p;
  p.seed = GetParam();
  const FieldPair f = generateField(p);
  const double worst = pixelFraction(p.fwhm, 0.5, 0.5);
  int blueChecked = 0, greenChecked = 0;
  for (const TrueStar& s : f.truth) {
    if (s.blueFlux * worst > 8 * skySigma(p)) {
      expectVisible(f.blue, f.hotBlue, s.x, s.y, p);
      ++blueChecked;
    }
    if (s.greenFlux * worst > 8 * skySigma(p)) {
      expectVisible(f.green, f.hotGreen, s.x + p.shiftX, s.y + p.shiftY, p);
      ++greenChecked;
    }
  }
  EXPECT_GT(blueChecked, 60);
  EXPECT_GT(greenChecked, 100);
}

TEST_P(StarVisibility, AFewBrightStarsSaturateAndAreMarked) {
  FieldParams p;
  p.seed = GetParam();
  const FieldPair f = generateField(p);
  int saturated = 0;
  for (const TrueStar& s : f.truth) {
    const int blueX = nearest(s.x), blueY = nearest(s.y);
    const int greenX = blueX + p.shiftX, greenY = blueY + p.shiftY;
    if (hotNear(f.hotBlue, blueX, blueY, 1) || hotNear(f.hotGreen, greenX, greenY, 1)) continue;
    const bool full = maxAround(f.blue, blueX, blueY, 1) == 65535 ||
                      maxAround(f.green, greenX, greenY, 1) == 65535;
    EXPECT_EQ(s.saturated, full) << s.V;
    saturated += s.saturated;
  }
  EXPECT_GE(saturated, 2);
  EXPECT_LE(saturated, 10);
}

INSTANTIATE_TEST_SUITE_P(Seeds, StarVisibility, testing::Values(1u, 2u, 3u, 1234567u));

// Summed counts of an isolated unsaturated star over an 11 x 11 box (5.4
// sigma of the PSF each way) give its flux, and the ratio of the frames its
// colour, within 4 sigma of the photon and read noise in the box.
TEST(FieldGenerator, BoxFluxesGiveFluxAndColour) {
  const FieldParams p;
  const FieldPair f = generateField(p);
  const auto relativeError = [&](double flux) {
    return std::sqrt(121 * skySigma(p) * skySigma(p) + flux) / flux;
  };
  int checked = 0;
  for (const TrueStar& s : f.truth) {
    if (s.saturated || s.blueFlux < 50000.0 || !isolated(f.truth, s, 14.0)) continue;
    const int bx = nearest(s.x), by = nearest(s.y);
    if (!boxInside(bx, by, 5) || !boxInside(bx + p.shiftX, by + p.shiftY, 5)) continue;
    if (hotNear(f.hotBlue, bx, by, 5) || hotNear(f.hotGreen, bx + p.shiftX, by + p.shiftY, 5))
      continue;
    const double blue = boxFlux(f.blue, bx, by, 5, p.sky);
    const double green = boxFlux(f.green, bx + p.shiftX, by + p.shiftY, 5, p.sky);
    const double blueErr = relativeError(s.blueFlux), greenErr = relativeError(s.greenFlux);
    EXPECT_LT(blueErr, 0.01);  // so the checks below are within a few percent
    EXPECT_NEAR(blue / s.blueFlux, 1.0, 4 * blueErr) << s.V;
    EXPECT_NEAR(green / s.greenFlux, 1.0, 4 * greenErr) << s.V;
    const double bv = -2.5 * std::log10(blue / green) + p.zeroPointB - p.zeroPointV;
    EXPECT_NEAR(bv, s.BV, 4 * 1.0857 * std::hypot(blueErr, greenErr)) << s.V;
    ++checked;
  }
  EXPECT_GE(checked, 3);
}

// Design of the zero points: a V = 9 star of main-sequence colour just
// saturates the green frame (centred on a pixel it does, on a pixel corner
// not), and a V = 15 star still peaks 5 sigma above the sky in green.
TEST(FieldGenerator, ZeroPointsPlaceSaturationNearVNine) {
  const FieldParams p;
  const double centre = pixelFraction(p.fwhm, 0.0, 0.0);
  const double corner = pixelFraction(p.fwhm, 0.5, 0.5);
  const auto green = [&](double V) { return std::pow(10.0, -0.4 * (V - p.zeroPointV)); };
  EXPECT_GT(p.sky + green(9.0) * centre, 65535.0);
  EXPECT_LT(p.sky + green(9.0) * corner, 65535.0);
  EXPECT_GT(green(15.0) * corner, 5 * skySigma(p));
}

TEST(FieldGenerator, PixelFractionsSumToOne) {
  double sum = 0.0;
  for (int y = -10; y <= 10; ++y)
    for (int x = -10; x <= 10; ++x) sum += pixelFraction(2.2, x + 0.3, y - 0.2);
  EXPECT_NEAR(sum, 1.0, 1e-9);
  // erf(0.5 / (sigma sqrt 2))^2 with sigma = 2.2 / 2.3548: 0.40748^2.
  EXPECT_NEAR(pixelFraction(2.2, 0.0, 0.0), 0.166039, 1e-6);
}

TEST(FieldGenerator, BadParametersAreRefusedAndGiveNoField) {
  std::vector<FieldParams> bad(9);
  bad[0].starCount = -1;
  bad[1].sky = -1.0;
  bad[2].fwhm = 0.0;
  bad[3].vFaint = bad[3].vBright;
  bad[4].hotPixels = -2;
  bad[5].shiftX = 370;
  bad[6].shiftY = -240;
  bad[7].readNoise = NAN;
  bad[8].minSeparation = -1.0;
  for (const FieldParams& p : bad) {
    EXPECT_FALSE(checkFieldParams(p).empty());
    const FieldPair f = generateField(p);
    EXPECT_TRUE(f.blue.empty() && f.green.empty() && f.truth.empty());
  }
  EXPECT_TRUE(checkFieldParams(FieldParams{}).empty());
}

TEST(FieldGenerator, CrowdedFieldStillGetsAllItsStars) {
  FieldParams p;
  p.starCount = 2000;
  p.minSeparation = 20.0;  // room for only about 150
  p.photonNoise = false;
  EXPECT_EQ(generateField(p).truth.size(), 2000u);
}

}  // namespace
}  // namespace orelith::gen
