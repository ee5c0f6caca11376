// The calibration plot: curve rows and markers, worked by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <tuple>
#include <vector>

#include "display/Render.h"
#include "tests/display/PictureProbe.h"
#include "tests/support/TestWorkspace.h"

namespace orelith {
namespace {

using test::pictureAt;
using test::Rgb;

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};

bool onAxis(int x, int y) { return (x == 10 && y <= 232) || (y == 232 && x >= 10); }

class Plot : public ::testing::Test {
 protected:
  void SetUp() override {
    ws = test::makeWorkspace();
    ws->searchRect[kBlue] = ws->searchRect[kGreen] = kWholeImage;
    ws->optionFlags = OPT_CURVE_VIEW_BLUE | OPT_CURVE_VIEW_GREEN;
  }
  // Calibration entry j: blue star 10 + j, green star 20 + j.
  void addMarker(double magB, double magV, double lgBlue, double lgGreen) {
    const int j = ws->calibration.count++;
    ws->calibration.entries[j] = {10 + j, 20 + j};
    StarRecord& b = star(*ws, kBlue, 10 + j);
    b.magnitudeB = static_cast<float>(magB);
    b.magnitudeV = static_cast<float>(magV);
    b.lgBrightness = static_cast<float>(lgBlue);
    star(*ws, kGreen, 20 + j).lgBrightness = static_cast<float>(lgGreen);
  }
  std::unique_ptr<Workspace> ws;
};

TEST_F(Plot, CurvePutsOneWhitePixelPerColumn) {
  // Constant, slope, column, row by hand: lg = (x - 10) * 7 / 365, row =
  // (m - 8) * 29, truncated; -1 = none.
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::tuple<double, double, int, int> rows[] = {
      {8, 1, 100, 50},     // lg 1.726, row 50.05
      {8, 1, 374, 202},    // lg 6.981, row 202.44
      {7.99, 0, 50, 0},    // row -0.29 truncates to 0
      {7.95, 0, 50, -1},   // row -1.45: outside
      {16.2, 0, 50, -1},   // row 237.8: outside
      {1e300, 1, 50, -1},  // no int conversion
      {nan, 0, 50, -1}};
  for (const auto& [constant, slope, column, row] : rows) {
    ws->curves[kGreen][0] = constant;
    ws->curves[kGreen][1] = slope;
    ws->curves[kBlue][0] = 12;  // the green plot must not use it
    ws->progressFlags = PRG_MAGNITUDES;
    renderImage(*ws, kGreen);
    for (int y = 0; y < kImageHeight; ++y) {
      const bool white = y == row || onAxis(column, y);
      ASSERT_EQ(pictureAt(*ws, kGreen, column, y), white ? kWhite : kBlack)
          << constant << " row " << y;
    }
  }
}

TEST_F(Plot, MarkersSetOnlyTheGreenByteOverTheCurveLaterOverEarlier) {
  // Blue plot, B against blue lg. Entry 0: row (12 - 8) * 29 = 116, column
  // 10 + 0 * 365 / 7 = 10 (on the axis); entry 1: row 58, column 192.5 -> 192;
  // entry 2 on entry 0.
  ws->curves[kBlue][0] = 12;
  ws->progressFlags = PRG_MAGNITUDES;
  addMarker(12, 14, 0, 1.5);
  addMarker(10, 9, 3.5, 5);
  addMarker(12, 14, 0, 1.5);
  renderImage(*ws, kBlue);
  EXPECT_EQ(pictureAt(*ws, kBlue, 10, 116), (Rgb{255, 252, 255}));  // axis keeps red and blue
  EXPECT_EQ(pictureAt(*ws, kBlue, 11, 116), (Rgb{255, 252, 255}));  // so does the curve
  EXPECT_EQ(pictureAt(*ws, kBlue, 9, 116), (Rgb{0, 252, 0}));
  EXPECT_EQ(pictureAt(*ws, kBlue, 11, 117), kBlack);
  for (auto [x, y] : {std::pair{192, 58}, {192, 57}, {191, 58}, {192, 59}, {193, 58}})
    EXPECT_EQ(pictureAt(*ws, kBlue, x, y), (Rgb{0, 253, 0})) << x << "," << y;
  EXPECT_EQ(pictureAt(*ws, kBlue, 194, 58), kBlack);
  EXPECT_EQ(pictureAt(*ws, kBlue, 191, 57), kBlack);
  // Green plot: V of the blue record against the green lg. Entry 0: V 14 ->
  // row 174, lg 1.5 -> column 88.2; entry 1: V 9 -> row 29, lg 5 -> 270.7.
  renderImage(*ws, kGreen);
  EXPECT_EQ(pictureAt(*ws, kGreen, 88, 174), (Rgb{0, 252, 0}));
  EXPECT_EQ(pictureAt(*ws, kGreen, 270, 29), (Rgb{0, 253, 0}));
}

TEST_F(Plot, MarkersAreClippedAtThePictureEdgesPixelByPixel) {
  // Centres worked out from the marker formula: (-1, 116), (100, -1),
  // (374, 241), (200, 242); then two that cannot be placed at all.
  addMarker(12, 12, -0.2205479, -0.2205479);
  addMarker(7.948276, 7.948276, 1.735616, 1.735616);
  addMarker(16.327586, 16.327586, 6.990411, 6.990411);
  addMarker(16.362069, 16.362069, 3.6534247, 3.6534247);
  addMarker(1e30, 1e30, 1, 1);
  addMarker(12, 12, std::nan(""), std::nan(""));
  for (int panel = 0; panel < 2; ++panel) {
    // A stray marker pixel would land in the padding, the other panel or
    // the 4 KB before and after the pictures.
    std::memset(ws->picture, 0xA5, sizeof ws->picture);
    const auto* first = &ws->picture[0][0];
    const std::vector<std::uint8_t> before(first - 4096, first),
        after(first + sizeof ws->picture, first + sizeof ws->picture + 4096);
    renderImage(*ws, panel);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), first - 4096));
    EXPECT_TRUE(std::equal(after.begin(), after.end(), first + sizeof ws->picture));
    for (int i = 0; i < kPictureBytes; ++i) ASSERT_EQ(ws->picture[1 - panel][i], 0xA5) << i;
    for (int y = 0; y < kImageHeight; ++y)
      for (int k = kImageWidth * 3; k < kPictureStride; ++k)
        ASSERT_EQ(ws->picture[panel][y * kPictureStride + k], 0xA5) << y;
    // clang-format off
    for (auto [x, y, g] : {std::tuple{0, 116, 254}, {1, 116, 0}, {100, 0, 253}, {101, 0, 0},
                           {374, 241, 252}, {374, 240, 252}, {373, 241, 252}, {200, 241, 251},
                           {199, 241, 0}})
      // clang-format on
      EXPECT_EQ(pictureAt(*ws, panel, x, y).g, g) << panel << ": " << x << "," << y;
  }
}

}  // namespace
}  // namespace orelith
