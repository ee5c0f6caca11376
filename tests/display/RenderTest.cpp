// The display modes and highlights on one scene, read back by probes. The
// pixel rules themselves are compared with their literal form in
// GreyLevelTest.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "display/Render.h"
#include "tests/display/PictureProbe.h"
#include "tests/support/TestWorkspace.h"

namespace orelith {
namespace {

using test::Rgb;

constexpr Rgb kGrey{128, 128, 128};  // 100 over a background of 0 with range 200
constexpr Rgb kOverlay{0, 128, 128};
constexpr Rgb kVoid{192, 192, 192};  // the start colours
constexpr Rgb kCalibrate{0, 255, 0};
constexpr Rgb kSelection{0, 0, 255};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};

// Blue star 2 / green star 7 and blue star 5 / green star 9 are calibration
// pairs; the selected blue star 3 overlaps star 2 at (21, 20) and has pixels
// outside the image; a third entry and the green selection name no star.
std::unique_ptr<Workspace> scene() {
  auto ws = test::makeWorkspace();
  test::loadBoth(*ws);
  for (int image : {kBlue, kGreen}) {
    test::fillPlane(*ws, image, 100);
    ws->display.range[image] = 200;
    ws->curves[image][0] = 12;  // row (12 - 8) * 0.125 * 232 = 116
  }
  test::setStarPixels(*ws, kBlue, 2, {{20, 20}, {21, 20}});
  test::setStarPixels(*ws, kBlue, 5, {{40, 40}});
  test::setStarPixels(*ws, kBlue, 3, {{21, 20}, {22, 20}, {374, 241}, {375, 0}, {65535, 65535}});
  test::setStarPixels(*ws, kGreen, 7, {{60, 60}});
  test::setStarPixels(*ws, kGreen, 9, {{61, 61}});
  test::setStarPixels(*ws, kGreen, 2, {{62, 62}});
  ws->calibration.entries[0] = {2, 7};
  ws->calibration.entries[1] = {5, 9};
  ws->calibration.entries[2] = {-4, 5000};
  ws->calibration.count = 3;
  ws->selectedStar[kBlue] = 3;
  ws->selectedStar[kGreen] = 1024;
  return ws;
}

struct Probe {
  int x, y;
  Rgb want;
};

struct Mode {
  const char* name;
  std::uint32_t options, progress;
  int panel;
  std::vector<Probe> probes;
};

constexpr std::uint32_t kSel = OPT_SELECTION_SHOWN;
constexpr std::uint32_t kCal = PRG_CALIBRATION_STAR;

const Mode kModes[] = {
    {"SelectionOverCalibration",
     kSel,
     kCal,
     kBlue,
     {{20, 20, kCalibrate},
      {21, 20, kSelection},
      {22, 20, kSelection},
      {374, 241, kSelection},
      {40, 40, kCalibrate},
      {41, 40, kGrey},
      {0, 0, kGrey}}},
    {"GreenStarNumbersInTheGreenPanel",
     kSel,
     kCal,
     kGreen,
     {{60, 60, kCalibrate}, {61, 61, kCalibrate}, {62, 62, kGrey}}},
    {"SelectionHidden", 0, kCal, kBlue, {{20, 20, kCalibrate}, {22, 20, kGrey}}},
    {"NoCalibrationStarYet", kSel, 0, kBlue, {{20, 20, kGrey}, {22, 20, kSelection}}},
    {"CalibrationHidden",
     kSel | OPT_HIDE_CALIBRATION,
     kCal,
     kBlue,
     {{20, 20, kGrey}, {22, 20, kSelection}}},
    {"MoveModeLeavesTheGreenPanelVoid",
     OPT_MOVE_MODE | OPT_CURVE_VIEW_GREEN | kSel,
     kCal,
     kGreen,
     {{60, 60, kVoid}, {10, 50, kVoid}, {200, 232, kVoid}}},
    {"OverlayGoesBeforePlotAndHighlights",
     OPT_MOVE_MODE | OPT_CURVE_VIEW_BLUE | kSel,
     kCal,
     kBlue,
     {{21, 20, kOverlay}, {20, 20, kOverlay}, {10, 50, kOverlay}}},
    {"PlotAxesOnBlackWithoutCurveOrHighlights",
     OPT_CURVE_VIEW_BLUE | kSel,
     kCal,
     kBlue,
     {{10, 0, kWhite},
      {10, 232, kWhite},
      {374, 232, kWhite},
      {9, 232, kBlack},
      {11, 231, kBlack},
      {10, 233, kBlack},
      {200, 116, kBlack},
      {21, 20, kBlack}}},
    {"PlotCurveOnceMagnitudesAreCalculated",
     OPT_CURVE_VIEW_GREEN,
     PRG_MAGNITUDES,
     kGreen,
     {{11, 116, kWhite},
      {374, 116, kWhite},
      {9, 116, kBlack},
      {200, 115, kBlack},
      {200, 117, kBlack}}},
};

TEST(Render, ModesByProbes) {
  for (const Mode& m : kModes) {
    SCOPED_TRACE(m.name);
    auto ws = scene();
    ws->optionFlags = m.options;
    ws->progressFlags = m.progress;
    std::memset(ws->picture, 0x5A, sizeof ws->picture);
    renderImage(*ws, m.panel);
    for (const Probe& p : m.probes)
      EXPECT_EQ(test::pictureAt(*ws, m.panel, p.x, p.y), p.want) << p.x << "," << p.y;
    // The padding of every row and the other panel keep their bytes.
    for (int panel = 0; panel < 2; ++panel)
      for (int y = 0; y < kImageHeight; ++y)
        for (int k = panel == m.panel ? kImageWidth * 3 : 0; k < kPictureStride; ++k)
          ASSERT_EQ(ws->picture[panel][y * kPictureStride + k], 0x5A) << panel << " row " << y;
  }
}

}  // namespace
}  // namespace orelith
