#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
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
    test::loadBoth(*ws);
    ws->optionFlags = OPT_CURVE_VIEW_BLUE | OPT_CURVE_VIEW_GREEN;
    test::fillPlane(*ws, kBlue, 1000);  // must not show through
  }
  Rgb at(int panel, int x, int y) const { return pictureAt(*ws, panel, x, y); }
  void setCurve(int filter, double c0, double c1 = 0, double c2 = 0) {
    ws->curves[filter][0] = c0;
    ws->curves[filter][1] = c1;
    ws->curves[filter][2] = c2;
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

TEST_F(Plot, ShowsOnlyTheAxesOnBlack) {
  renderImage(*ws, kBlue);
  int whites = 0;
  for (int y = 0; y < kImageHeight; ++y)
    for (int x = 0; x < kImageWidth; ++x) {
      ASSERT_EQ(at(0, x, y), onAxis(x, y) ? kWhite : kBlack) << x << "," << y;
      whites += onAxis(x, y);
    }
  EXPECT_EQ(whites, 233 + 365 - 1);  // the axes share (10, 232)
}

TEST_F(Plot, DrawsTheCurveOnlyOnceMagnitudesAreCalculated) {
  setCurve(kBlue, 12);  // row (12 - 8) * 0.125 * 232 = 116
  renderImage(*ws, kBlue);
  EXPECT_EQ(at(0, 200, 116), kBlack);
  ws->progressFlags = PRG_MAGNITUDES;
  renderImage(*ws, kBlue);
  for (int x = 10; x < kImageWidth; ++x) ASSERT_EQ(at(0, x, 116), kWhite) << x;
  EXPECT_EQ(at(0, 9, 116), kBlack);
  EXPECT_EQ(at(0, 200, 115), kBlack);
  EXPECT_EQ(at(0, 200, 117), kBlack);
}

struct CurveCase {
  double constant;
  double slope;
  int column;
  int row;  // by hand: lg = (x - 10) * 7 / 365, row = (m - 8) * 29, truncated; -1 = none
};

class CurveRows : public Plot, public ::testing::WithParamInterface<CurveCase> {};

TEST_P(CurveRows, PutOneWhitePixelPerColumn) {
  const CurveCase& c = GetParam();
  setCurve(kGreen, c.constant, c.slope);
  setCurve(kBlue, 12);  // the green plot must not use it
  ws->progressFlags = PRG_MAGNITUDES;
  renderImage(*ws, kGreen);
  for (int y = 0; y < kImageHeight; ++y) {
    const bool white = y == c.row || onAxis(c.column, y);
    ASSERT_EQ(at(1, c.column, y), white ? kWhite : kBlack) << "row " << y;
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, CurveRows,
                         ::testing::Values(CurveCase{8, 1, 100, 50},   // lg 1.726, row 50.05
                                           CurveCase{8, 1, 200, 105},  // lg 3.644, row 105.67
                                           CurveCase{8, 1, 374, 202},  // lg 6.981, row 202.44
                                           CurveCase{8, 1, 10, 0},     // lg 0 on the axis
                                           CurveCase{10, 0, 50, 58},
                                           CurveCase{7.99, 0, 50, 0},    // row -0.29 truncates to 0
                                           CurveCase{7.95, 0, 50, -1},   // row -1.45: outside
                                           CurveCase{16.2, 0, 50, -1},   // row 237.8: outside
                                           CurveCase{1e300, 1, 50, -1},  // no int conversion
                                           CurveCase{std::numeric_limits<double>::quiet_NaN(), 0,
                                                     50, -1}));

TEST_F(Plot, MarksCalibrationStarsInTheGreenByteOnly) {
  // Blue plot: B against blue lg. Entry 0: row (12 - 8) * 29 = 116, column
  // 10 + 0 * 365 / 7 = 10 (on the axis); entry 1: row 58, column 192.5 -> 192.
  addMarker(12, 14, 0, 1.5);
  addMarker(10, 9, 3.5, 5);
  renderImage(*ws, kBlue);
  EXPECT_EQ(at(0, 10, 116), (Rgb{255, 254, 255}));  // the axis keeps red and blue
  EXPECT_EQ(at(0, 10, 115), (Rgb{255, 254, 255}));
  EXPECT_EQ(at(0, 9, 116), (Rgb{0, 254, 0}));
  EXPECT_EQ(at(0, 11, 116), (Rgb{0, 254, 0}));
  EXPECT_EQ(at(0, 11, 117), kBlack);
  for (auto [x, y] : {std::pair{192, 58}, {192, 57}, {191, 58}, {192, 59}, {193, 58}})
    EXPECT_EQ(at(0, x, y), (Rgb{0, 253, 0})) << x << "," << y;
  EXPECT_EQ(at(0, 194, 58), kBlack);
  EXPECT_EQ(at(0, 191, 57), kBlack);
}

TEST_F(Plot, GreenMarkersUseVOfTheBlueRecordAndTheGreenLg) {
  // Entry 0: V 14 -> row 174, green lg 1.5 -> column 88.2; entry 1: V 9 ->
  // row 29, green lg 5 -> column 270.7.
  addMarker(12, 14, 0, 1.5);
  addMarker(10, 9, 3.5, 5);
  renderImage(*ws, kGreen);
  EXPECT_EQ(at(1, 88, 174), (Rgb{0, 254, 0}));
  EXPECT_EQ(at(1, 270, 29), (Rgb{0, 253, 0}));
  EXPECT_EQ(at(1, 10, 116), kWhite);
}

TEST_F(Plot, MarkersGoOverTheCurveAndLaterOnesOverEarlierOnes) {
  setCurve(kBlue, 12);
  ws->progressFlags = PRG_MAGNITUDES;
  addMarker(12, 0, 1.5, 0);
  addMarker(12, 0, 1.5, 0);
  renderImage(*ws, kBlue);
  EXPECT_EQ(at(0, 88, 116), (Rgb{255, 253, 255}));
  EXPECT_EQ(at(0, 88, 117), (Rgb{0, 253, 0}));
}

// Snapshot of the bytes a stray marker could reach: the rows' padding, the
// other panel, and 4 KB on either side of the two pictures.
struct Surroundings {
  explicit Surroundings(const Workspace& ws) : ws_(ws) { take(bytes_); }
  bool unchanged() const {
    std::vector<std::uint8_t> now;
    take(now);
    return now == bytes_;
  }

 private:
  void take(std::vector<std::uint8_t>& out) const {
    out.clear();
    const auto* first = &ws_.picture[0][0];
    const auto* end = first + 2 * kPictureBytes;
    out.insert(out.end(), first - 4096, first);
    out.insert(out.end(), end, end + 4096);
    for (int panel = 0; panel < 2; ++panel)
      for (int y = 0; y < kImageHeight; ++y) {
        const auto* pad = &ws_.picture[panel][y * kPictureStride + kImageWidth * 3];
        out.insert(out.end(), pad, pad + 3);
      }
  }
  const Workspace& ws_;
  std::vector<std::uint8_t> bytes_;
};

TEST_F(Plot, ClipsMarkersAtThePictureEdgesPixelByPixel) {
  // Centres worked out from the marker formula: (-1, 116), (100, -1),
  // (374, 241), (200, 242); then two that cannot be placed at all.
  addMarker(12, 12, -0.2205479, -0.2205479);
  addMarker(7.948276, 7.948276, 1.735616, 1.735616);
  addMarker(16.327586, 16.327586, 6.990411, 6.990411);
  addMarker(16.362069, 16.362069, 3.6534247, 3.6534247);
  addMarker(1e30, 1e30, 1, 1);
  addMarker(12, 12, std::nan(""), std::nan(""));
  for (int panel = 0; panel < 2; ++panel) {
    std::memset(ws->picture[panel], 0xA5, kPictureBytes);
    std::vector<std::uint8_t> other(ws->picture[1 - panel], ws->picture[1 - panel] + kPictureBytes);
    const Surroundings around(*ws);
    renderImage(*ws, panel);
    EXPECT_TRUE(around.unchanged()) << "panel " << panel;
    EXPECT_TRUE(std::equal(other.begin(), other.end(), ws->picture[1 - panel]));
    EXPECT_EQ(at(panel, 0, 116).g, 254);
    EXPECT_EQ(at(panel, 1, 116).g, 0);
    EXPECT_EQ(at(panel, 100, 0).g, 253);
    EXPECT_EQ(at(panel, 101, 0).g, 0);
    EXPECT_EQ(at(panel, 374, 241).g, 252);
    EXPECT_EQ(at(panel, 374, 240).g, 252);
    EXPECT_EQ(at(panel, 373, 241).g, 252);
    EXPECT_EQ(at(panel, 200, 241).g, 251);
    EXPECT_EQ(at(panel, 199, 241).g, 0);
    for (int y = 0; y < kImageHeight; ++y) {
      const std::uint8_t* pad = ws->picture[panel] + y * kPictureStride + kImageWidth * 3;
      ASSERT_EQ(pad[0], 0xA5);
      ASSERT_EQ(pad[1], 0xA5);
      ASSERT_EQ(pad[2], 0xA5);
    }
  }
}

struct Mode {
  const char* name;
  std::uint32_t options;
  std::uint32_t progress;
  int panel;
};

class EveryMode : public ::testing::TestWithParam<Mode> {};

TEST_P(EveryMode, LeavesTheLastThreeBytesOfEachRowAlone) {
  auto ws = test::makeWorkspace();
  test::loadBoth(*ws);
  test::fillPlane(*ws, kBlue, 700);
  test::fillPlane(*ws, kGreen, 800);
  ws->curves[0][0] = 12;
  ws->curves[1][0] = 12;
  ws->optionFlags = GetParam().options;
  ws->progressFlags = GetParam().progress;
  std::memset(ws->picture, 0x5A, sizeof ws->picture);
  renderImage(*ws, GetParam().panel);
  for (int panel = 0; panel < 2; ++panel)
    for (int y = 0; y < kImageHeight; ++y)
      for (int k = kImageWidth * 3; k < kPictureStride; ++k)
        ASSERT_EQ(ws->picture[panel][y * kPictureStride + k], 0x5A) << panel << " row " << y;
  // And the panel was drawn at all.
  EXPECT_NE(ws->picture[GetParam().panel][0], 0x5A);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, EveryMode,
    ::testing::Values(Mode{"Grey", 0, 0, 1}, Mode{"TwoColour", OPT_CUSTOM_COLORS_BLUE, 0, 0},
                      Mode{"Overlay", OPT_MOVE_MODE, 0, 0},
                      Mode{"OverlayTwoColour", OPT_MOVE_MODE | OPT_CUSTOM_COLORS_BLUE, 0, 0},
                      Mode{"MoveModeGreen", OPT_MOVE_MODE, 0, 1},
                      Mode{"Plot", OPT_CURVE_VIEW_GREEN, 0, 1},
                      Mode{"PlotWithCurve", OPT_CURVE_VIEW_BLUE, PRG_MAGNITUDES, 0}),
    [](const ::testing::TestParamInfo<Mode>& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace orelith
