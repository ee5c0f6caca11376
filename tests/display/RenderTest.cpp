#include <gtest/gtest.h>

#include "display/Render.h"
#include "tests/display/PictureProbe.h"
#include "tests/support/TestWorkspace.h"

namespace orelith {
namespace {

using test::grey;
using test::pictureAt;
using test::Rgb;

constexpr Rgb kStartVoid{192, 192, 192};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};

class Render : public ::testing::Test {
 protected:
  void SetUp() override {
    ws = test::makeWorkspace();
    test::loadBoth(*ws);
  }
  Rgb at(int panel, int x, int y) const { return pictureAt(*ws, panel, x, y); }
  std::unique_ptr<Workspace> ws;
};

struct LevelCase {
  int background;
  int offset;
  int range;
  std::uint16_t value;
  int level;  // by hand from the grey rule
};

class RenderedLevel : public ::testing::TestWithParam<LevelCase> {};

TEST_P(RenderedLevel, UsesBackgroundPlusSliderOffset) {
  const LevelCase& c = GetParam();
  auto ws = test::makeWorkspace();
  test::loadBoth(*ws);
  test::fillPlane(*ws, kGreen, c.value);
  ws->backgroundLevel[kGreen] = c.background;
  ws->display.backgroundOffset[kGreen] = c.offset;
  ws->display.range[kGreen] = c.range;
  renderImage(*ws, kGreen);
  EXPECT_EQ(pictureAt(*ws, kGreen, 200, 100), grey(c.level));
}

INSTANTIATE_TEST_SUITE_P(Cases, RenderedLevel,
                         ::testing::Values(LevelCase{100, 0, 1, 100, 0},
                                           LevelCase{100, 0, 1, 101, 255},
                                           LevelCase{100, 0, 200, 200, 128},
                                           LevelCase{100, 0, 200, 300, 255},
                                           LevelCase{100, 0, 200, 40000, 255},
                                           LevelCase{100, 50, 1, 150, 0},  // slider held at +50
                                           LevelCase{100, 50, 1, 151, 255},
                                           LevelCase{20, -128, 1, 0, 255}));  // -108 < 0

TEST_F(Render, LeavesThePanelVoidOutsideTheSearchRectangle) {
  test::fillPlane(*ws, kBlue, 1000);
  ws->searchRect[kBlue] = {10, 20, 100, 200};
  renderImage(*ws, kBlue);
  EXPECT_EQ(at(0, 10, 20), kWhite);
  EXPECT_EQ(at(0, 99, 199), kWhite);
  EXPECT_EQ(at(0, 9, 20), kStartVoid);
  EXPECT_EQ(at(0, 10, 19), kStartVoid);
  EXPECT_EQ(at(0, 100, 100), kStartVoid);
  EXPECT_EQ(at(0, 50, 200), kStartVoid);
  EXPECT_EQ(at(0, 374, 241), kStartVoid);
}

TEST_F(Render, StoresColoursBlueGreenRed) {
  test::setTableColor(*ws, kColorVoid, {10, 20, 30});
  ws->searchRect[kBlue] = {0, 0, 0, 0};
  renderImage(*ws, kBlue);
  const std::uint8_t* p = ws->picture[kBlue] + 5 * kPictureStride + 7 * 3;
  EXPECT_EQ(p[0], 30);
  EXPECT_EQ(p[1], 20);
  EXPECT_EQ(p[2], 10);
}

TEST_F(Render, BeforeTheFirstLoadEverythingIsVoid) {
  ws->searchRect[kBlue] = {0, 0, 0, 0};
  test::fillPlane(*ws, kBlue, 5000);
  renderImage(*ws, kBlue);
  for (int y = 0; y < kImageHeight; y += 11)
    for (int x = 0; x < kImageWidth; x += 13) ASSERT_EQ(at(0, x, y), kStartVoid);
}

TEST_F(Render, ClipsAMovedGreenRectangleToTheImage) {
  // Sixteen presses of "up" with whole-image rectangles, "Move" off again.
  test::fillPlane(*ws, kGreen, 400);
  ws->offsetY = 16;
  ws->searchRect[kGreen] = {0, 16, 375, 258};
  ws->backgroundLevel[kGreen] = 100;
  ws->display.range[kGreen] = 1000;
  renderImage(*ws, kGreen);
  // 300/1000 * 255 = 76.5 -> 77
  for (int x : {0, 187, 374}) {
    for (int y = 0; y < 16; ++y) ASSERT_EQ(at(1, x, y), kStartVoid) << x << "," << y;
    for (int y = 16; y < kImageHeight; ++y) ASSERT_EQ(at(1, x, y), grey(77)) << x << "," << y;
  }
}

struct TwoColourCase {
  std::uint16_t value;
  bool white;
};

class TwoColourMap : public ::testing::TestWithParam<TwoColourCase> {};

TEST_P(TwoColourMap, SplitsAtTheEffectiveBackground) {
  auto ws = test::makeWorkspace();
  test::loadBoth(*ws);
  test::setTableColor(*ws, kColorWhite, {1, 2, 3});
  test::setTableColor(*ws, kColorBackground, {4, 5, 6});
  ws->optionFlags = OPT_CUSTOM_COLORS_BLUE;
  ws->backgroundLevel[kBlue] = 300;
  ws->display.backgroundOffset[kBlue] = -100;
  ws->display.range[kBlue] = 1024;  // not used by the map
  test::fillPlane(*ws, kBlue, GetParam().value);
  renderImage(*ws, kBlue);
  EXPECT_EQ(pictureAt(*ws, kBlue, 3, 3), (GetParam().white ? Rgb{1, 2, 3} : Rgb{4, 5, 6}));
}

INSTANTIATE_TEST_SUITE_P(Cases, TwoColourMap,
                         ::testing::Values(TwoColourCase{0, false}, TwoColourCase{200, false},
                                           TwoColourCase{201, true}, TwoColourCase{65535, true}));

TEST_F(Render, GreenCustomColoursLeaveTheBluePanelGrey) {
  ws->optionFlags = OPT_CUSTOM_COLORS_GREEN;
  test::fillPlane(*ws, kBlue, 1);
  test::fillPlane(*ws, kGreen, 1);
  renderImage(*ws, kBlue);
  renderImage(*ws, kGreen);
  EXPECT_EQ(at(0, 1, 1), kWhite);                // grey 255 with range 1
  EXPECT_EQ(at(1, 1, 1), (Rgb{255, 255, 255}));  // start White
}

// The move-mode overlay with the blue "Custom colors" on.
struct OverlayCase {
  bool blueAbove;
  bool greenAbove;
  Rgb blueColor;
  Rgb greenColor;
  Rgb expected;  // component sums by hand, capped at 255
};

class OverlayColours : public ::testing::TestWithParam<OverlayCase> {};

TEST_P(OverlayColours, AddGreenToBlueSaturating) {
  const OverlayCase& c = GetParam();
  auto ws = test::makeWorkspace();
  test::loadBoth(*ws);
  ws->optionFlags = OPT_MOVE_MODE | OPT_CUSTOM_COLORS_BLUE;
  test::setTableColor(*ws, kColorBlue, c.blueColor);
  test::setTableColor(*ws, kColorGreen, c.greenColor);
  ws->backgroundLevel[kBlue] = 100;
  ws->backgroundLevel[kGreen] = 500;
  test::fillPlane(*ws, kBlue, c.blueAbove ? 101 : 100);
  test::fillPlane(*ws, kGreen, c.greenAbove ? 501 : 500);
  renderImage(*ws, kBlue);
  EXPECT_EQ(pictureAt(*ws, kBlue, 100, 100), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OverlayColours,
    ::testing::Values(OverlayCase{true, true, {0, 0, 255}, {0, 255, 0}, {0, 255, 255}},
                      OverlayCase{false, true, {0, 0, 255}, {0, 255, 0}, {0, 255, 0}},
                      OverlayCase{true, false, {0, 0, 255}, {0, 255, 0}, {0, 0, 255}},
                      OverlayCase{false, false, {0, 0, 255}, {0, 255, 0}, {0, 0, 0}},
                      OverlayCase{true, true, {100, 100, 100}, {200, 200, 200}, {255, 255, 255}},
                      OverlayCase{true, false, {100, 100, 100}, {200, 200, 200}, {100, 100, 100}},
                      // Backgrnd. (0, 0, 0) plus Green
                      OverlayCase{false, true, {100, 100, 100}, {200, 200, 200}, {200, 200, 200}}));

TEST_F(Render, GreyOverlayShiftsTheGreenImageAndDropsWhatLeavesTheGreenRectangle) {
  ws->optionFlags = OPT_MOVE_MODE;
  ws->offsetX = 3;
  ws->searchRect[kGreen] = {3, 0, 378, 242};
  test::fillPlane(*ws, kBlue, 1000);
  test::fillPlane(*ws, kGreen, 0);
  pixelAt(*ws, kGreen, 50, 7) = 1000;
  for (int y = 100; y < kImageHeight; ++y)
    for (int x = 0; x < kImageWidth; ++x) pixelAt(*ws, kGreen, x, y) = 1000;
  renderImage(*ws, kBlue);
  // Blue byte: the blue grey level; green byte: green at (x + 3, y); red 0.
  EXPECT_EQ(at(0, 47, 7), (Rgb{0, 255, 255}));
  EXPECT_EQ(at(0, 50, 7), (Rgb{0, 0, 255}));
  for (int y = 100; y < kImageHeight; ++y) {
    for (int x = 0; x < 372; ++x) ASSERT_EQ(at(0, x, y), (Rgb{0, 255, 255})) << x << "," << y;
    for (int x = 372; x < kImageWidth; ++x) ASSERT_EQ(at(0, x, y), (Rgb{0, 0, 255})) << x;
  }
}

TEST_F(Render, MoveModeLeavesTheGreenPanelVoid) {
  ws->optionFlags = OPT_MOVE_MODE | OPT_CURVE_VIEW_GREEN | OPT_SELECTION_SHOWN;
  test::fillPlane(*ws, kGreen, 1000);
  renderImage(*ws, kGreen);
  for (int y = 0; y < kImageHeight; ++y)
    for (int x = 0; x < kImageWidth; ++x) ASSERT_EQ(at(1, x, y), kStartVoid) << x << "," << y;
}

TEST_F(Render, MoveModeOverlayTakesPrecedenceOverPlotAndHighlights) {
  ws->optionFlags = OPT_MOVE_MODE | OPT_CURVE_VIEW_BLUE | OPT_SELECTION_SHOWN;
  ws->selectedStar[kBlue] = 0;
  test::setStarPixels(*ws, kBlue, 0, {{5, 5}});
  test::fillPlane(*ws, kBlue, 1000);
  test::fillPlane(*ws, kGreen, 1000);
  ws->searchRect[kBlue] = {0, 0, 100, 100};
  renderImage(*ws, kBlue);
  EXPECT_EQ(at(0, 5, 5), (Rgb{0, 255, 255}));
  EXPECT_EQ(at(0, 10, 50), (Rgb{0, 255, 255}));  // no axis
  EXPECT_EQ(at(0, 200, 200), kStartVoid);
}

// Stars for the highlight tests: blue star 2 / green star 7 are a calibration
// pair, blue star 5 / green star 9 another; the pixel lists overlap at (21, 20).
class Highlights : public Render {
 protected:
  void SetUp() override {
    Render::SetUp();
    test::fillPlane(*ws, kBlue, 0);
    test::fillPlane(*ws, kGreen, 0);
    ws->searchRect[kBlue] = {100, 100, 200, 200};  // the stars lie outside it
    ws->searchRect[kGreen] = {100, 100, 200, 200};
    test::setStarPixels(*ws, kBlue, 2, {{20, 20}, {21, 20}});
    test::setStarPixels(*ws, kBlue, 5, {{40, 40}});
    test::setStarPixels(*ws, kBlue, 3, {{21, 20}, {22, 20}, {374, 241}});
    test::setStarPixels(*ws, kGreen, 7, {{60, 60}});
    test::setStarPixels(*ws, kGreen, 9, {{61, 61}});
    test::setStarPixels(*ws, kGreen, 2, {{62, 62}});
    ws->calibration.entries[0] = {2, 7};
    ws->calibration.entries[1] = {5, 9};
    ws->calibration.count = 2;
    ws->progressFlags = PRG_CALIBRATION_STAR;
    ws->optionFlags = OPT_SELECTION_SHOWN;
    ws->selectedStar[kBlue] = 3;
    ws->selectedStar[kGreen] = -1;
  }
  const Rgb calibrate{0, 255, 0};  // start colours
  const Rgb selection{0, 0, 255};
};

TEST_F(Highlights, PaintCalibrationStarsThenTheSelectionOverThem) {
  renderImage(*ws, kBlue);
  EXPECT_EQ(at(0, 20, 20), calibrate);
  EXPECT_EQ(at(0, 21, 20), selection);  // both: selection wins
  EXPECT_EQ(at(0, 22, 20), selection);
  EXPECT_EQ(at(0, 374, 241), selection);
  EXPECT_EQ(at(0, 40, 40), calibrate);
  EXPECT_EQ(at(0, 41, 40), kStartVoid);
}

TEST_F(Highlights, UseTheGreenStarNumbersInTheGreenPanel) {
  renderImage(*ws, kGreen);
  EXPECT_EQ(at(1, 60, 60), calibrate);
  EXPECT_EQ(at(1, 61, 61), calibrate);
  EXPECT_EQ(at(1, 62, 62), kStartVoid);  // green star 2 is no calibration star
}

struct HighlightSwitch {
  std::uint32_t options;
  std::uint32_t progress;
  bool calibrationShown;
  bool selectionShown;
};

class HighlightSwitches : public Highlights,
                          public ::testing::WithParamInterface<HighlightSwitch> {};

TEST_P(HighlightSwitches, FollowTheFlags) {
  ws->optionFlags = GetParam().options;
  ws->progressFlags = GetParam().progress;
  renderImage(*ws, kBlue);
  EXPECT_EQ(at(0, 20, 20), GetParam().calibrationShown ? calibrate : kStartVoid);
  EXPECT_EQ(at(0, 22, 20), GetParam().selectionShown ? selection : kStartVoid);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HighlightSwitches,
    ::testing::Values(HighlightSwitch{OPT_SELECTION_SHOWN, PRG_CALIBRATION_STAR, true, true},
                      HighlightSwitch{0, PRG_CALIBRATION_STAR, true, false},
                      HighlightSwitch{OPT_SELECTION_SHOWN, 0, false, true},
                      HighlightSwitch{OPT_HIDE_CALIBRATION | OPT_SELECTION_SHOWN,
                                      PRG_CALIBRATION_STAR, false, true}));

TEST_F(Highlights, IgnorePixelsOutsideTheImageAndBadStarNumbers) {
  StarRecord& s = star(*ws, kBlue, 3);
  s.pixels[0] = {375, 0};
  s.pixels[1] = {0, 242};
  s.pixels[2] = {65535, 65535};
  ws->calibration.entries[1] = {-4, 5000};
  ws->selectedStar[kGreen] = 1024;
  ws->optionFlags |= OPT_SELECTION_SHOWN;
  renderImage(*ws, kBlue);
  EXPECT_EQ(at(0, 20, 20), calibrate);
  EXPECT_EQ(at(0, 0, 0), kStartVoid);
  renderImage(*ws, kGreen);
  EXPECT_EQ(at(1, 60, 60), calibrate);
}

}  // namespace
}  // namespace orelith
