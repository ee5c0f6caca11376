// The offset from two star lists, on generated skies: frames of different sizes shifted by up
// to a quarter of their width, stars of other colours, position errors of a pixel, stars only
// one frame shows; and lists that share no stars.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "analysis/PatternOffset.h"

namespace orelith {
namespace {

struct Sky {
  std::vector<ListedStar> blue, green;
};

struct SkyCase {
  int blueW, blueH, greenW, greenH;
  int dx, dy;  // green (x + dx, y + dy) shows blue (x, y)
  int stars;   // over the region both frames cover
  std::uint64_t seed;
};

// Uniform in [0, 1) from the generator's bits alone, the same with every library.
double uniform(std::mt19937_64& rng) { return static_cast<double>(rng() >> 11) * 0x1p-53; }

// Stars over the union of both frames, fluxes of a steep luminosity function; each frame lists
// the stars inside it at their brightest pixel (off by up to a pixel), its brightness changed
// by up to a magnitude of colour, and one spurious source (a cosmic, a blend) in ten.
Sky makeSky(const SkyCase& c) {
  std::mt19937_64 rng(c.seed);
  const double x0 = std::min(0, -c.dx), x1 = std::max(c.blueW, c.greenW - c.dx);
  const double y0 = std::min(0, -c.dy), y1 = std::max(c.blueH, c.greenH - c.dy);
  const auto listed = [&](double x, double y, double flux, int w, int h, auto& list) {
    x = std::round(x + uniform(rng) - 0.5), y = std::round(y + uniform(rng) - 0.5);
    if (x >= 0 && y >= 0 && x < w && y < h) list.push_back({x, y, flux});
  };
  Sky sky;
  for (int i = 0; i < c.stars; ++i) {
    const double x = x0 + (x1 - x0) * uniform(rng), y = y0 + (y1 - y0) * uniform(rng);
    const double flux = 1e6 * std::pow(10.0, -0.4 * 8 * uniform(rng));
    listed(x, y, flux * std::pow(10.0, -0.4 * uniform(rng)), c.blueW, c.blueH, sky.blue);
    listed(x + c.dx, y + c.dy, flux, c.greenW, c.greenH, sky.green);
    if (i % 10 == 0) {
      listed(c.blueW * uniform(rng), c.blueH * uniform(rng), flux, c.blueW, c.blueH, sky.blue);
      listed(c.greenW * uniform(rng), c.greenH * uniform(rng), flux, c.greenW, c.greenH, sky.green);
    }
  }
  return sky;
}

void expectFound(const SkyCase& c) {
  const Sky sky = makeSky(c);
  const PatternMatch m = matchStarPatterns(sky.blue, sky.green, std::max(c.blueW, c.greenW) / 2,
                                           std::max(c.blueH, c.greenH) / 2);
  EXPECT_TRUE(m.found) << c.seed;
  EXPECT_EQ(m.dx, c.dx) << c.seed;
  EXPECT_EQ(m.dy, c.dy) << c.seed;
  EXPECT_GE(m.matched, 6) << c.seed;
}

// ST-6 frames nearly in place, a quarter of their width apart, with few stars; a smaller and a
// larger green frame; 20,000 stars on 4096 x 4096; a strip. Then frames of 100 to 3000 pixels a
// side, the green 0.7 to 1.3 times the blue and shifted up to a quarter, 2 to 20 stars a 100^2.
TEST(Patterns, OffsetIsFoundOnManySkies) {
  for (const SkyCase& c : {SkyCase{375, 242, 375, 242, 3, -2, 300, 1},
                           {375, 242, 375, 242, -93, 60, 1000, 2},
                           {375, 242, 375, 242, 40, 30, 40, 3},
                           {1024, 1024, 700, 800, 256, -200, 3000, 4},
                           {512, 512, 1024, 768, 300, 100, 2000, 5},
                           {4096, 4096, 4096, 4096, -1024, 1000, 20000, 6},
                           {2048, 64, 2048, 64, 500, 10, 500, 7}})
    expectFound(c);
  std::mt19937_64 rng(2026);
  const auto between = [&](double lo, double hi) {
    return static_cast<int>(lo + (hi - lo) * uniform(rng));
  };
  for (int k = 0; k < 40; ++k) {
    SkyCase c{between(100, 3000), between(100, 3000), 0, 0, 0, 0, 0, rng()};
    c.greenW = between(0.7 * c.blueW, 1.3 * c.blueW);
    c.greenH = between(0.7 * c.blueH, 1.3 * c.blueH);
    c.dx = between(-c.blueW / 4, c.blueW / 4);
    c.dy = between(-c.blueH / 4, c.blueH / 4);
    c.stars = std::max(30, between(2e-4, 2e-3) * c.blueW * c.blueH);
    expectFound(c);
  }
}

TEST(Patterns, UnrelatedOrTooFewStarsGiveNoOffset) {
  const Sky a = makeSky({1024, 1024, 1024, 1024, 0, 0, 3000, 11});
  const Sky b = makeSky({1024, 1024, 1024, 1024, 0, 0, 3000, 12});
  EXPECT_FALSE(matchStarPatterns(a.blue, b.green, 512, 512).found);
  const std::vector<ListedStar> three(a.blue.begin(), a.blue.begin() + 3);
  EXPECT_FALSE(matchStarPatterns(three, three, 512, 512).found);
  EXPECT_FALSE(matchStarPatterns({}, a.green, 512, 512).found);
  // Beyond the allowed shift the true offset is not taken.
  const Sky far = makeSky({1024, 1024, 1024, 1024, 300, 0, 3000, 13});
  const PatternMatch m = matchStarPatterns(far.blue, far.green, 200, 200);
  EXPECT_FALSE(m.found && m.dx == 300);
}

}  // namespace
}  // namespace orelith
