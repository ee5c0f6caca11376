// The renderer against its rules written out plainly on random states; the modes by probes;
// the calibration plot worked by hand; the PNG file read back.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <ostream>
#include <random>
#include <tuple>
#include <vector>

#include "display/DisplayControls.h"
#include "display/PanelView.h"
#include "display/PngWriter.h"
#include "display/Render.h"
#include "tests/support/TestWorkspace.h"

namespace orelith {
namespace {

namespace fs = std::filesystem;

struct Rgb {
  int r, g, b;
  bool operator==(const Rgb&) const = default;
};

void PrintTo(const Rgb& c, std::ostream* os) {
  *os << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

// The buffer stores blue, green, red.
Rgb pictureAt(const Workspace& ws, int panel, int x, int y) {
  const std::uint8_t* p = ws.picture[panel] + y * kPictureStride + x * 3;
  return {p[2], p[1], p[0]};
}

Rgb tableColor(const Workspace& ws, int k) {
  const std::uint8_t* c = ws.display.colorTable + 3 * k;
  return {c[0], c[1], c[2]};
}

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};

int referenceGrey(int v, double bg, int range) {
  return static_cast<int>(std::clamp((v - bg) / range, 0.0, 1.0) * 255 + 0.5);
}

bool inside(const SearchRect& r, int x, int y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

int background(const Workspace& ws, int image) {
  return static_cast<int>(ws.backgroundLevel[image]) + ws.display.backgroundOffset[image];
}

// The picture rules of grey, two-colour and overlay panels, pixel by pixel.
Rgb literalPixel(const Workspace& ws, int image, int x, int y) {
  const bool move = hasBit(ws.optionFlags, OPT_MOVE_MODE);
  if ((move && image == kGreen) || !inside(ws.searchRect[image], x, y))
    return tableColor(ws, kColorVoid);
  const int v = static_cast<int>(pixelAt(ws, image, x, y)), bg = background(ws, image);
  const bool custom =
      hasBit(ws.optionFlags, image == kBlue ? OPT_CUSTOM_COLORS_BLUE : OPT_CUSTOM_COLORS_GREEN);
  const int level = referenceGrey(v, bg, ws.display.range[image]);
  if (!move)
    return custom ? tableColor(ws, v > bg ? kColorWhite : kColorBackground)
                  : Rgb{level, level, level};
  const int gx = x + ws.offsetX, gy = y + ws.offsetY;
  const bool counts = inside(ws.searchRect[kGreen], gx, gy) && insideImage(ws, kGreen, gx, gy);
  const int g = counts ? static_cast<int>(pixelAt(ws, kGreen, gx, gy)) : 0;
  if (!custom)
    return {0, counts ? referenceGrey(g, background(ws, kGreen), ws.display.range[kGreen]) : 0,
            level};
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
          mismatches += pictureAt(*ws, image, x, y) != literalPixel(*ws, image, x, y);
      ASSERT_EQ(mismatches, 0) << "trial " << trial << " image " << image << " options "
                               << ws->optionFlags;
    }
  }
}

constexpr Rgb kGrey{128, 128, 128};  // 100 over a background of 0 with range 200
constexpr Rgb kOverlay{0, 128, 128};
constexpr Rgb kVoid{192, 192, 192};  // the start colours
constexpr Rgb kCalibrate{0, 255, 0};
constexpr Rgb kSelection{0, 0, 255};

// Gives star `number` of `image` the listed pixels.
void setStarPixels(Workspace& ws, int image, int number, std::initializer_list<PixelPos> pixels) {
  StarRecord& s = star(ws, image, number);
  s.pixelStart = number * kMaxStarPixels;  // a part of the pool of its own
  s.pixelCount = 0;
  sized(ws.starPixelPool[image], s.pixelStart + pixels.size());
  for (PixelPos p : pixels) ws.starPixelPool[image][s.pixelStart + s.pixelCount++] = p;
  ws.starCount[image] = std::max(ws.starCount[image], number + 1);
}

// Blue star 2 / green star 7 and blue star 5 / green star 9 are calibration
// pairs; the selected blue star 3 overlaps star 2 at (21, 20) and has pixels
// outside the image; a third entry names no star, and the green selection a
// record the last search did not reach, whose old pixels lie at (63, 63).
std::unique_ptr<Workspace> scene() {
  auto ws = test::makeWorkspace();
  for (int image : {kBlue, kGreen}) {
    ws->searchRect[image] = kWholeImage;
    test::fillPlane(*ws, image, 100);
    ws->display.range[image] = 200;
    ws->curves[image][0] = 12;  // row (12 - 8) * 0.125 * 232 = 116
  }
  setStarPixels(*ws, kBlue, 2, {{20, 20}, {21, 20}});
  setStarPixels(*ws, kBlue, 5, {{40, 40}});
  setStarPixels(*ws, kBlue, 3, {{21, 20}, {22, 20}, {374, 241}, {375, 0}, {65535, 65535}});
  setStarPixels(*ws, kGreen, 7, {{60, 60}});
  setStarPixels(*ws, kGreen, 9, {{61, 61}});
  setStarPixels(*ws, kGreen, 2, {{62, 62}});
  setStarPixels(*ws, kGreen, 12, {{63, 63}});
  ws->starCount[kGreen] = 10;
  ws->calibration = {{{2, 7}, {5, 9}, {-4, 5000}}, 3};
  ws->selectedStar[kBlue] = 3;
  ws->selectedStar[kGreen] = 12;
  return ws;
}

struct Mode {
  const char* name;
  std::uint32_t options, progress;
  int panel;
  std::vector<std::tuple<int, int, Rgb>> probes;  // x, y, colour
};

constexpr std::uint32_t kSel = OPT_SELECTION_SHOWN;
constexpr std::uint32_t kCal = PRG_CALIBRATION_STAR;

// clang-format off
const Mode kModes[] = {
    {"SelectionOverCalibration", kSel, kCal, kBlue,
     {{20, 20, kCalibrate}, {21, 20, kSelection}, {374, 241, kSelection}, {41, 40, kGrey}}},
    {"GreenStarNumbersInTheGreenPanel", kSel, kCal, kGreen,
     {{60, 60, kCalibrate}, {61, 61, kCalibrate}, {62, 62, kGrey}, {63, 63, kGrey}}},
    {"SelectionHidden", 0, kCal, kBlue, {{20, 20, kCalibrate}, {22, 20, kGrey}}},
    {"NoCalibrationStarYet", kSel, 0, kBlue, {{20, 20, kGrey}, {22, 20, kSelection}}},
    {"CalibrationHidden", kSel | OPT_HIDE_CALIBRATION, kCal, kBlue,
     {{20, 20, kGrey}, {22, 20, kSelection}}},
    {"MoveModeLeavesTheGreenPanelVoid", OPT_MOVE_MODE | OPT_CURVE_VIEW_GREEN | kSel, kCal, kGreen,
     {{60, 60, kVoid}, {10, 50, kVoid}, {200, 232, kVoid}}},
    {"OverlayGoesBeforePlotAndHighlights", OPT_MOVE_MODE | OPT_CURVE_VIEW_BLUE | kSel, kCal, kBlue,
     {{21, 20, kOverlay}, {20, 20, kOverlay}, {10, 50, kOverlay}}},
    {"PlotAxesOnBlackWithoutCurveOrHighlights", OPT_CURVE_VIEW_BLUE | kSel, kCal, kBlue,
     {{10, 0, kWhite}, {374, 232, kWhite}, {9, 232, kBlack}, {200, 116, kBlack}, {21, 20, kBlack}}},
};
// clang-format on

TEST(Render, ModesByProbes) {
  for (const Mode& m : kModes) {
    SCOPED_TRACE(m.name);
    auto ws = scene();
    ws->optionFlags = m.options;
    ws->progressFlags = m.progress;
    std::memset(ws->picture, 0x5A, sizeof ws->picture);
    renderImage(*ws, m.panel);
    for (const auto& [x, y, want] : m.probes)
      EXPECT_EQ(pictureAt(*ws, m.panel, x, y), want) << x << "," << y;
    // The padding of every row and the other panel keep their bytes.
    for (int panel = 0; panel < 2; ++panel)
      for (int y = 0; y < kImageHeight; ++y)
        for (int k = panel == m.panel ? kImageWidth * 3 : 0; k < kPictureStride; ++k)
          ASSERT_EQ(ws->picture[panel][y * kPictureStride + k], 0x5A) << panel << " row " << y;
  }
}

TEST(Render, MaskedPixelsDrawAsTheLowestValue) {
  // A FITS frame's blank pixels are NaN; at 1:1 they draw as a value below
  // the background (black) instead of an undefined conversion to int.
  auto ws = scene();
  pixelAt(*ws, kBlue, 30, 30) = std::nanf("");
  renderImage(*ws, kBlue);
  EXPECT_EQ(pictureAt(*ws, kBlue, 30, 30), kBlack);
  EXPECT_EQ(pictureAt(*ws, kBlue, 31, 30), kGrey);
}

// A floating-point frame of values 0..0.374 (x / 1000): the range slider counts steps of 0.001,
// the power of ten that lets 1024 steps span them, and each value draws as its own share of the
// range (by hand, range 0.1 over 0.05: 0.075 gives 0.25 * 255 + 0.5 -> 64). Other frames keep 1.
TEST(Render, AFloatFramesRangeCountsStepsOfItsUnit) {
  auto ws = test::makeWorkspace();
  ws->searchRect[kBlue] = kWholeImage;
  for (int y = 0; y < kImageHeight; ++y)
    for (int x = 0; x < kImageWidth; ++x) pixelAt(*ws, kBlue, x, y) = static_cast<float>(x) / 1000;
  for (const bool floats : {false, true}) {
    ws->floatFrame[kBlue] = floats;
    chooseRangeUnit(*ws, kBlue);
    EXPECT_DOUBLE_EQ(ws->display.rangeUnit[kBlue], floats ? 0.001 : 1.0);
  }
  ws->display.range[kBlue] = rangePosition(*ws, kBlue, 0.1);
  EXPECT_EQ(ws->display.range[kBlue], 100);
  ws->backgroundLevel[kBlue] = 0.05;
  renderImage(*ws, kBlue);
  for (const auto& [x, grey] : {std::pair{50, 0}, {75, 64}, {100, 128}, {150, 255}})
    EXPECT_EQ(pictureAt(*ws, kBlue, x, 0), (Rgb{grey, grey, grey})) << x;
}

// "Show flagged stars": a ring round each flagged star, the star itself as it was (hot blue star
// 5, one pixel at (40, 40): radius 2 + ceil(sqrt(1 / pi)) = 3 by hand; saturated star 2, two
// pixels at (20, 20): also 3). Off, or without the flags, the picture is byte for byte the same.
TEST(Render, FlaggedStarsRingedOnlyWhenAsked) {
  auto ws = scene();
  star(*ws, kBlue, 5).marks |= MARK_HOT;
  star(*ws, kBlue, 5).x = star(*ws, kBlue, 5).y = 40;
  star(*ws, kBlue, 2).x = star(*ws, kBlue, 2).y = 20;
  FlagTable flags;
  flags.image[kBlue].star = {0, 0, FLAG_SATURATED};
  renderImage(*ws, kBlue);
  const std::vector<std::uint8_t> plain(ws->picture[kBlue], ws->picture[kBlue] + kPictureBytes);
  const auto same = [&] { return std::equal(plain.begin(), plain.end(), ws->picture[kBlue]); };
  renderImage(*ws, kBlue, &flags);
  EXPECT_TRUE(same()) << "option off";
  ws->optionFlags = OPT_SHOW_FLAGGED;
  renderImage(*ws, kBlue);
  EXPECT_TRUE(same()) << "no flags";
  renderImage(*ws, kBlue, &flags);
  const Rgb ring{kFlaggedRingRgb[0], kFlaggedRingRgb[1], kFlaggedRingRgb[2]};
  for (auto [x, y] : {std::pair{43, 40}, {37, 40}, {40, 43}, {20, 17}, {23, 20}})
    EXPECT_EQ(pictureAt(*ws, kBlue, x, y), ring) << x << "," << y;
  for (auto [x, y] : {std::pair{40, 40}, {42, 40}, {20, 20}, {46, 40}})
    EXPECT_EQ(pictureAt(*ws, kBlue, x, y), kGrey) << x << "," << y;
  // Zoomed in twice from frame pixel (30, 30): star 5's centre on panel pixel
  // floor((40.5 - 30) * 2) = 21 each way, the ring twice as wide.
  setView(*ws, kBlue, {2, 30, 30});
  renderImage(*ws, kBlue, &flags);
  EXPECT_EQ(pictureAt(*ws, kBlue, 27, 21), ring);
  EXPECT_NE(pictureAt(*ws, kBlue, 24, 21), ring);
}

bool onAxis(int x, int y) { return (x == 10 && y <= 232) || (y == 232 && x >= 10); }

class Plot : public ::testing::Test {
 protected:
  void SetUp() override {
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
  std::unique_ptr<Workspace> ws = test::makeWorkspace();
};

TEST_F(Plot, CurvePutsOneWhitePixelPerColumn) {
  // Constant, slope, column, row by hand: lg = (x - 10) * 7 / 365, row =
  // (m - 8) * 29, truncated; -1 = none.
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::tuple<double, double, int, int> rows[] = {
      {8, 1, 100, 50},     // lg 1.726, row 50.05
      {7.99, 0, 50, 0},    // row -0.29 truncates to 0
      {7.95, 0, 50, -1},   // row -1.45: outside
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

// Past the first 16, markers count down a green of 238 .. 175 with the block of 64 in the red
// byte: each of a thousand tells its entry. Marker i at column 30 + 50 i, row 116 (B = 12).
TEST_F(Plot, EachOfAThousandMarkersTellsItsEntry) {
  const int picked[] = {0, 15, 16, 79, 80, 999};
  for (int j = 0; j < 1000; ++j) {
    appendCalibrationEntry(*ws, {j, j});
    star(*ws, kBlue, j).lgBrightness = std::nanf("");
  }
  for (int i = 0; i < 6; ++i) {
    star(*ws, kBlue, picked[i]).magnitudeB = 12;
    star(*ws, kBlue, picked[i]).lgBrightness = static_cast<float>(20.5 + 50 * i) * 7 / 365;
  }
  renderImage(*ws, kBlue);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(calibrationMarkerAt(*ws, kBlue, 30 + 50 * i, 117), picked[i]);
    EXPECT_GE(pictureAt(*ws, kBlue, 30 + 50 * i, 117).g, 175);
  }
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
    // the workspace's members around the pictures (the display and science
    // settings before them, the scratch buffers' handles after them). Only
    // bytes of the workspace itself are compared: it may end a heap block.
    std::memset(ws->picture, 0xA5, sizeof ws->picture);
    const auto* first = &ws->picture[0][0];
    const auto* start = reinterpret_cast<const std::uint8_t*>(&ws->display);
    const auto* last = first + sizeof ws->picture;
    const auto* end = reinterpret_cast<const std::uint8_t*>(ws.get()) + sizeof(Workspace);
    const std::vector<std::uint8_t> before(start, first), after(last, end);
    renderImage(*ws, panel);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), start));
    EXPECT_TRUE(std::equal(after.begin(), after.end(), last));
    for (int i = 0; i < kPictureBytes; ++i) ASSERT_EQ(ws->picture[1 - panel][i], 0xA5) << i;
    // clang-format off
    for (auto [x, y, g] : {std::tuple{0, 116, 254}, {1, 116, 0}, {100, 0, 253}, {101, 0, 0},
                           {374, 241, 252}, {374, 240, 252}, {373, 241, 252}, {200, 241, 251},
                           {199, 241, 0}})
      // clang-format on
      EXPECT_EQ(pictureAt(*ws, panel, x, y).g, g) << panel << ": " << x << "," << y;
  }
}

TEST(PngWriter, WritesThePictureAsRgbAndReportsFailures) {
  auto ws = test::makeWorkspace();
  const fs::path dir = test::makeTempDir(), file = dir / "green.png";
  ws->searchRect[kGreen] = {0, 0, 200, 100};
  for (int x = 0; x < kImageWidth; ++x)
    for (int y = 0; y < kImageHeight; ++y)
      pixelAt(*ws, kGreen, x, y) = static_cast<std::uint16_t>(x + y);
  ws->display.range[kGreen] = 600;
  renderImage(*ws, kGreen);
  ASSERT_TRUE(writePanelPng(*ws, kGreen, file.string()));

  // Read back with libpng's simplified API, written by others.
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&image, file.c_str()));
  image.format = PNG_FORMAT_RGB;
  std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
  ASSERT_EQ(std::pair(image.width, image.height), std::pair(375u, 242u));
  int mismatches = 0;
  for (int i = 0; i < kPixelCount; ++i) {  // the picture stores blue, green, red
    const auto* p = ws->picture[kGreen] + i / kImageWidth * kPictureStride + i % kImageWidth * 3;
    mismatches += rgb[3 * i] != p[2] || rgb[3 * i + 1] != p[1] || rgb[3 * i + 2] != p[0];
  }
  EXPECT_EQ(mismatches, 0);

  EXPECT_FALSE(writePanelPng(*ws, kGreen, (dir / "missing" / "x.png").string()));
  EXPECT_FALSE(writePanelPng(*ws, 2, (dir / "panel2.png").string()));
  EXPECT_FALSE(fs::exists(dir / "panel2.png"));
  fs::remove_all(dir);
}

}  // namespace
}  // namespace orelith
