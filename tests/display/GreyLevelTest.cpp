#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "display/Render.h"
#include "tests/display/PictureProbe.h"
#include "tests/support/TestWorkspace.h"

namespace orelith {
namespace {

using test::grey;
using test::pictureAt;
using test::Rgb;

// The grey rule written out plainly, one pixel at a time: the reference the
// renderer's table must match.
int referenceGrey(int v, double bg, int range) {
  double f = v - bg;
  if (f < 0) f = 0;
  f = f / range;
  if (f > 1) f = 1;
  return static_cast<int>(f * 255 + 0.5);
}

struct GreyCase {
  int value;
  double background;
  int range;
  int level;  // worked out by hand from the rule
};

class GreyLevelRule : public ::testing::TestWithParam<GreyCase> {};

TEST_P(GreyLevelRule, GivesTheLevel) {
  const GreyCase& c = GetParam();
  EXPECT_EQ(greyLevel(c.value, c.background, c.range), c.level);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GreyLevelRule,
    ::testing::Values(GreyCase{100, 100, 1, 0},        // range 1: the background itself is black
                      GreyCase{101, 100, 1, 255},      // and anything above it white
                      GreyCase{99, 100, 1, 0},         // negative f clamps to 0
                      GreyCase{0, 100, 200, 0},        // far below the background
                      GreyCase{200, 100, 200, 128},    // 100/200 * 255 = 127.5, + 0.5 -> 128
                      GreyCase{299, 100, 200, 254},    // 199/200 * 255 = 253.725 -> 254.225
                      GreyCase{300, 100, 200, 255},    // f reaches the range
                      GreyCase{65535, 100, 200, 255},  // clamped at 1
                      GreyCase{101, 100, 1024, 0},     // 255/1024 = 0.249 -> 0.749
                      GreyCase{103, 100, 1024, 1},     // 765/1024 = 0.747 -> 1.247
                      GreyCase{0, -128, 256, 128},     // slider below 0: 128/256 -> 128
                      GreyCase{65535, 65663, 1, 0}));  // background 65535 + 128

// A random state: background near the pixel values so that every branch of
// the rule (below, inside the range, above) is hit in one picture.
void randomState(Workspace& ws, std::mt19937& rng) {
  std::uniform_int_distribution<int> level(0, 65535);
  std::uniform_int_distribution<int> offset(-128, 128);
  std::uniform_int_distribution<int> range(1, 1024);
  std::uniform_int_distribution<int> coin(0, 3);
  for (int image = 0; image < 2; ++image) {
    ws.backgroundLevel[image] = coin(rng) == 0 ? 0 : level(rng);
    ws.display.backgroundOffset[image] = offset(rng);
    ws.display.range[image] = coin(rng) == 0 ? 1 : range(rng);
    const int bg = ws.backgroundLevel[image] + ws.display.backgroundOffset[image];
    std::uniform_int_distribution<int> spread(-ws.display.range[image] - 40,
                                              ws.display.range[image] + 40);
    for (int x = 0; x < kImageWidth; ++x)
      for (int y = 0; y < kImageHeight; ++y) {
        const int v = coin(rng) == 0 ? level(rng) : bg + spread(rng);
        pixelAt(ws, image, x, y) = static_cast<std::uint16_t>(std::clamp(v, 0, 65535));
      }
  }
  std::uniform_int_distribution<int> col(-20, kImageWidth + 20);
  std::uniform_int_distribution<int> row(-20, kImageHeight + 20);
  for (int image = 0; image < 2; ++image) {
    const int x0 = col(rng), x1 = col(rng), y0 = row(rng), y1 = row(rng);
    ws.searchRect[image] = {std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1)};
  }
}

bool insideRect(const SearchRect& r, int x, int y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

TEST(GreyRender, MatchesThePlainRuleOnRandomImages) {
  auto ws = test::makeWorkspace();
  std::mt19937 rng(20240611);
  for (int trial = 0; trial < 24; ++trial) {
    randomState(*ws, rng);
    const bool twoColour = trial % 3 == 2;
    setBit(ws->optionFlags, OPT_CUSTOM_COLORS_BLUE | OPT_CUSTOM_COLORS_GREEN, twoColour);
    for (int image = 0; image < 2; ++image) {
      renderImage(*ws, image);
      const int bg = ws->backgroundLevel[image] + ws->display.backgroundOffset[image];
      const int range = ws->display.range[image];
      int mismatches = 0;
      for (int y = 0; y < kImageHeight; ++y)
        for (int x = 0; x < kImageWidth; ++x) {
          Rgb want = test::tableColor(*ws, kColorVoid);
          if (insideRect(ws->searchRect[image], x, y)) {
            const int v = pixelAt(*ws, image, x, y);
            if (twoColour)
              want = test::tableColor(*ws, v > bg ? kColorWhite : kColorBackground);
            else
              want = grey(referenceGrey(v, bg, range));
          }
          if (pictureAt(*ws, image, x, y) != want) ++mismatches;
        }
      ASSERT_EQ(mismatches, 0) << "trial " << trial << " image " << image << " bg " << bg
                               << " range " << range;
    }
  }
}

TEST(OverlayRender, MatchesThePlainRuleOnRandomImages) {
  auto ws = test::makeWorkspace();
  std::mt19937 rng(7031);
  std::uniform_int_distribution<int> shift(-16, 16);
  for (int trial = 0; trial < 12; ++trial) {
    randomState(*ws, rng);
    ws->offsetX = shift(rng);
    ws->offsetY = shift(rng);
    const SearchRect& b = ws->searchRect[kBlue];
    // The arrows keep the green rectangle on the blue one, shifted.
    ws->searchRect[kGreen] = {b.left + ws->offsetX, b.top + ws->offsetY, b.right + ws->offsetX,
                              b.bottom + ws->offsetY};
    ws->optionFlags = OPT_MOVE_MODE;
    const bool twoColour = trial % 2 == 1;
    setBit(ws->optionFlags, OPT_CUSTOM_COLORS_BLUE, twoColour);
    renderImage(*ws, kBlue);
    const int bg0 = ws->backgroundLevel[0] + ws->display.backgroundOffset[0];
    const int bg1 = ws->backgroundLevel[1] + ws->display.backgroundOffset[1];
    int mismatches = 0;
    for (int y = 0; y < kImageHeight; ++y)
      for (int x = 0; x < kImageWidth; ++x) {
        Rgb want = test::tableColor(*ws, kColorVoid);
        if (insideRect(ws->searchRect[kBlue], x, y)) {
          const int gx = x + ws->offsetX, gy = y + ws->offsetY;
          const bool counts = insideRect(ws->searchRect[kGreen], gx, gy) && insideImage(gx, gy);
          const int blue = pixelAt(*ws, kBlue, x, y);
          if (twoColour) {
            want = test::tableColor(*ws, blue > bg0 ? kColorBlue : kColorBackground);
            if (counts && pixelAt(*ws, kGreen, gx, gy) > bg1) {
              const Rgb add = test::tableColor(*ws, kColorGreen);
              want = {std::min(255, want.r + add.r), std::min(255, want.g + add.g),
                      std::min(255, want.b + add.b)};
            }
          } else {
            const int g =
                counts ? referenceGrey(pixelAt(*ws, kGreen, gx, gy), bg1, ws->display.range[1]) : 0;
            want = {0, g, referenceGrey(blue, bg0, ws->display.range[0])};
          }
        }
        if (pictureAt(*ws, kBlue, x, y) != want) ++mismatches;
      }
    ASSERT_EQ(mismatches, 0) << "trial " << trial;
  }
}

}  // namespace
}  // namespace orelith
