#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "analysis/Correspondence.h"
#include "resources/ControlIds.h"
#include "tests/support/LiteralCompare.h"
#include "tests/support/RecordingPort.h"
#include "tests/support/TestWorkspace.h"

namespace orelith {
namespace {

using test::makeWorkspace;
using test::PortEvent;
using test::RecordingPort;

struct RowName {
  template <class T>
  std::string operator()(const testing::TestParamInfo<T>& row) const {
    return row.param.name;
  }
};

// ---- building label planes by hand ----

void clearLabels(Workspace& ws, int image, std::uint16_t value = kLabelNoStar) {
  for (int x = 0; x < kImageWidth; ++x)
    for (int y = 0; y < kImageHeight; ++y) labelAt(ws, image, x, y) = value;
}

// Labels the block of columns x0..x1 and rows y0..y1 (inclusive) as star n.
void block(Workspace& ws, int image, int n, int x0, int y0, int x1, int y1) {
  for (int x = x0; x <= x1; ++x)
    for (int y = y0; y <= y1; ++y) labelAt(ws, image, x, y) = static_cast<std::uint16_t>(n);
}

// Both images searched over the whole image with `blue` and `green` stars and
// no star pixel yet; the star records sit at the origin.
std::unique_ptr<Workspace> emptyField(int blue, int green) {
  auto ws = makeWorkspace();
  clearLabels(*ws, kBlue);
  clearLabels(*ws, kGreen);
  ws->searchRect[kBlue] = kWholeImage;
  ws->searchRect[kGreen] = kWholeImage;
  ws->starCount[kBlue] = blue;
  ws->starCount[kGreen] = green;
  ws->progressFlags = PRG_BLUE_LOADED | PRG_GREEN_LOADED | PRG_BLUE_SEARCHED | PRG_GREEN_SEARCHED;
  return ws;
}

// A one-pixel star n of `image` at (x, y), with its record's position.
void pointStar(Workspace& ws, int image, int n, int x, int y) {
  labelAt(ws, image, x, y) = static_cast<std::uint16_t>(n);
  star(ws, image, n).x = static_cast<std::uint16_t>(x);
  star(ws, image, n).y = static_cast<std::uint16_t>(y);
}

PortEvent ev(PortEvent::Kind kind, int id = 0, bool on = false, std::string text = {}) {
  return {kind, id, on, std::move(text), MessageOwner::MainWindow};
}

int partnerOf(const Workspace& ws, int image, int n) { return star(ws, image, n).partner; }

// ---- matching: automatic and manual mode ----

struct PartnerCheck {
  int image;
  int starNumber;
  int partner;
};

struct MatchRow {
  const char* name;
  std::function<void(Workspace&)> setup;  // labels, counts, rectangles, offset
  std::uint32_t options;
  int dx, dy, count;
  std::vector<PartnerCheck> partners;
};

class MatchCases : public testing::TestWithParam<MatchRow> {};

TEST_P(MatchCases, OffsetCountAndPartners) {
  const MatchRow& row = GetParam();
  auto ws = emptyField(0, 0);
  ws->optionFlags = row.options;
  row.setup(*ws);
  RecordingPort port;
  compareImages(*ws, port);
  EXPECT_EQ(ws->offsetX, row.dx);
  EXPECT_EQ(ws->offsetY, row.dy);
  EXPECT_EQ(ws->overlapCount, row.count);
  for (const PartnerCheck& p : row.partners) {
    EXPECT_EQ(partnerOf(*ws, p.image, p.starNumber), p.partner)
        << "image " << p.image << " star " << p.starNumber;
  }
}

// Expected values by hand from the drawn blocks.
INSTANTIATE_TEST_SUITE_P(
    Compare, MatchCases,
    testing::Values(
        // 3x4 + 5x2 + 1 pixels, far apart: every shift loses pixels of each.
        MatchRow{"IdenticalPlanesMatchAtZero",
                 [](Workspace& ws) {
                   for (int image : {kBlue, kGreen}) {
                     block(ws, image, 0, 20, 20, 22, 23);
                     block(ws, image, 1, 100, 50, 104, 51);
                     block(ws, image, 2, 300, 200, 300, 200);
                     ws.starCount[image] = 3;
                   }
                   ws.offsetX = 4;
                   ws.offsetY = -2;
                 },
                 0,
                 0,
                 0,
                 23,
                 {{kBlue, 0, 0}, {kBlue, 1, 1}, {kBlue, 2, 2}, {kGreen, 2, 2}}},
        // A 2x2 blue star meets a whole 2x2 green star at (-5,-5) and at (2,3).
        MatchRow{"EqualCountsKeepFirstOffset",
                 [](Workspace& ws) {
                   block(ws, kBlue, 0, 100, 100, 101, 101);
                   block(ws, kGreen, 0, 102, 103, 103, 104);
                   block(ws, kGreen, 1, 95, 95, 96, 96);
                   ws.starCount[kBlue] = 1;
                   ws.starCount[kGreen] = 2;
                 },
                 0,
                 -5,
                 -5,
                 4,
                 {{kBlue, 0, 1}, {kGreen, 1, 0}, {kGreen, 0, -1}}},
        MatchRow{"TenPixelsOnTenPixelsCountTen",
                 [](Workspace& ws) {
                   block(ws, kBlue, 0, 50, 60, 51, 64);
                   block(ws, kGreen, 0, 53, 58, 54, 62);
                   ws.starCount[kBlue] = 1;
                   ws.starCount[kGreen] = 1;
                 },
                 0,
                 3,
                 -2,
                 10,
                 {{kBlue, 0, 0}, {kGreen, 0, 0}}},
        // Upper two rows of the blue star on green 4, lower two on green 7.
        MatchRow{"LowerPixelsDecidePartner",
                 [](Workspace& ws) {
                   block(ws, kBlue, 0, 200, 100, 202, 103);
                   block(ws, kGreen, 4, 200, 100, 202, 101);
                   block(ws, kGreen, 7, 200, 102, 202, 103);
                   ws.starCount[kBlue] = 1;
                   ws.starCount[kGreen] = 8;
                 },
                 0,
                 0,
                 0,
                 12,
                 {{kBlue, 0, 7}, {kGreen, 4, 0}, {kGreen, 7, 0}, {kGreen, 5, -1}}},
        // Rows 239..241 on a copy: 15 at (0, 0); the upper two rows alone meet
        // green 1 at (-5, -5) with 10. The bottom row decides.
        MatchRow{"BottomRowCounts",
                 [](Workspace& ws) {
                   block(ws, kBlue, 0, 100, 239, 104, 241);
                   block(ws, kGreen, 0, 100, 239, 104, 241);
                   block(ws, kGreen, 1, 95, 234, 99, 235);
                   ws.starCount[kBlue] = 1;
                   ws.starCount[kGreen] = 2;
                 },
                 0,
                 0,
                 0,
                 15,
                 {{kBlue, 0, 0}, {kGreen, 1, -1}}},
        // The same at the top: rows 1..2 alone meet green 1 at (-5, 5).
        MatchRow{"TopRowCounts",
                 [](Workspace& ws) {
                   block(ws, kBlue, 0, 100, 0, 104, 2);
                   block(ws, kGreen, 0, 100, 0, 104, 2);
                   block(ws, kGreen, 1, 95, 6, 99, 7);
                   ws.starCount[kBlue] = 1;
                   ws.starCount[kGreen] = 2;
                 },
                 0,
                 0,
                 0,
                 15,
                 {{kBlue, 0, 0}, {kGreen, 1, -1}}},
        // Columns 368..374 shifted by 3: only 368..371 land inside the image.
        MatchRow{"ShiftThreeSkipsLastColumns",
                 [](Workspace& ws) {
                   block(ws, kBlue, 0, 368, 10, 374, 10);
                   block(ws, kGreen, 0, 371, 10, 374, 10);
                   ws.starCount[kBlue] = 1;
                   ws.starCount[kGreen] = 1;
                   ws.offsetX = 3;
                 },
                 OPT_MOVE_MANUALLY,
                 3,
                 0,
                 4,
                 {{kBlue, 0, 0}}},
        // After sixteen moves to the right the green rectangle starts at -16:
        // blue columns 16..20 fall on green 0..4.
        MatchRow{"ManualRectangleBeyondImage",
                 [](Workspace& ws) {
                   block(ws, kBlue, 0, 0, 5, 20, 5);
                   block(ws, kGreen, 0, 0, 5, 4, 5);
                   ws.starCount[kBlue] = 1;
                   ws.starCount[kGreen] = 1;
                   ws.offsetX = -16;
                   ws.searchRect[kGreen] = {-16, 0, 359, 242};
                 },
                 OPT_MOVE_MANUALLY,
                 -16,
                 0,
                 5,
                 {{kBlue, 0, 0}}},
        // The manual mode matches outside -5..+5 and does not search.
        MatchRow{"ManualOffsetIsNotSearched",
                 [](Workspace& ws) {
                   block(ws, kBlue, 0, 10, 10, 11, 10);
                   block(ws, kGreen, 0, 10, 10, 11, 10);
                   block(ws, kGreen, 1, 19, 2, 19, 2);
                   ws.starCount[kBlue] = 1;
                   ws.starCount[kGreen] = 2;
                   ws.offsetX = 9;
                   ws.offsetY = -8;
                 },
                 OPT_MOVE_MANUALLY,
                 9,
                 -8,
                 1,
                 {{kBlue, 0, 1}, {kGreen, 0, -1}}},
        MatchRow{"NoOverlapLeavesZeroOffset",
                 [](Workspace& ws) {
                   block(ws, kBlue, 0, 10, 10, 12, 12);
                   block(ws, kGreen, 0, 100, 100, 102, 102);
                   ws.starCount[kBlue] = 1;
                   ws.starCount[kGreen] = 1;
                   ws.offsetX = 3;
                   ws.offsetY = 3;
                 },
                 0,
                 0,
                 0,
                 0,
                 {{kBlue, 0, -1}, {kGreen, 0, -1}}},
        MatchRow{"EmptyBlueRectangleMatchesNothing",
                 [](Workspace& ws) {
                   block(ws, kBlue, 0, 10, 10, 12, 12);
                   block(ws, kGreen, 0, 10, 10, 12, 12);
                   ws.starCount[kBlue] = 1;
                   ws.starCount[kGreen] = 1;
                   ws.searchRect[kBlue] = {0, 50, 375, 50};
                 },
                 0,
                 0,
                 0,
                 0,
                 {{kBlue, 0, -1}, {kGreen, 0, -1}}}),
    RowName{});

TEST(Compare, AutomaticPairingEffects) {
  auto ws = emptyField(1, 1);
  block(*ws, kBlue, 0, 10, 10, 11, 11);
  block(*ws, kGreen, 0, 12, 11, 13, 12);
  ws->progressFlags |= PRG_CALIBRATION_STAR | PRG_MAGNITUDES;
  ws->optionFlags = OPT_SELECTION_SHOWN;
  ws->selectedStar[kBlue] = 0;
  ws->calibration.count = 1;
  RecordingPort port;
  compareImages(*ws, port);
  const std::vector<PortEvent> expected{ev(PortEvent::Enable, ctl::CompareImages, false),
                                        ev(PortEvent::ListRefill)};
  EXPECT_EQ(port.events, expected);  // no render, no offset label
  EXPECT_TRUE(hasBit(ws->progressFlags, PRG_COMPARED));
  EXPECT_FALSE(hasBit(ws->progressFlags, PRG_CALIBRATION_STAR));
  EXPECT_TRUE(hasBit(ws->progressFlags, PRG_MAGNITUDES));
  EXPECT_EQ(ws->optionFlags, OPT_SELECTION_SHOWN);
  EXPECT_EQ(ws->selectedStar[kBlue], 0);
  EXPECT_EQ(ws->calibration.count, 1);
  EXPECT_EQ(ws->offsetX, 2);
  EXPECT_EQ(ws->offsetY, 1);
}

TEST(Compare, MatchClearsOnlyCurrentStarsPartners) {
  auto ws = emptyField(2, 1);
  for (int n = 0; n < 4; ++n) {
    star(*ws, kBlue, n).partner = 9;
    star(*ws, kGreen, n).partner = 9;
  }
  EXPECT_EQ(matchAtOffset(*ws), 0);
  EXPECT_EQ(partnerOf(*ws, kBlue, 1), -1);
  EXPECT_EQ(partnerOf(*ws, kBlue, 2), 9);
  EXPECT_EQ(partnerOf(*ws, kGreen, 0), -1);
  EXPECT_EQ(partnerOf(*ws, kGreen, 1), 9);
}

TEST(Compare, LabelAboveTableIsCountedButNotPaired) {
  auto ws = emptyField(1, 1);
  labelAt(*ws, kBlue, 5, 5) = 0;
  labelAt(*ws, kGreen, 5, 5) = 2000;  // cannot come from a search
  EXPECT_EQ(matchAtOffset(*ws), 1);
  EXPECT_EQ(partnerOf(*ws, kBlue, 0), -1);
}

// ---- the fast search against the literal reference ----

// A random 4-connected blob of up to `size` pixels labelled n, grown from (x, y).
void paintBlob(Workspace& ws, int image, int n, int x, int y, int size, std::mt19937& rng) {
  std::vector<std::array<int, 2>> pixels{{x, y}};
  const int step[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
  for (int tries = 0; static_cast<int>(pixels.size()) < size && tries < 4 * size; ++tries) {
    const auto from = pixels[rng() % pixels.size()];
    const int* s = step[rng() % 4];
    if (insideImage(from[0] + s[0], from[1] + s[1]))
      pixels.push_back({from[0] + s[0], from[1] + s[1]});
  }
  for (const auto& p : pixels) labelAt(ws, image, p[0], p[1]) = static_cast<std::uint16_t>(n);
}

int uniform(std::mt19937& rng, int lo, int hi) {
  return std::uniform_int_distribution<int>(lo, hi)(rng);
}

// Blobs numbered first..first+count-1 starting inside the columns x0..x1 and rows y0..y1.
void paintBlobs(Workspace& ws, int image, int first, int count, int maxSize, SearchRect area,
                std::mt19937& rng) {
  for (int n = first; n < first + count; ++n) {
    paintBlob(ws, image, n, uniform(rng, area.left, area.right),
              uniform(rng, area.top, area.bottom), uniform(rng, 1, maxSize), rng);
  }
}

// Green becomes blue shifted by (sx, sy), with about one star in ten missing
// and the numbers running backwards.
void copyShifted(Workspace& ws, int stars, int sx, int sy, std::mt19937& rng) {
  std::vector<bool> keep(static_cast<std::size_t>(stars));
  for (int n = 0; n < stars; ++n) keep[static_cast<std::size_t>(n)] = rng() % 10 != 0;
  for (int x = 0; x < kImageWidth; ++x) {
    for (int y = 0; y < kImageHeight; ++y) {
      const int b = labelAt(ws, kBlue, x, y);
      if (b >= stars || !keep[static_cast<std::size_t>(b)] || !insideImage(x + sx, y + sy))
        continue;
      labelAt(ws, kGreen, x + sx, y + sy) = static_cast<std::uint16_t>(stars - 1 - b);
    }
  }
}

SearchRect randomRect(std::mt19937& rng, bool mayLeaveImage) {
  const int slack = mayLeaveImage ? 20 : 0;
  SearchRect r{
      uniform(rng, -slack, kImageWidth + slack), uniform(rng, -slack, kImageHeight + slack),
      uniform(rng, -slack, kImageWidth + slack), uniform(rng, -slack, kImageHeight + slack)};
  if (rng() % 16 != 0) {  // mostly ordered; sometimes empty or inverted
    if (r.left > r.right) std::swap(r.left, r.right);
    if (r.top > r.bottom) std::swap(r.top, r.bottom);
  }
  return r;
}

enum FieldKind { kShifted, kCrowdedPoints, kApart, kOldLabels, kKinds };

// One generated pair of label planes with counts, for the rectangles set.
void generateField(Workspace& ws, FieldKind kind, std::mt19937& rng) {
  clearLabels(ws, kBlue, rng() % 4 ? kLabelNoStar : kLabelUnvisited);
  clearLabels(ws, kGreen, kLabelNoStar);
  int blue = 0;
  int green = 0;
  if (kind == kCrowdedPoints) {
    // Single pixels in one small square, inside the blue rectangle where it
    // has room: many offsets reach the same count.
    const SearchRect r = clippedToImage(ws.searchRect[kBlue]);
    const bool room = r.right - r.left > 12 && r.bottom - r.top > 12;
    const int x = room ? uniform(rng, r.left, r.right - 13) : uniform(rng, 0, 340);
    const int y = room ? uniform(rng, r.top, r.bottom - 13) : uniform(rng, 0, 210);
    blue = uniform(rng, 1, 8);
    green = uniform(rng, 1, 8);
    paintBlobs(ws, kBlue, 0, blue, 1, {x, y, x + 12, y + 12}, rng);
    paintBlobs(ws, kGreen, 0, green, 1, {x, y, x + 12, y + 12}, rng);
  } else if (kind == kApart) {
    // Blue stars left, green stars right: no offset gives any overlap.
    blue = uniform(rng, 0, 40);
    green = uniform(rng, 0, 40);
    paintBlobs(ws, kBlue, 0, blue, 20, {0, 0, 150, 241}, rng);
    paintBlobs(ws, kGreen, 0, green, 20, {200, 0, 374, 241}, rng);
  } else {
    blue = uniform(rng, 1, 160);
    const int extra = uniform(rng, 0, 10);
    paintBlobs(ws, kBlue, 0, blue, 40, {0, 0, 374, 241}, rng);
    copyShifted(ws, blue, uniform(rng, -6, 6), uniform(rng, -6, 6), rng);
    paintBlobs(ws, kGreen, blue, extra, 40, {0, 0, 374, 241}, rng);
    green = blue + extra;
  }
  ws.starCount[kBlue] = blue;
  ws.starCount[kGreen] = green;
  if (kind == kOldLabels) {
    // Labels of an earlier, larger search, and one that no search writes.
    ws.starCount[kBlue] = uniform(rng, 0, blue);
    ws.starCount[kGreen] = uniform(rng, 0, green);
    labelAt(ws, kBlue, uniform(rng, 0, 374), uniform(rng, 0, 241)) = 1500;
    labelAt(ws, kGreen, uniform(rng, 0, 374), uniform(rng, 0, 241)) = 1500;
  }
}

void generateRects(Workspace& ws, std::mt19937& rng) {
  const int pick = uniform(rng, 0, 9);
  if (pick == 0) {
    ws.searchRect[kBlue] = kWholeImage;
    ws.searchRect[kGreen] = kWholeImage;
  } else if (pick < 8) {  // as after manual moves: the green rectangle follows the blue one
    const SearchRect b = randomRect(rng, false);
    const int dx = uniform(rng, -16, 16);
    const int dy = uniform(rng, -16, 16);
    ws.searchRect[kBlue] = b;
    ws.searchRect[kGreen] = {b.left + dx, b.top + dy, b.right + dx, b.bottom + dy};
  } else {
    ws.searchRect[kBlue] = randomRect(rng, true);
    ws.searchRect[kGreen] = randomRect(rng, true);
  }
}

using Partners = std::array<std::int16_t, 2 * kMaxStars>;

Partners partners(const Workspace& ws) {
  Partners p{};
  for (int n = 0; n < kMaxStars; ++n) {
    p[static_cast<std::size_t>(2 * n)] = star(ws, kBlue, n).partner;
    p[static_cast<std::size_t>(2 * n + 1)] = star(ws, kGreen, n).partner;
  }
  return p;
}

void setPartners(Workspace& ws, const Partners& p) {
  for (int n = 0; n < kMaxStars; ++n) {
    star(ws, kBlue, n).partner = p[static_cast<std::size_t>(2 * n)];
    star(ws, kGreen, n).partner = p[static_cast<std::size_t>(2 * n + 1)];
  }
}

TEST(FastSearch, EqualsLiteralProcedureOnGeneratedFields) {
  auto ws = makeWorkspace();
  std::mt19937 rng(20240611);
  int ties = 0;
  int empty = 0;
  for (int c = 0; c < 250; ++c) {
    SCOPED_TRACE("case " + std::to_string(c));
    generateRects(*ws, rng);
    generateField(*ws, static_cast<FieldKind>(c % kKinds), rng);
    Partners before{};  // earlier values, so that untouched records are compared too
    for (auto& v : before) v = static_cast<std::int16_t>(uniform(rng, -1, 1023));
    setPartners(*ws, before);
    const test::LiteralOutcome literal = test::literalAutomaticCompare(*ws);
    const int dx = ws->offsetX, dy = ws->offsetY, count = ws->overlapCount;
    const Partners expected = partners(*ws);
    ties += literal.offsetsAtBest > 1;
    empty += literal.best == 0;

    setPartners(*ws, before);
    ws->offsetX = 9;
    ws->offsetY = -9;
    ws->optionFlags = 0;
    NullWindowPort port;
    compareImages(*ws, port);
    ASSERT_EQ(ws->offsetX, dx);
    ASSERT_EQ(ws->offsetY, dy);
    ASSERT_EQ(ws->overlapCount, count);
    ASSERT_TRUE(partners(*ws) == expected);
  }
  // The generated fields do reach the cases that decide the offset.
  EXPECT_GE(ties, 10);
  EXPECT_GE(empty, 20);
  EXPECT_GE(250 - empty, 100);
}

// ---- arrow buttons ----

struct MoveRow {
  const char* name;
  MoveDirection dir;
  int dx, dy;  // after sixteen presses from (0, 0)
  const char* label;
};

class ArrowLimits : public testing::TestWithParam<MoveRow> {};

TEST_P(ArrowLimits, SixteenStepsThenBeep) {
  const MoveRow& row = GetParam();
  auto ws = emptyField(0, 0);
  ws->searchRect[kBlue] = {10, 20, 110, 120};
  RecordingPort port;
  for (int i = 0; i < 16; ++i) moveGreenImage(*ws, port, row.dir);
  EXPECT_EQ(ws->offsetX, row.dx);
  EXPECT_EQ(ws->offsetY, row.dy);
  EXPECT_EQ(port.text(ctl::OffsetLabel), row.label);
  EXPECT_EQ(port.repaints(), std::vector<int>(16, kBlue));
  const SearchRect& g = ws->searchRect[kGreen];
  EXPECT_EQ(g.left, 10 + row.dx);
  EXPECT_EQ(g.top, 20 + row.dy);
  EXPECT_EQ(g.right, 110 + row.dx);
  EXPECT_EQ(g.bottom, 120 + row.dy);

  port.clear();
  moveGreenImage(*ws, port, row.dir);
  EXPECT_EQ(port.events, std::vector<PortEvent>{ev(PortEvent::Beep)});
  EXPECT_EQ(ws->offsetX, row.dx);
  EXPECT_EQ(ws->offsetY, row.dy);
  EXPECT_EQ(ws->searchRect[kGreen].left, 10 + row.dx);
}

// The label shows the shift on screen, x to the right and y downwards.
INSTANTIATE_TEST_SUITE_P(Move, ArrowLimits,
                         testing::Values(MoveRow{"Up", MoveDirection::Up, 0, 16, "0|-16"},
                                         MoveRow{"Right", MoveDirection::Right, -16, 0, "16|0"},
                                         MoveRow{"Down", MoveDirection::Down, 0, -16, "0|16"},
                                         MoveRow{"Left", MoveDirection::Left, 16, 0, "-16|0"}),
                         RowName{});

TEST(Move, OneStepUpReadsMinusOne) {
  auto ws = emptyField(0, 0);
  RecordingPort port;
  moveGreenImage(*ws, port, MoveDirection::Up);
  const std::vector<PortEvent> expected{ev(PortEvent::Text, ctl::OffsetLabel, false, "0|-1"),
                                        ev(PortEvent::Repaint, kBlue)};
  EXPECT_EQ(port.events, expected);
}

TEST(Move, ThenManualCompareMatchesThere) {
  auto ws = emptyField(1, 1);
  ws->optionFlags = OPT_MOVE_MANUALLY;
  block(*ws, kBlue, 0, 100, 100, 101, 101);
  block(*ws, kGreen, 0, 108, 100, 109, 101);
  RecordingPort port;
  for (int i = 0; i < 8; ++i) moveGreenImage(*ws, port, MoveDirection::Left);
  compareImages(*ws, port);
  EXPECT_EQ(ws->overlapCount, 4);
  EXPECT_EQ(partnerOf(*ws, kBlue, 0), 0);
}

// ---- three reference pairs ----

// Both images searched with star k at blue[k] and green[k]; rotation on.
std::unique_ptr<Workspace> pairField(const std::vector<std::array<int, 2>>& blue,
                                     const std::vector<std::array<int, 2>>& green) {
  auto ws = emptyField(static_cast<int>(blue.size()), static_cast<int>(green.size()));
  for (std::size_t k = 0; k < blue.size(); ++k)
    pointStar(*ws, kBlue, static_cast<int>(k), blue[k][0], blue[k][1]);
  for (std::size_t k = 0; k < green.size(); ++k)
    pointStar(*ws, kGreen, static_cast<int>(k), green[k][0], green[k][1]);
  ws->optionFlags = OPT_ROTATE_IMAGES;
  return ws;
}

void enterPair(Workspace& ws, WindowPort& port, int slot, int blue, int green) {
  pickPendingStar(ws, kBlue, blue);
  pickPendingStar(ws, kGreen, green);
  setReferencePair(ws, port, slot);
}

struct MapRow {
  const char* name;
  std::array<int, 2> (*map)(std::array<int, 2>);  // exact image of a blue position
};

class ThreePairMap : public testing::TestWithParam<MapRow> {};

// Blue stars on a grid, green star k at the map of blue star k, one extra
// blue star whose image falls outside, one whose image hits no green star.
TEST_P(ThreePairMap, EveryStarLandsOnItsImage) {
  std::vector<std::array<int, 2>> blue, green;
  for (int gx = 0; gx < 5; ++gx)
    for (int gy = 0; gy < 4; ++gy) blue.push_back({60 + 20 * gx, 50 + 25 * gy});
  for (const auto& b : blue) green.push_back(GetParam().map(b));
  const int placed = static_cast<int>(blue.size());
  blue.push_back({1, 1});      // maps outside the image for every row
  blue.push_back({150, 160});  // maps between green stars
  auto ws = pairField(blue, green);
  RecordingPort port;
  compareImages(*ws, port);
  enterPair(*ws, port, 0, 0, 0);
  enterPair(*ws, port, 1, 7, 7);
  enterPair(*ws, port, 2, 19, 19);
  ASSERT_TRUE(hasBit(ws->progressFlags, PRG_COMPARED));
  for (int k = 0; k < placed; ++k) {
    EXPECT_EQ(partnerOf(*ws, kBlue, k), k) << "blue " << k;
    EXPECT_EQ(partnerOf(*ws, kGreen, k), k) << "green " << k;
  }
  EXPECT_EQ(partnerOf(*ws, kBlue, placed), -1);
  EXPECT_EQ(partnerOf(*ws, kBlue, placed + 1), -1);
}

INSTANTIATE_TEST_SUITE_P(
    Pairs, ThreePairMap,
    testing::Values(MapRow{"PureShift",
                           [](std::array<int, 2> p) {
                             return std::array<int, 2>{p[0] + 7, p[1] - 4};
                           }},
                    MapRow{"QuarterTurn",
                           [](std::array<int, 2> p) {
                             return std::array<int, 2>{300 - p[1], p[0] - 40};
                           }},
                    MapRow{"HalfScaleAndShear",
                           [](std::array<int, 2> p) {
                             return std::array<int, 2>{p[0] / 2 + p[1] / 5 + 3, p[1] / 5 + 10};
                           }}),
    RowName{});

// Blue frame P = (10, 10), u = (10, 0), w = (0, 10); green Q = (0, 0) at half
// scale. Blue (8, 10) maps to x = -1.0, which plus 0.5 truncates to 0; blue
// (7, 10) maps to -1.5, giving -1, outside. By hand.
TEST(Pairs, MappedPositionTruncatesTowardsZero) {
  auto ws = pairField({{20, 10}, {10, 10}, {10, 20}, {8, 10}, {7, 10}}, {{5, 0}, {0, 0}, {0, 5}});
  RecordingPort port;
  compareImages(*ws, port);
  enterPair(*ws, port, 0, 0, 0);
  enterPair(*ws, port, 1, 1, 1);
  enterPair(*ws, port, 2, 2, 2);
  EXPECT_EQ(partnerOf(*ws, kBlue, 3), 1);
  EXPECT_EQ(partnerOf(*ws, kBlue, 4), -1);
  EXPECT_EQ(partnerOf(*ws, kGreen, 1), 3);  // the highest blue star on it wins
}

TEST(Pairs, StartingEntryEffects) {
  auto ws = pairField({{10, 10}}, {{10, 10}});
  ws->optionFlags |= OPT_SELECTION_SHOWN;
  ws->selectedStar[kBlue] = 0;
  ws->selectedStar[kGreen] = 0;
  ws->overlapCount = 33;
  RecordingPort port;
  compareImages(*ws, port);
  const std::vector<PortEvent> expected{ev(PortEvent::Repaint, kBlue),
                                        ev(PortEvent::Repaint, kGreen),
                                        ev(PortEvent::Visible, ctl::CompareImages, false),
                                        ev(PortEvent::Visible, ctl::Set1, true),
                                        ev(PortEvent::Visible, ctl::Set2, true),
                                        ev(PortEvent::Visible, ctl::Set3, true)};
  EXPECT_EQ(port.events, expected);
  EXPECT_EQ(ws->optionFlags, OPT_ROTATE_IMAGES | OPT_PAIR_ENTRY);
  for (const StarPair& p : ws->referencePairs) {
    EXPECT_EQ(p.blue, -1);
    EXPECT_EQ(p.green, -1);
  }
  EXPECT_EQ(ws->selectedStar[kBlue], -1);
  EXPECT_EQ(ws->selectedStar[kGreen], -1);
  EXPECT_EQ(ws->overlapCount, 33);
  EXPECT_FALSE(hasBit(ws->progressFlags, PRG_COMPARED));
}

TEST(Pairs, StartingEntryEndsCurrentPairing) {
  auto ws = pairField({{10, 10}, {50, 10}, {10, 50}}, {{12, 10}, {52, 10}, {12, 50}});
  ws->progressFlags |= PRG_COMPARED;
  RecordingPort port;
  compareImages(*ws, port);
  EXPECT_FALSE(hasBit(ws->progressFlags, PRG_COMPARED));
  EXPECT_EQ(port.count(PortEvent::ListRefill), 1);
  EXPECT_GT(port.indexOf(PortEvent::ListRefill), port.indexOf(PortEvent::Visible, ctl::Set3));
  enterPair(*ws, port, 0, 0, 0);
  enterPair(*ws, port, 1, 1, 1);
  enterPair(*ws, port, 2, 2, 2);
  EXPECT_TRUE(hasBit(ws->progressFlags, PRG_COMPARED));
  EXPECT_FALSE(hasBit(ws->optionFlags, OPT_PAIR_ENTRY));
}

TEST(Pairs, PickingKeepsOtherSelectionAndIgnoresNonStars) {
  auto ws = pairField({{10, 10}, {20, 10}}, {{10, 10}});
  RecordingPort port;
  compareImages(*ws, port);
  pickPendingStar(*ws, kBlue, 1);
  pickPendingStar(*ws, kGreen, 0);
  pickPendingStar(*ws, kBlue, 2);  // beyond the star count
  pickPendingStar(*ws, kGreen, -1);
  EXPECT_EQ(ws->selectedStar[kBlue], 1);
  EXPECT_EQ(ws->selectedStar[kGreen], 0);
  EXPECT_EQ(ws->referencePairs[3].blue, 1);
  EXPECT_EQ(ws->referencePairs[3].green, 0);
}

TEST(Pairs, SetWithHalfPendingPairBeeps) {
  auto ws = pairField({{10, 10}}, {{10, 10}});
  RecordingPort port;
  compareImages(*ws, port);
  pickPendingStar(*ws, kBlue, 0);
  port.clear();
  setReferencePair(*ws, port, 1);
  EXPECT_EQ(port.events, std::vector<PortEvent>{ev(PortEvent::Beep)});
  EXPECT_EQ(ws->referencePairs[1].blue, -1);
  EXPECT_EQ(ws->referencePairs[1].green, -1);
}

TEST(Pairs, SetTwiceKeepsSecondPair) {
  auto ws = pairField({{10, 10}, {20, 10}}, {{10, 10}, {20, 10}});
  RecordingPort port;
  compareImages(*ws, port);
  enterPair(*ws, port, 0, 0, 0);
  enterPair(*ws, port, 0, 1, 0);
  EXPECT_EQ(ws->referencePairs[0].blue, 1);
  EXPECT_EQ(ws->referencePairs[0].green, 0);
  EXPECT_EQ(ws->referencePairs[3].blue, 1);  // the pending pair keeps its values
  EXPECT_TRUE(hasBit(ws->optionFlags, OPT_PAIR_ENTRY));
  EXPECT_EQ(port.count(PortEvent::Beep), 0);
}

TEST(Pairs, BlueStarsOnOneLineBeepAndKeepEntryOpen) {
  auto ws =
      pairField({{10, 10}, {20, 20}, {30, 30}, {30, 10}}, {{10, 10}, {20, 20}, {30, 30}, {30, 10}});
  RecordingPort port;
  compareImages(*ws, port);
  enterPair(*ws, port, 0, 0, 0);
  enterPair(*ws, port, 1, 1, 1);
  port.clear();
  enterPair(*ws, port, 2, 2, 2);
  EXPECT_EQ(port.events, std::vector<PortEvent>{ev(PortEvent::Beep)});
  EXPECT_TRUE(hasBit(ws->optionFlags, OPT_PAIR_ENTRY));
  EXPECT_FALSE(hasBit(ws->progressFlags, PRG_COMPARED));
  EXPECT_EQ(ws->selectedStar[kBlue], 2);
  enterPair(*ws, port, 2, 3, 3);  // another pair completes the entry
  EXPECT_TRUE(hasBit(ws->progressFlags, PRG_COMPARED));
  EXPECT_EQ(partnerOf(*ws, kBlue, 2), 2);
}

TEST(Pairs, ThirdPairEffects) {
  auto ws = pairField({{10, 10}, {50, 10}, {10, 50}}, {{10, 10}, {50, 10}, {10, 50}});
  ws->progressFlags |= PRG_CALIBRATION_STAR;
  RecordingPort port;
  compareImages(*ws, port);
  enterPair(*ws, port, 0, 0, 0);
  enterPair(*ws, port, 1, 1, 1);
  ws->optionFlags |= OPT_SELECTION_SHOWN;  // as the star click leaves it
  port.clear();
  enterPair(*ws, port, 2, 2, 2);
  const std::vector<PortEvent> expected{ev(PortEvent::Visible, ctl::Set1, false),
                                        ev(PortEvent::Visible, ctl::Set2, false),
                                        ev(PortEvent::Visible, ctl::Set3, false),
                                        ev(PortEvent::Visible, ctl::CompareImages, true),
                                        ev(PortEvent::Repaint, kBlue),
                                        ev(PortEvent::Repaint, kGreen),
                                        ev(PortEvent::Enable, ctl::CompareImages, false),
                                        ev(PortEvent::ListRefill)};
  EXPECT_EQ(port.events, expected);
  EXPECT_EQ(ws->optionFlags, OPT_ROTATE_IMAGES);
  EXPECT_TRUE(hasBit(ws->progressFlags, PRG_COMPARED));
  EXPECT_FALSE(hasBit(ws->progressFlags, PRG_CALIBRATION_STAR));
  EXPECT_EQ(ws->selectedStar[kBlue], -1);
  EXPECT_EQ(ws->selectedStar[kGreen], -1);
}

struct KeepCountRow {
  const char* name;
  bool compareFirst;
  int overlap;  // expected after the three-pair pairing
};

class OverlapAfterPairs : public testing::TestWithParam<KeepCountRow> {};

TEST_P(OverlapAfterPairs, KeepsPreviousValue) {
  auto ws = pairField({{10, 10}, {50, 10}, {10, 50}}, {{12, 10}, {52, 10}, {12, 50}});
  RecordingPort port;
  if (GetParam().compareFirst) {
    ws->optionFlags = 0;
    compareImages(*ws, port);  // three one-pixel stars meet at (2, 0)
    ws->optionFlags = OPT_ROTATE_IMAGES;
  }
  compareImages(*ws, port);
  enterPair(*ws, port, 0, 0, 0);
  enterPair(*ws, port, 1, 1, 1);
  enterPair(*ws, port, 2, 2, 2);
  EXPECT_TRUE(hasBit(ws->progressFlags, PRG_COMPARED));
  EXPECT_EQ(ws->overlapCount, GetParam().overlap);
}

INSTANTIATE_TEST_SUITE_P(Pairs, OverlapAfterPairs,
                         testing::Values(KeepCountRow{"AfterAutomaticCompare", true, 3},
                                         KeepCountRow{"WithoutEarlierCompare", false, 0}),
                         RowName{});

}  // namespace
}  // namespace orelith
