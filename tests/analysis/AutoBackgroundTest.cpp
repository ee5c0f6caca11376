// The automatic background against the literal procedure, on generated
// fields that cross each limit of the search, and the sky of the chosen level.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "analysis/StarFlags.h"
#include "analysis/StarSearch.h"
#include "tests/support/LiteralAutoBackground.h"
#include "tests/support/ParamName.h"
#include "tests/support/TestWorkspace.h"
#include "tools/FieldGenerator.h"

namespace orelith {
namespace {

std::uint16_t u16(int v) { return static_cast<std::uint16_t>(v); }

void noise(Workspace& ws, std::mt19937& rng, const SearchRect& r, int top) {
  std::uniform_int_distribution<int> value(0, top);
  for (int x = r.left; x < r.right; ++x)
    for (int y = r.top; y < r.bottom; ++y) pixelAt(ws, kBlue, x, y) = u16(value(rng));
}

void noiseEverywhere(Workspace& ws, std::mt19937& rng, const SearchRect&) {
  noise(ws, rng, kWholeImage, 60);
}

// Flat-topped discs of random value over a low sky.
void plateaus(Workspace& ws, std::mt19937& rng, const SearchRect& r) {
  noise(ws, rng, r, 20);
  std::uniform_int_distribution<int> cx(r.left, r.right - 1), cy(r.top, r.bottom - 1);
  std::uniform_int_distribution<int> radius(0, 4), value(30, 250);
  for (int k = 0; k < 25; ++k) {
    const int x0 = cx(rng), y0 = cy(rng), rad = radius(rng), v = value(rng);
    for (int x = x0 - rad; x <= x0 + rad; ++x)
      for (int y = y0 - rad; y <= y0 + rad; ++y)
        if (insideImage(ws, kBlue, x, y) && (x - x0) * (x - x0) + (y - y0) * (y - y0) <= rad * rad)
          pixelAt(ws, kBlue, x, y) = u16(v);
  }
}

// A shape of 540 pixels whose k-th pixel has the value 1000 - k, so that at level t it holds
// 1000 - t pixels and passes 511, 512 and 513 near t = 488; beside it single pixels of 470..530
// make every lower level count one star more. The best level is thus the lowest one the limits
// allow: a serpentine fails at 512 pixels (depth), a comb only at 513 (size).
template <bool serpentine>
void fallingShape(Workspace& ws, std::mt19937& rng, const SearchRect& r) {
  noise(ws, rng, r, 5);
  int placed = 0;
  auto put = [&](int x, int y) {
    if (placed < 540) pixelAt(ws, kBlue, r.left + x, r.top + y) = u16(1000 - placed++);
  };
  if (serpentine) {
    for (int row = 0; placed < 540; row += 2) {
      const bool right = (row / 2) % 2 == 0;
      for (int i = 0; i < 40; ++i) put(right ? i : 39 - i, row);
      put(right ? 39 : 0, row + 1);
    }
  } else {
    for (int x = 0; x < 40; ++x) {
      put(x, 0);
      if (x % 2 == 0)
        for (int y = 1; y <= 26; ++y) put(x, y);
    }
  }
  for (int k = 0; k <= 60; ++k)
    pixelAt(ws, kBlue, r.left + 50 + 2 * (k % 15), r.top + 2 * (k / 15)) = u16(470 + k);
}

// Single pixels of rising value on a grid: the count passes 1024.
void manyStars(Workspace& ws, std::mt19937& rng, const SearchRect& r) {
  noise(ws, rng, r, 3);
  std::uniform_int_distribution<int> value(10, 60);
  for (int x = r.left; x < r.right; x += 2)
    for (int y = r.top; y < r.bottom; y += 2) pixelAt(ws, kBlue, x, y) = u16(value(rng));
}

void hotPixels(Workspace& ws, std::mt19937& rng, const SearchRect& r) {
  plateaus(ws, rng, r);
  std::uniform_int_distribution<int> cx(r.left, r.right - 1), cy(r.top, r.bottom - 1);
  for (int k = 0; k < 6; ++k) pixelAt(ws, kBlue, cx(rng), cy(rng)) = u16(200 + 20 * k);
}

// The sky as first measured: ranks of the sorted values of the pixels of no star.
SkyNoise literalSky(const Workspace& ws) {
  const SearchRect r = clippedToImage(ws, kBlue, ws.searchRect[kBlue]);
  std::vector<int> v;
  for (int x = r.left; x < r.right; ++x)
    for (int y = r.top; y < r.bottom; ++y)
      if (labelAt(ws, kBlue, x, y) == kLabelNoStar)
        v.push_back(static_cast<int>(pixelAt(ws, kBlue, x, y)));
  if (v.empty()) return {double(ws.backgroundLevel[kBlue]), 1.0};
  std::sort(v.begin(), v.end());
  auto at = [&](double share) { return double(v[std::size_t(share * double(v.size()))]); };
  return {at(0.5), std::max(1.0, at(0.5) - at(0.15866))};
}

struct FieldCase {
  const char* name;
  SearchRect rect;
  int hotValue;
  void (*paint)(Workspace&, std::mt19937&, const SearchRect&);
};

class AutoBackground : public testing::TestWithParam<FieldCase> {};

TEST_P(AutoBackground, ChoosesTheLiteralLevel) {
  const FieldCase& c = GetParam();
  auto fast = test::makeWorkspace();
  auto literal = test::makeWorkspace();
  for (unsigned seed = 1; seed <= 12; ++seed) {
    std::mt19937 rng(seed);
    test::fillPlane(*fast, kBlue, 0);
    c.paint(*fast, rng, c.rect);
    for (Workspace* ws : {fast.get(), literal.get()}) {
      ws->searchRect[kBlue] = c.rect, ws->backgroundLevel[kBlue] = 4321;
      ws->algorithm.hotPixelValue = c.hotValue;
    }
    literal->frame[kBlue] = fast->frame[kBlue];
    chooseAutoBackground(*fast, kBlue);
    EXPECT_EQ(fast->backgroundLevel[kBlue], test::literalAutoBackground(*literal, kBlue))
        << "seed " << seed;
    // The sky at that level, its window starting below or above all values.
    scanImage(*fast, kBlue);
    fast->backgroundLevel[kBlue] = seed % 2 ? 0 : 65535;
    const SkyNoise sky = measureSkyNoise(*fast, kBlue), sorted = literalSky(*fast);
    EXPECT_TRUE(sky.level == sorted.level && sky.sigma == sorted.sigma) << "seed " << seed;
  }
}

void oneValue(Workspace& ws, std::mt19937&, const SearchRect&) { test::fillPlane(ws, kBlue, 77); }

const SearchRect kSmall{10, 20, 50, 45}, kPathBox{100, 100, 180, 140}, kGridBox{0, 0, 90, 100};

INSTANTIATE_TEST_SUITE_P(
    Fields, AutoBackground,
    testing::Values(FieldCase{"Plateaus", kSmall, 65530, plateaus},
                    FieldCase{"HotPixelsStopTheMaximum", kSmall, 210, hotPixels},
                    FieldCase{"SerpentinePassesThe512Limits", kPathBox, 65530, fallingShape<true>},
                    FieldCase{"CombPassesThe512Limits", kPathBox, 65530, fallingShape<false>},
                    FieldCase{"StarCountPasses1024", kGridBox, 65530, manyStars},
                    FieldCase{"BeyondTheImageEdge", {360, 230, 391, 258}, 65530, noiseEverywhere},
                    // No level gives a valid star: the level stays. Of equal counts the highest
                    // level wins, which the plateaus decide.
                    FieldCase{"OneValue", kSmall, 65530, oneValue},
                    FieldCase{"OnePixel", {5, 5, 6, 6}, 65530, noiseEverywhere},
                    FieldCase{"EmptyRectangle", {30, 30, 30, 60}, 65530, noiseEverywhere}),
    test::ParamName());

// Other frames: generated fields of 40 to 80 stars peaking 8 to 60 sky sigmas high. The level
// lies five sky sigmas or more above the sky (median, and median less the 15.87th percentile, of
// all values sorted), finds the generated stars and no noise peaks, and is the literal choice
// among the levels from the top down to that floor.
void choosesAboveTheSkyNoise(int width, int height, int stars, double sky, double readNoise) {
  SCOPED_TRACE(width);
  gen::FieldParams p;
  p.width = width, p.height = height, p.starCount = stars, p.sky = sky;
  p.readNoise = readNoise, p.hotPixels = 0, p.vBright = 13.5, p.vFaint = 14.5;
  const gen::FieldPair field = gen::generateField(p);
  std::vector<float> v(field.blue.begin(), field.blue.end());
  std::unique_ptr<Workspace> ws[2] = {test::makeWorkspace(), test::makeWorkspace()};
  for (auto& w : ws) {
    adoptFrame(*w, kBlue, width, height, std::vector<float>(v));
    w->searchRect[kBlue] = wholeImage(*w, kBlue);
  }
  std::sort(v.begin(), v.end());
  auto at = [&](double share) { return int(v[std::size_t(share * double(v.size()))]); };
  const int floor = at(0.5) + 5 * std::max(1, at(0.5) - at(0.15866));
  chooseAutoBackground(*ws[0], kBlue);
  EXPECT_GE(ws[0]->backgroundLevel[kBlue], floor);
  EXPECT_EQ(ws[0]->backgroundLevel[kBlue], test::literalAutoBackground(*ws[1], kBlue, floor));
  ASSERT_EQ(scanImage(*ws[0], kBlue), SearchStatus::Ok);
  EXPECT_NEAR(ws[0]->starCount[kBlue], stars, 3);
}

TEST(AutoBackgroundFrame, ChoosesAboveTheSkyNoise) {
  choosesAboveTheSkyNoise(512, 512, 80, 1000, 10);  // square
  choosesAboveTheSkyNoise(400, 300, 50, 200, 5);    // low sky
  choosesAboveTheSkyNoise(200, 500, 40, 500, 20);   // tall
}

}  // namespace
}  // namespace orelith
