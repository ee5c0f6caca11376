// The star search on painted fields: '.' is the sky of 100, a digit d is 100 + (d + 1) * 100.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "analysis/StarSearch.h"
#include "resources/StringTable.h"
#include "tests/support/TestWorkspace.h"

namespace orelith {
namespace {

struct PatternCase {
  const char* name;
  std::vector<std::string> rows;
  std::vector<std::array<int, 3>> stars;  // brightness, x, y
  SearchRect rect = kWholeImage;
  std::uint32_t options = 0;
};

// Brightness by hand: each digit d contributes (d + 1) * 100 over the level of 100.
TEST(StarSearch, FindsStarsPositionsAndBrightness) {
  // clang-format off
  const PatternCase cases[] = {
      {"SinglePixelOneAbove", {"", ".0"}, {{100, 1, 1}}},
      {"DiagonalNeighboursAreTwoStars", {"0.", ".0"}, {{100, 0, 0}, {100, 1, 1}}},
      // The brightest value twice: the one the fill takes first keeps the position. The fill
      // starts at (1,0) and goes left before down.
      {"TieKeepsFirstInFillOrder", {".59", ".9."}, {{2600, 2, 0}}},
      {"PlusShape", {".1.", "131", ".1."}, {{4 * 200 + 400, 1, 1}}},
      // Numbered in the order of their top-most pixel, row by row.
      {"RowOrderNumbering", {"..0", "0..", "..."}, {{100, 2, 0}, {100, 0, 1}}},
      {"NoSubtractionSumsTheValues", {".0"}, {{200, 1, 0}}, kWholeImage, OPT_NO_BG_SUBTRACT},
      // Pixels outside the rectangle never join a star; a rectangle beyond the image is clipped.
      {"RectangleCutsTheStar", {"00000"}, {{300, 1, 0}}, {1, 0, 4, 1}},
      {"RectangleBeyondTheImage", {".0"}, {{100, 1, 0}}, {-16, -16, 391, 258}},
      {"ZeroWidthRectangleIsEmpty", {"999"}, {}, {1, 0, 1, 242}}};
  // clang-format on
  for (const PatternCase& c : cases) {
    auto ws = test::makeWorkspace();
    test::paintPattern(*ws, kBlue, c.rows);
    ws->searchRect[kBlue] = c.rect, ws->backgroundLevel[kBlue] = 100;
    ws->optionFlags = c.options;
    EXPECT_EQ(searchStars(*ws, kBlue), (Outcome<SearchStatus>{}));
    EXPECT_TRUE(hasBit(ws->progressFlags, PRG_BLUE_SEARCHED));
    std::vector<std::array<int, 3>> found;
    for (int k = 0; k < ws->starCount[kBlue]; ++k) {
      const StarRecord& s = star(*ws, kBlue, k);
      found.push_back({static_cast<int>(s.brightness), s.x, s.y});
    }
    EXPECT_EQ(found, c.stars) << c.name;
  }
}

// A 3-pixel star of values 200..400, fill depth 3, marked as configured.
TEST(StarSearch, MarksEveryStarAsConfigured) {
  const std::array<int, 3> rows[] = {// hot pixel value, pixel per star, expected marks
                                     {0, 64, MARK_HOT}, {65530, 0, 0},       {65530, 3, MARK_LARGE},
                                     {65530, 4, 0},     {400, 64, MARK_HOT}, {401, 64, 0}};
  for (const auto& [hot, pixelPerStar, marks] : rows) {
    auto ws = test::makeWorkspace();
    test::paintPattern(*ws, kBlue, {"012", "", "1"});
    ws->searchRect[kBlue] = kWholeImage, ws->backgroundLevel[kBlue] = 100;
    ws->algorithm.hotPixelValue = hot;
    ws->algorithm.pixelPerStar = static_cast<std::uint16_t>(pixelPerStar);
    searchStars(*ws, kBlue);
    ASSERT_EQ(ws->starCount[kBlue], 2);
    EXPECT_EQ(star(*ws, kBlue, 0).marks & (MARK_HOT | MARK_LARGE), std::uint32_t(marks))
        << hot << " " << pixelPerStar;
  }
}

// Isolated pixels of 10 over 0 on a grid of pitch 2.
void gridStars(Workspace& ws, int count) {
  for (int k = 0; k < count; ++k) pixelAt(ws, kBlue, 2 * (k % 180), 2 * (k / 180)) = 10;
}

// A one-pixel-wide serpentine of `length` pixels from (0, 0): the fill goes a level deeper a pixel.
void path(Workspace& ws, int length) {
  for (int row = 0, placed = 0; placed < length; row += 2) {
    const bool rightwards = (row / 2) % 2 == 0;
    for (int i = 0; i < 100 && placed < length; ++i, ++placed)
      pixelAt(ws, kBlue, rightwards ? i : 99 - i, row) = 10;
    if (placed++ < length) pixelAt(ws, kBlue, rightwards ? 99 : 0, row + 1) = 10;
  }
}

// A comb of 512 pixels (a row of 100 with teeth from every other column) is never deeper than
// 108: a valid star, where a path of 512 is not.
void comb(Workspace& ws, int) {
  for (int x = 0; x < 100; ++x) {
    const int tooth = x == 0 ? 20 : (x % 2 == 0 ? 8 : 0);
    for (int y = 0; y <= tooth; ++y) pixelAt(ws, kBlue, 100 + x, 100 + y) = 10;
  }
}

TEST(StarSearch, StarCountDepthAndSizeLimits) {
  struct Row {
    const char* name;
    void (*paint)(Workspace&, int);
    int size;
    int stars;   // found
    int pixels;  // of star 0
    Outcome<SearchStatus> outcome;
  };
  // clang-format off
  const Row rows[] = {
      {"OneStarTooMany", gridStars, kMaxStars + 1, 0, 0,
       {SearchStatus::TooManyStars, str::TooManyStars}},
      {"Path512ReachesDepthLimit", path, 512, 0, 0,
       {SearchStatus::TooManyPixels, str::TooManyPixelInStar}},
      {"ShallowCombOf512", comb, 0, 1, 512, {}}};
  // clang-format on
  for (const Row& c : rows) {
    auto ws = test::makeWorkspace();
    c.paint(*ws, c.size);
    ws->searchRect[kBlue] = kWholeImage;
    EXPECT_EQ(searchStars(*ws, kBlue), c.outcome) << c.name;
    EXPECT_EQ(ws->starCount[kBlue], c.stars) << c.name;
    EXPECT_EQ(hasBit(ws->progressFlags, PRG_BLUE_SEARCHED), !c.outcome.message) << c.name;
    EXPECT_EQ(c.stars > 0 ? star(*ws, kBlue, 0).pixelCount : 0, c.pixels) << c.name;
  }
}

TEST(StarSearch, EndsCalibrationWhetherOrNotItSucceeds) {
  for (bool fail : {false, true}) {
    auto ws = test::makeWorkspace();
    gridStars(*ws, fail ? kMaxStars + 1 : 3);
    ws->searchRect[kBlue] = kWholeImage;
    ws->calibration.count = 1, ws->calibration.entries[0] = {2, 5};
    star(*ws, kBlue, 2).marks = MARK_CALIBRATION | MARK_IGNORE;
    star(*ws, kGreen, 5).marks = MARK_CALIBRATION;
    star(*ws, kBlue, 0).partner = 5, star(*ws, kGreen, 5).partner = 0;
    ws->starCount[kGreen] = 6;
    ws->progressFlags = PRG_COMPARED | PRG_CALIBRATION_STAR | PRG_MAGNITUDES | PRG_GREEN_SEARCHED;
    searchStars(*ws, kBlue);
    EXPECT_EQ(ws->calibration.count, 0);
    EXPECT_EQ(star(*ws, kBlue, 2).marks & (MARK_CALIBRATION | MARK_IGNORE), MARK_IGNORE);
    EXPECT_EQ(star(*ws, kGreen, 5).marks, 0u);
    EXPECT_EQ(star(*ws, kBlue, 0).partner, fail ? 5 : -1);  // a failed search keeps the old records
    EXPECT_EQ(star(*ws, kGreen, 5).partner, -1);
    EXPECT_EQ(ws->progressFlags & ~(PRG_BLUE_SEARCHED), PRG_GREEN_SEARCHED);
  }
}

}  // namespace
}  // namespace orelith
