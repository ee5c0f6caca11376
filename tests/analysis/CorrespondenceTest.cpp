#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <random>
#include <vector>

#include "analysis/Correspondence.h"
#include "analysis/StarSearch.h"
#include "resources/ControlIds.h"
#include "tests/support/LiteralCompare.h"
#include "tests/support/ParamName.h"
#include "tests/support/RecordingPort.h"
#include "tests/support/TestWorkspace.h"
#include "tools/FieldGenerator.h"

namespace orelith {
namespace {

using test::PortEvent;
using test::RecordingPort;
using RowName = test::ParamName;

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
// no star pixel yet.
std::unique_ptr<Workspace> emptyField(int blue, int green) {
  auto ws = test::makeWorkspace();
  for (int image : {kBlue, kGreen}) {
    clearLabels(*ws, image);
    ws->searchRect[image] = kWholeImage;
    ws->labelledRect[image] = kWholeImage;
  }
  ws->starCount[kBlue] = blue;
  ws->starCount[kGreen] = green;
  ws->progressFlags = PRG_BLUE_LOADED | PRG_GREEN_LOADED | PRG_BLUE_SEARCHED | PRG_GREEN_SEARCHED;
  return ws;
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
  EXPECT_TRUE(hasBit(ws->progressFlags, PRG_COMPARED));
  EXPECT_EQ(port.events.back(), ev(PortEvent::ListRefill));
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
                 {{kBlue, 0, -1}, {kGreen, 0, -1}}},
        // Never-searched pixels hold 0, also the number of a real star: the
        // green search covered only columns 0..99, so the blue star's label
        // meeting green 0 at column 150 names nothing (the plainly wrong pair
        // of the manual offset before).
        MatchRow{"UnsearchedPixelsNameNoStar",
                 [](Workspace& ws) {
                   block(ws, kBlue, 0, 150, 30, 151, 31);
                   clearLabels(ws, kGreen, 0);
                   block(ws, kGreen, 0, 40, 40, 41, 41);
                   ws.labelledRect[kGreen] = {0, 0, 100, 242};
                   ws.starCount[kBlue] = 1;
                   ws.starCount[kGreen] = 1;
                   ws.offsetX = 2;
                 },
                 OPT_MOVE_MANUALLY,
                 2,
                 0,
                 0,
                 {{kBlue, 0, -1}, {kGreen, 0, -1}}},
        // A label at or beyond the star count (left by an earlier search)
        // is no star: neither counted nor paired.
        MatchRow{"LabelBeyondStarCountIsNoStar",
                 [](Workspace& ws) {
                   block(ws, kBlue, 0, 10, 10, 11, 11);
                   block(ws, kGreen, 1, 10, 10, 11, 11);
                   labelAt(ws, kGreen, 11, 11) = 2000;
                   ws.starCount[kBlue] = 1;
                   ws.starCount[kGreen] = 1;
                 },
                 0,
                 0,
                 0,
                 0,
                 {{kBlue, 0, -1}}}),
    RowName{});

// ---- the fast search against the literal reference ----

// A random 4-connected blob of up to `size` pixels labelled n, grown from (x, y).
void paintBlob(Workspace& ws, int image, int n, int x, int y, int size, std::mt19937& rng) {
  std::vector<std::array<int, 2>> pixels{{x, y}};
  const int step[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
  labelAt(ws, image, x, y) = static_cast<std::uint16_t>(n);
  for (int tries = 0; static_cast<int>(pixels.size()) < size && tries < 4 * size; ++tries) {
    const auto from = pixels[rng() % pixels.size()];
    const int* d = step[rng() % 4];
    const int nx = from[0] + d[0], ny = from[1] + d[1];
    if (!insideImage(nx, ny) || labelAt(ws, image, nx, ny) < kLabelNoStar) continue;
    labelAt(ws, image, nx, ny) = static_cast<std::uint16_t>(n);
    pixels.push_back({nx, ny});
  }
}

int uniform(std::mt19937& rng, int low, int high) {
  return std::uniform_int_distribution<int>(low, high)(rng);
}

SearchRect randomRect(std::mt19937& rng) {
  const int l = uniform(rng, -20, 200), t = uniform(rng, -20, 120);
  return {l, t, l + uniform(rng, 0, 260), t + uniform(rng, 0, 160)};
}

// Blobs on both planes, green mostly the blue field shifted and numbered
// backwards, with random search and labelled rectangles, never-searched
// pixels at 0 or not, and star counts that leave some labels beyond them.
void generateField(Workspace& ws, std::mt19937& rng) {
  clearLabels(ws, kBlue);
  clearLabels(ws, kGreen);
  const int stars = uniform(rng, 0, 60), sx = uniform(rng, -6, 6), sy = uniform(rng, -6, 6);
  for (int n = 0; n < stars; ++n) {
    const int x = uniform(rng, 0, 374), y = uniform(rng, 0, 241), size = uniform(rng, 1, 30);
    const unsigned seed = static_cast<unsigned>(rng());
    std::mt19937 same(seed);
    paintBlob(ws, kBlue, n, x, y, size, same);
    same.seed(seed);
    if (rng() % 10 != 0 && insideImage(x + sx, y + sy))
      paintBlob(ws, kGreen, stars - 1 - n, x + sx, y + sy, size, same);
  }
  for (int image : {kBlue, kGreen}) {
    ws.searchRect[image] = rng() % 2 ? randomRect(rng) : kWholeImage;
    ws.labelledRect[image] = rng() % 3 ? kWholeImage : clippedToImage(randomRect(rng));
    ws.starCount[image] = std::max(0, stars - uniform(rng, 0, 3));
    if (rng() % 2) continue;
    const SearchRect& r = ws.labelledRect[image];
    for (int x = 0; x < kImageWidth; ++x)
      for (int y = 0; y < kImageHeight; ++y)
        if (x < r.left || x >= r.right || y < r.top || y >= r.bottom) labelAt(ws, image, x, y) = 0;
  }
}

TEST(FastSearch, EqualsLiteralProcedureOnGeneratedFields) {
  auto ws = test::makeWorkspace();
  auto literal = test::makeWorkspace();
  std::mt19937 rng(20240611);
  int found = 0;
  for (int c = 0; c < 120; ++c) {
    SCOPED_TRACE("case " + std::to_string(c));
    generateField(*ws, rng);
    for (int n = 0; n < kMaxStars; ++n)
      for (int image : {kBlue, kGreen}) star(*ws, image, n).partner = static_cast<std::int16_t>(n);
    *literal = *ws;
    found += test::literalAutomaticCompare(*literal).best > 0;
    ws->optionFlags = 0;
    NullWindowPort port;
    compareImages(*ws, port);
    ASSERT_EQ(ws->offsetX, literal->offsetX);
    ASSERT_EQ(ws->offsetY, literal->offsetY);
    ASSERT_EQ(ws->overlapCount, literal->overlapCount);
    for (int n = 0; n < kMaxStars; ++n)
      for (int image : {kBlue, kGreen})
        ASSERT_EQ(partnerOf(*ws, image, n), partnerOf(*literal, image, n)) << n;
  }
  EXPECT_GE(found, 40);  // the fields do overlap often enough to decide offsets
}

// ---- one field, three modes ----

// A generated frame pair searched in `rect`; the green frame shows blue pixel
// (x, y) at (x + 3, y - 2).
std::unique_ptr<Workspace> searchedField(const SearchRect& rect) {
  gen::FieldParams params;
  params.seed = 7;
  const gen::FieldPair field = gen::generateField(params);
  auto ws = test::makeWorkspace();
  for (int x = 0; x < kImageWidth; ++x)
    for (int y = 0; y < kImageHeight; ++y) {
      pixelAt(*ws, kBlue, x, y) = field.blue[static_cast<std::size_t>(y * kImageWidth + x)];
      pixelAt(*ws, kGreen, x, y) = field.green[static_cast<std::size_t>(y * kImageWidth + x)];
    }
  NullWindowPort port;
  for (int image : {kBlue, kGreen}) {
    ws->searchRect[image] = rect;
    ws->backgroundLevel[image] = 1150;
    searchStars(*ws, port, image);
  }
  return ws;
}

std::vector<int> bluePartners(const Workspace& ws) {
  std::vector<int> p;
  for (int k = 0; k < ws.starCount[kBlue]; ++k) p.push_back(partnerOf(ws, kBlue, k));
  return p;
}

struct ModeRow {
  const char* name;
  SearchRect rect;
};

class ThreeModes : public testing::TestWithParam<ModeRow> {};

// The manual offset and the three reference pairs pair exactly where the
// automatic comparison at the same offset does: pixels beyond what the green
// search labelled never read as green star 0.
TEST_P(ThreeModes, AgreeWithAutomaticComparison) {
  auto ws = searchedField(GetParam().rect);
  ASSERT_GT(ws->starCount[kBlue], 10);
  RecordingPort port;
  compareImages(*ws, port);
  ASSERT_EQ(ws->offsetX, 3);
  ASSERT_EQ(ws->offsetY, -2);
  const std::vector<int> automatic = bluePartners(*ws);

  ws->optionFlags = OPT_MOVE_MANUALLY;
  ws->offsetX = 0;
  ws->offsetY = 0;
  for (int i = 0; i < 3; ++i) moveGreenImage(*ws, port, MoveDirection::Left);
  for (int i = 0; i < 2; ++i) moveGreenImage(*ws, port, MoveDirection::Down);
  compareImages(*ws, port);
  EXPECT_EQ(bluePartners(*ws), automatic);

  // Three stars the automatic result paired at exactly the shift, far apart:
  // the top-most, then the farthest from it across, then the farthest down.
  std::vector<int> exact;
  for (int k = 0; k < ws->starCount[kBlue]; ++k) {
    const int g = automatic[static_cast<std::size_t>(k)];
    if (g >= 0 && star(*ws, kGreen, g).x == star(*ws, kBlue, k).x + 3 &&
        star(*ws, kGreen, g).y + 2 == star(*ws, kBlue, k).y)
      exact.push_back(k);
  }
  ASSERT_GE(exact.size(), 3u);
  auto farthest = [&](auto distance) {
    return *std::max_element(exact.begin(), exact.end(),
                             [&](int a, int b) { return distance(a) < distance(b); });
  };
  std::vector<int> refs{exact.front()};
  const int x0 = star(*ws, kBlue, refs[0]).x, y0 = star(*ws, kBlue, refs[0]).y;
  refs.push_back(farthest([&](int k) { return std::abs(star(*ws, kBlue, k).x - x0); }));
  refs.push_back(farthest([&](int k) { return star(*ws, kBlue, k).y - y0; }));
  ASSERT_EQ(refs.size(), 3u);
  ws->optionFlags = OPT_ROTATE_IMAGES;
  compareImages(*ws, port);
  EXPECT_EQ(partnerOf(*ws, kBlue, refs[0]), -1);  // the entry drops the pairing
  for (int slot = 0; slot < 3; ++slot) {
    const int blue = refs[static_cast<std::size_t>(slot)];
    pickPendingStar(*ws, kBlue, blue);
    pickPendingStar(*ws, kGreen, automatic[static_cast<std::size_t>(blue)]);
    setReferencePair(*ws, port, slot);
  }
  ASSERT_TRUE(hasBit(ws->progressFlags, PRG_COMPARED));
  const std::vector<int> mapped = bluePartners(*ws);
  int paired = 0;
  for (std::size_t k = 0; k < mapped.size(); ++k) {
    if (mapped[k] < 0) continue;
    ++paired;
    EXPECT_EQ(mapped[k], automatic[k]) << "blue star " << k;
  }
  EXPECT_GT(paired, ws->starCount[kBlue] / 2);
}

INSTANTIATE_TEST_SUITE_P(Compare, ThreeModes,
                         testing::Values(ModeRow{"WholeImage", kWholeImage},
                                         ModeRow{"PartialRectangle", {100, 50, 300, 200}},
                                         ModeRow{"CornerRectangle", {0, 0, 180, 120}}),
                         RowName{});

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
  EXPECT_EQ(g.bottom, 120 + row.dy);
  port.clear();
  moveGreenImage(*ws, port, row.dir);
  EXPECT_EQ(port.events, std::vector<PortEvent>{ev(PortEvent::Beep)});
  EXPECT_EQ(ws->offsetX, row.dx);
  EXPECT_EQ(ws->offsetY, row.dy);
}

// The label shows the shift on screen, x to the right and y downwards.
INSTANTIATE_TEST_SUITE_P(Move, ArrowLimits,
                         testing::Values(MoveRow{"Up", MoveDirection::Up, 0, 16, "0|-16"},
                                         MoveRow{"Right", MoveDirection::Right, -16, 0, "16|0"},
                                         MoveRow{"Down", MoveDirection::Down, 0, -16, "0|16"},
                                         MoveRow{"Left", MoveDirection::Left, 16, 0, "-16|0"}),
                         RowName{});

// ---- three reference pairs ----

// Both images searched with one-pixel star k at blue[k] and green[k]; rotation on.
std::unique_ptr<Workspace> pairField(const std::vector<std::array<int, 2>>& blue,
                                     const std::vector<std::array<int, 2>>& green) {
  auto ws = emptyField(static_cast<int>(blue.size()), static_cast<int>(green.size()));
  const std::vector<std::array<int, 2>>* sides[2] = {&blue, &green};
  for (int image : {kBlue, kGreen})
    for (std::size_t k = 0; k < sides[image]->size(); ++k) {
      const auto [x, y] = (*sides[image])[k];
      labelAt(*ws, image, x, y) = static_cast<std::uint16_t>(k);
      star(*ws, image, static_cast<int>(k)).x = static_cast<std::uint16_t>(x);
      star(*ws, image, static_cast<int>(k)).y = static_cast<std::uint16_t>(y);
    }
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

// Starting the entry during a pairing ends it: flag and partners go, the list
// is refilled; then the entry with its refusals, and its end.
TEST(Pairs, EntryFromStartToEnd) {
  auto ws = pairField({{10, 10}, {50, 10}, {10, 50}, {30, 30}}, {{12, 10}, {52, 10}, {12, 50}});
  ws->progressFlags |= PRG_COMPARED | PRG_CALIBRATION_STAR;
  ws->optionFlags |= OPT_SELECTION_SHOWN;
  star(*ws, kBlue, 0).partner = 0;
  star(*ws, kGreen, 0).partner = 0;
  ws->overlapCount = 33;
  RecordingPort port;
  compareImages(*ws, port);
  const std::vector<PortEvent> started{ev(PortEvent::Repaint, kBlue),
                                       ev(PortEvent::Repaint, kGreen),
                                       ev(PortEvent::Visible, ctl::CompareImages, false),
                                       ev(PortEvent::Visible, ctl::Set1, true),
                                       ev(PortEvent::Visible, ctl::Set2, true),
                                       ev(PortEvent::Visible, ctl::Set3, true),
                                       ev(PortEvent::ListRefill)};
  EXPECT_EQ(port.events, started);
  EXPECT_EQ(ws->optionFlags, OPT_ROTATE_IMAGES | OPT_PAIR_ENTRY);
  EXPECT_FALSE(hasBit(ws->progressFlags, PRG_COMPARED));
  EXPECT_EQ(partnerOf(*ws, kBlue, 0), -1);
  EXPECT_EQ(partnerOf(*ws, kGreen, 0), -1);
  EXPECT_EQ(ws->referencePairs[3].blue, -1);

  pickPendingStar(*ws, kBlue, 0);
  pickPendingStar(*ws, kBlue, 4);  // beyond the star count: ignored
  port.clear();
  setReferencePair(*ws, port, 0);  // green half missing
  EXPECT_EQ(port.events, std::vector<PortEvent>{ev(PortEvent::Beep)});
  EXPECT_EQ(ws->referencePairs[0].blue, -1);
  enterPair(*ws, port, 0, 3, 0);
  enterPair(*ws, port, 0, 0, 0);  // set again: the second pair stays
  EXPECT_EQ(ws->referencePairs[0].blue, 0);
  enterPair(*ws, port, 1, 1, 1);
  ws->optionFlags |= OPT_SELECTION_SHOWN;  // as the star click leaves it
  port.clear();
  enterPair(*ws, port, 2, 2, 2);
  const std::vector<PortEvent> ended{ev(PortEvent::Visible, ctl::Set1, false),
                                     ev(PortEvent::Visible, ctl::Set2, false),
                                     ev(PortEvent::Visible, ctl::Set3, false),
                                     ev(PortEvent::Visible, ctl::CompareImages, true),
                                     ev(PortEvent::Repaint, kBlue),
                                     ev(PortEvent::Repaint, kGreen),
                                     ev(PortEvent::Enable, ctl::CompareImages, false),
                                     ev(PortEvent::ListRefill)};
  EXPECT_EQ(port.events, ended);
  EXPECT_EQ(ws->optionFlags, OPT_ROTATE_IMAGES);
  EXPECT_TRUE(hasBit(ws->progressFlags, PRG_COMPARED));
  EXPECT_FALSE(hasBit(ws->progressFlags, PRG_CALIBRATION_STAR));
  EXPECT_EQ(ws->selectedStar[kBlue], -1);
  EXPECT_EQ(partnerOf(*ws, kBlue, 1), 1);
  EXPECT_EQ(ws->overlapCount, 33);  // the three-pair mode does not count overlap
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
  enterPair(*ws, port, 2, 3, 3);  // another pair completes the entry
  EXPECT_TRUE(hasBit(ws->progressFlags, PRG_COMPARED));
  EXPECT_EQ(partnerOf(*ws, kBlue, 2), 2);
}

}  // namespace
}  // namespace orelith
