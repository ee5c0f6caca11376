// The renderer's grey table, two-colour map and overlay spans against the
// rules written out plainly, one pixel at a time, on random states.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "display/Render.h"
#include "tests/display/PictureProbe.h"
#include "tests/support/TestWorkspace.h"

namespace orelith {
namespace {

using test::grey;
using test::Rgb;
using test::tableColor;

int referenceGrey(int v, double bg, int range) {
  double f = v - bg;
  if (f < 0) f = 0;
  f = f / range;
  if (f > 1) f = 1;
  return static_cast<int>(f * 255 + 0.5);
}

TEST(GreyLevel, HandWorkedLevels) {
  struct Case {
    int value;
    double background;
    int range;
    int level;  // by hand from the rule
  };
  for (const Case& c : {Case{100, 100, 1, 0},        // range 1: the background itself is black
                        Case{101, 100, 1, 255},      // and anything above it white
                        Case{200, 100, 200, 128},    // 127.5 + 0.5
                        Case{299, 100, 200, 254},    // 253.725 + 0.5
                        Case{65535, 100, 200, 255},  // clamped at 1
                        Case{103, 100, 1024, 1},     // 0.747 + 0.5
                        Case{0, -128, 256, 128}})    // the slider below a background of 0
    EXPECT_EQ(greyLevel(c.value, c.background, c.range), c.level) << c.value << " " << c.range;
}

bool inside(const SearchRect& r, int x, int y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

int background(const Workspace& ws, int image) {
  return ws.backgroundLevel[image] + ws.display.backgroundOffset[image];
}

// The picture rules of grey, two-colour and overlay panels, pixel by pixel.
Rgb literalPixel(const Workspace& ws, int image, int x, int y) {
  const bool move = hasBit(ws.optionFlags, OPT_MOVE_MODE);
  if ((move && image == kGreen) || !inside(ws.searchRect[image], x, y))
    return tableColor(ws, kColorVoid);
  const int v = pixelAt(ws, image, x, y), bg = background(ws, image);
  const bool custom =
      hasBit(ws.optionFlags, image == kBlue ? OPT_CUSTOM_COLORS_BLUE : OPT_CUSTOM_COLORS_GREEN);
  if (!move)
    return custom ? tableColor(ws, v > bg ? kColorWhite : kColorBackground)
                  : grey(referenceGrey(v, bg, ws.display.range[image]));
  const int gx = x + ws.offsetX, gy = y + ws.offsetY;
  const bool counts = inside(ws.searchRect[kGreen], gx, gy) && insideImage(gx, gy);
  const int g = counts ? pixelAt(ws, kGreen, gx, gy) : 0;
  if (!custom)
    return {0, counts ? referenceGrey(g, background(ws, kGreen), ws.display.range[kGreen]) : 0,
            referenceGrey(v, bg, ws.display.range[kBlue])};
  Rgb c = tableColor(ws, v > bg ? kColorBlue : kColorBackground);
  if (counts && g > background(ws, kGreen)) {
    const Rgb add = tableColor(ws, kColorGreen);
    c = {std::min(255, c.r + add.r), std::min(255, c.g + add.g), std::min(255, c.b + add.b)};
  }
  return c;
}

// Backgrounds near the pixel values, so that every branch of the rules
// (below, inside the range, above) is hit in one picture; rectangles that
// reach beyond the image; random colours, so that a swapped byte or a sum
// that wraps shows.
void randomState(Workspace& ws, std::mt19937& rng) {
  const auto draw = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int image = 0; image < 2; ++image) {
    ws.backgroundLevel[image] = draw(0, 3) == 0 ? 0 : draw(0, 65535);
    ws.display.backgroundOffset[image] = draw(-128, 128);
    ws.display.range[image] = draw(0, 3) == 0 ? 1 : draw(1, 1024);
    const int bg = background(ws, image), range = ws.display.range[image];
    for (int x = 0; x < kImageWidth; ++x)
      for (int y = 0; y < kImageHeight; ++y) {
        const int v = draw(0, 3) == 0 ? draw(0, 65535) : bg + draw(-range - 40, range + 40);
        pixelAt(ws, image, x, y) = static_cast<std::uint16_t>(std::clamp(v, 0, 65535));
      }
    const int x0 = draw(-20, 395), x1 = draw(-20, 395), y0 = draw(-20, 262), y1 = draw(-20, 262);
    ws.searchRect[image] = {std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1)};
  }
  for (std::uint8_t& c : ws.display.colorTable) c = static_cast<std::uint8_t>(draw(0, 255));
  ws.offsetX = draw(-16, 16);
  ws.offsetY = draw(-16, 16);
  ws.optionFlags = 0;
  setBit(ws.optionFlags, OPT_MOVE_MODE, draw(0, 1));
  setBit(ws.optionFlags, OPT_CUSTOM_COLORS_BLUE, draw(0, 1));
  setBit(ws.optionFlags, OPT_CUSTOM_COLORS_GREEN, draw(0, 1));
}

TEST(Render, MatchesTheLiteralRulesOnRandomStates) {
  auto ws = test::makeWorkspace();
  std::mt19937 rng(20240611);
  for (int trial = 0; trial < 40; ++trial) {
    randomState(*ws, rng);
    for (int image = 0; image < 2; ++image) {
      renderImage(*ws, image);
      int mismatches = 0;
      for (int y = 0; y < kImageHeight; ++y)
        for (int x = 0; x < kImageWidth; ++x)
          mismatches += test::pictureAt(*ws, image, x, y) != literalPixel(*ws, image, x, y);
      ASSERT_EQ(mismatches, 0) << "trial " << trial << " image " << image << " options "
                               << ws->optionFlags;
    }
  }
}

}  // namespace
}  // namespace orelith
