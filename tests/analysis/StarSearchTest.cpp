#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "analysis/StarSearch.h"
#include "resources/ControlIds.h"
#include "resources/StringTable.h"
#include "tests/support/ParamName.h"
#include "tests/support/RecordingPort.h"
#include "tests/support/TestWorkspace.h"

namespace orelith {
namespace {

using test::makeWorkspace;
using test::paintPattern;
using test::RecordingPort;

// A workspace with the blue image painted from `rows` (background 100 and
// digits d as 100 + (d + 1) * 100), searched over the whole image.
std::unique_ptr<Workspace> searched(const std::vector<std::string>& rows, int level = 100) {
  auto ws = makeWorkspace();
  paintPattern(*ws, kBlue, rows);
  ws->searchRect[kBlue] = kWholeImage;
  ws->backgroundLevel[kBlue] = level;
  RecordingPort port;
  searchStars(*ws, port, kBlue);
  return ws;
}

struct PatternCase {
  const char* name;
  std::vector<std::string> rows;
  int stars;
  std::vector<int> brightness;  // per star, with the background subtracted
  std::vector<PixelPos> position;
};

class PatternSearch : public testing::TestWithParam<PatternCase> {};

TEST_P(PatternSearch, FindsStarsPositionsAndBrightness) {
  const PatternCase& c = GetParam();
  auto ws = searched(c.rows);
  ASSERT_EQ(ws->starCount[kBlue], c.stars);
  for (int k = 0; k < c.stars; ++k) {
    const StarRecord& s = star(*ws, kBlue, k);
    EXPECT_EQ(static_cast<int>(s.brightness), c.brightness[k]) << "star " << k;
    EXPECT_EQ(s.x, c.position[k].x) << "star " << k;
    EXPECT_EQ(s.y, c.position[k].y) << "star " << k;
  }
}

// Brightness by hand: each digit d contributes (d + 1) * 100 over the level.
INSTANTIATE_TEST_SUITE_P(
    Patterns, PatternSearch,
    testing::Values(
        PatternCase{"SinglePixelOneAbove", {"", ".0"}, 1, {100}, {{1, 1}}},
        PatternCase{"DiagonalNeighboursAreTwoStars", {"0.", ".0"}, 2, {100, 100}, {{0, 0}, {1, 1}}},
        // The brightest value twice: the one the fill takes first keeps the
        // position. The fill starts at (1,0) and goes left before down.
        PatternCase{"TieKeepsFirstInFillOrder", {".59", ".9."}, 1, {600 + 1000 + 1000}, {{2, 0}}},
        PatternCase{"TieDownVersusRight", {"5.", "99"}, 1, {600 + 1000 + 1000}, {{0, 1}}},
        PatternCase{"PlusShape", {".1.", "131", ".1."}, 1, {4 * 200 + 400}, {{1, 1}}},
        PatternCase{"RowOrderNumbering", {"..0", "0..", "..."}, 2, {100, 100}, {{2, 0}, {0, 1}}}),
    test::ParamName());

TEST(StarSearch, PixelAtBackgroundIsNoStar) {
  auto ws = makeWorkspace();
  test::fillPlane(*ws, kBlue, 100);
  pixelAt(*ws, kBlue, 5, 5) = 101;
  pixelAt(*ws, kBlue, 9, 9) = 100;
  ws->searchRect[kBlue] = kWholeImage;
  ws->backgroundLevel[kBlue] = 100;
  RecordingPort port;
  searchStars(*ws, port, kBlue);
  ASSERT_EQ(ws->starCount[kBlue], 1);
  EXPECT_EQ(star(*ws, kBlue, 0).brightness, 1u);
  EXPECT_EQ(labelAt(*ws, kBlue, 9, 9), kLabelNoStar);
  EXPECT_EQ(labelAt(*ws, kBlue, 5, 5), 0);
}

TEST(StarSearch, WithoutSubtractionBrightnessIsTheValue) {
  auto ws = makeWorkspace();
  test::fillPlane(*ws, kBlue, 100);
  pixelAt(*ws, kBlue, 5, 5) = 101;
  ws->searchRect[kBlue] = kWholeImage;
  ws->backgroundLevel[kBlue] = 100;
  ws->optionFlags |= OPT_NO_BG_SUBTRACT;
  RecordingPort port;
  searchStars(*ws, port, kBlue);
  EXPECT_EQ(star(*ws, kBlue, 0).brightness, 101u);
  EXPECT_FLOAT_EQ(star(*ws, kBlue, 0).lgBrightness, static_cast<float>(std::log10(101.0L)));
}

TEST(StarSearch, NumberingFollowsTopMostPixel) {
  auto ws = makeWorkspace();
  test::fillPlane(*ws, kBlue, 0);
  pixelAt(*ws, kBlue, 2, 6) = 50;
  pixelAt(*ws, kBlue, 300, 5) = 50;
  ws->searchRect[kBlue] = kWholeImage;
  RecordingPort port;
  searchStars(*ws, port, kBlue);
  ASSERT_EQ(ws->starCount[kBlue], 2);
  EXPECT_EQ(star(*ws, kBlue, 0).x, 300);
  EXPECT_EQ(star(*ws, kBlue, 1).x, 2);
}

struct MarkCase {
  const char* name;
  int hotValue;
  int pixelPerStar;
  std::uint32_t expectedMarks;  // for a 3-pixel star of values 200..400
};

class MarkSearch : public testing::TestWithParam<MarkCase> {};

TEST_P(MarkSearch, MarksEveryStarAsConfigured) {
  const MarkCase& c = GetParam();
  auto ws = makeWorkspace();
  paintPattern(*ws, kBlue, {"012", "", "1"});
  ws->searchRect[kBlue] = kWholeImage;
  ws->backgroundLevel[kBlue] = 100;
  ws->algorithm.hotPixelValue = c.hotValue;
  ws->algorithm.pixelPerStar = static_cast<std::uint16_t>(c.pixelPerStar);
  RecordingPort port;
  searchStars(*ws, port, kBlue);
  ASSERT_EQ(ws->starCount[kBlue], 2);
  EXPECT_EQ(star(*ws, kBlue, 0).marks & (MARK_HOT | MARK_LARGE), c.expectedMarks);
}

INSTANTIATE_TEST_SUITE_P(Marks, MarkSearch,
                         testing::Values(MarkCase{"HotValueZeroMarksAll", 0, 64, MARK_HOT},
                                         MarkCase{"PixelPerStarZeroMarksNone", 65530, 0, 0},
                                         MarkCase{"PixelPerStarOneMarksAll", 65530, 1, MARK_LARGE},
                                         MarkCase{"DepthThreeReached", 65530, 3, MARK_LARGE},
                                         MarkCase{"DepthFourNotReached", 65530, 4, 0},
                                         MarkCase{"HotAtExactValue", 400, 64, MARK_HOT},
                                         MarkCase{"HotAboveEveryValue", 401, 64, 0}),
                         test::ParamName());

TEST(StarSearch, ZeroWidthRectangleSucceedsEmpty) {
  auto ws = makeWorkspace();
  paintPattern(*ws, kBlue, {"999"});
  ws->searchRect[kBlue] = {1, 0, 1, 242};
  ws->backgroundLevel[kBlue] = 100;
  RecordingPort port;
  searchStars(*ws, port, kBlue);
  EXPECT_EQ(ws->starCount[kBlue], 0);
  EXPECT_TRUE(ws->progressFlags & PRG_BLUE_SEARCHED);
  EXPECT_TRUE(port.messages().empty());
}

TEST(StarSearch, PixelsOutsideTheRectangleNeverJoin) {
  auto ws = makeWorkspace();
  paintPattern(*ws, kBlue, {"00000"});
  labelAt(*ws, kBlue, 0, 0) = 77;  // outside: keeps its old label
  ws->searchRect[kBlue] = {1, 0, 4, 1};
  ws->backgroundLevel[kBlue] = 100;
  RecordingPort port;
  searchStars(*ws, port, kBlue);
  ASSERT_EQ(ws->starCount[kBlue], 1);
  EXPECT_EQ(star(*ws, kBlue, 0).pixelCount, 3);
  EXPECT_EQ(labelAt(*ws, kBlue, 0, 0), 77);
}

TEST(StarSearch, RectangleBeyondTheImageIsClipped) {
  auto ws = makeWorkspace();
  test::fillPlane(*ws, kBlue, 0);
  pixelAt(*ws, kBlue, 374, 241) = 9;
  ws->searchRect[kBlue] = {-16, -16, 391, 258};
  RecordingPort port;
  searchStars(*ws, port, kBlue);
  EXPECT_EQ(ws->starCount[kBlue], 1);
}

// Isolated pixels on a grid of pitch 2: `count` stars.
void paintGridStars(Workspace& ws, int count) {
  test::fillPlane(ws, kBlue, 0);
  for (int k = 0; k < count; ++k) pixelAt(ws, kBlue, 2 * (k % 180), 2 * (k / 180)) = 10;
  ws.searchRect[kBlue] = kWholeImage;
}

TEST(StarSearch, ExactlyTheStarLimitSucceeds) {
  auto ws = makeWorkspace();
  paintGridStars(*ws, kMaxStars);
  RecordingPort port;
  searchStars(*ws, port, kBlue);
  EXPECT_EQ(ws->starCount[kBlue], kMaxStars);
  EXPECT_TRUE(port.messages().empty());
}

TEST(StarSearch, OneStarTooManyFailsWithMessage14) {
  auto ws = makeWorkspace();
  paintGridStars(*ws, kMaxStars + 1);
  RecordingPort port;
  searchStars(*ws, port, kBlue);
  EXPECT_EQ(ws->starCount[kBlue], 0);
  EXPECT_EQ(port.messages(), std::vector<int>{str::TooManyStars});
  EXPECT_FALSE(ws->progressFlags & PRG_BLUE_SEARCHED);
}

// A one-pixel-wide serpentine path of `length` pixels starting at (0, 0),
// which the fill walks end to end, one level deeper per pixel.
void paintPath(Workspace& ws, int length) {
  test::fillPlane(ws, kBlue, 0);
  int placed = 0;
  for (int row = 0; placed < length; row += 2) {
    const bool rightwards = (row / 2) % 2 == 0;
    for (int i = 0; i < 100 && placed < length; ++i, ++placed)
      pixelAt(ws, kBlue, rightwards ? i : 99 - i, row) = 10;
    if (placed < length) {
      pixelAt(ws, kBlue, rightwards ? 99 : 0, row + 1) = 10;
      ++placed;
    }
  }
  ws.searchRect[kBlue] = kWholeImage;
}

struct LimitCase {
  const char* name;
  int length;
  int message;  // 0 = none
};

class PixelLimit : public testing::TestWithParam<LimitCase> {};

TEST_P(PixelLimit, DepthAndSizeLimits) {
  auto ws = makeWorkspace();
  paintPath(*ws, GetParam().length);
  RecordingPort port;
  searchStars(*ws, port, kBlue);
  if (GetParam().message == 0) {
    EXPECT_TRUE(port.messages().empty());
    EXPECT_EQ(ws->starCount[kBlue], 1);
    EXPECT_EQ(star(*ws, kBlue, 0).pixelCount, GetParam().length);
  } else {
    EXPECT_EQ(port.messages(), std::vector<int>{GetParam().message});
    EXPECT_EQ(ws->starCount[kBlue], 0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, PixelLimit,
    testing::Values(LimitCase{"Path511IsAStar", 511, 0},
                    LimitCase{"Path512ReachesDepthLimit", 512, str::TooManyPixelInStar},
                    LimitCase{"Path600IsTooLarge", 600, str::TooManyPixelInStar}),
    test::ParamName());

// A filled block is walked as a serpentine and fails like a path; a comb of
// 512 pixels (a row of 100 with teeth hanging from every other column) is
// never deeper than 108 and is a valid star.
TEST(StarSearch, ShallowStarOf512PixelsIsAccepted) {
  auto ws = makeWorkspace();
  test::fillPlane(*ws, kBlue, 0);
  for (int x = 0; x < 100; ++x) {
    pixelAt(*ws, kBlue, 100 + x, 100) = 10;
    const int tooth = x == 0 ? 20 : (x % 2 == 0 ? 8 : 0);
    for (int y = 1; y <= tooth; ++y) pixelAt(*ws, kBlue, 100 + x, 100 + y) = 10;
  }
  ws->searchRect[kBlue] = kWholeImage;
  RecordingPort port;
  searchStars(*ws, port, kBlue);
  EXPECT_EQ(ws->starCount[kBlue], 1);
  EXPECT_EQ(star(*ws, kBlue, 0).pixelCount, 512);
}

TEST(StarSearch, EndsCalibrationWhetherOrNotItSucceeds) {
  for (bool fail : {false, true}) {
    auto ws = makeWorkspace();
    paintGridStars(*ws, fail ? kMaxStars + 1 : 3);
    ws->calibration.count = 1;
    ws->calibration.entries[0] = {2, 5};
    star(*ws, kBlue, 2).marks = MARK_CALIBRATION | MARK_IGNORE;
    star(*ws, kGreen, 5).marks = MARK_CALIBRATION;
    star(*ws, kBlue, 0).partner = 5;
    star(*ws, kGreen, 5).partner = 0;
    ws->starCount[kGreen] = 6;
    ws->progressFlags = PRG_COMPARED | PRG_CALIBRATION_STAR | PRG_MAGNITUDES | PRG_GREEN_SEARCHED;
    RecordingPort port;
    searchStarsCommand(*ws, port, kBlue);
    EXPECT_EQ(ws->calibration.count, 0);
    EXPECT_EQ(star(*ws, kBlue, 2).marks & (MARK_CALIBRATION | MARK_IGNORE), MARK_IGNORE);
    EXPECT_EQ(star(*ws, kGreen, 5).marks, 0u);
    if (!fail) {
      EXPECT_EQ(star(*ws, kBlue, 0).partner, -1);  // a failed search has no star 0
    }
    EXPECT_EQ(star(*ws, kGreen, 5).partner, -1);
    EXPECT_EQ(ws->progressFlags & ~(PRG_BLUE_SEARCHED), PRG_GREEN_SEARCHED);
    EXPECT_EQ(port.enabled(ctl::ResetSelection), false);
    EXPECT_EQ(port.menuEnabled(menu::Save), true);
    EXPECT_EQ(port.count(test::PortEvent::ListRefill), 1);
    // With both images searched and no pairing, the refill offers the comparison.
    EXPECT_EQ(port.enabled(ctl::CompareImages), fail ? std::nullopt : std::optional<bool>(true));
  }
}

}  // namespace
}  // namespace orelith
