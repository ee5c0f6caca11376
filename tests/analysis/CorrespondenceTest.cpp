// Star correspondence: hand-worked label fields, the fast offset search against the literal
// procedure on generated fields, the three pairing modes on one generated frame pair, the map
// through three reference pairs. The arrows and the pair entry's buttons are MainWindowTest's.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <vector>

#include "analysis/Correspondence.h"
#include "analysis/StarSearch.h"
#include "tests/support/LiteralCompare.h"
#include "tests/support/MeasuredField.h"
#include "tests/support/TestWorkspace.h"
#include "tools/FieldGenerator.h"

namespace orelith {
namespace {

constexpr int B = kBlue, G = kGreen;

int partnerOf(const Workspace& ws, int image, int n) { return star(ws, image, n).partner; }

void expectMutual(const Workspace& ws) {
  for (int image : {B, G})
    for (int n = 0; n < ws.starCount[image]; ++n) {
      const int p = partnerOf(ws, image, n);
      if (p >= 0) {
        ASSERT_EQ(partnerOf(ws, 1 - image, p), n) << image << " star " << n;
      }
    }
}

// A rule the literal comparison below also holds, pinned by hand: a 2x2 blue star meets a whole 2x2
// green star at (-5,-5) (green 1) and at (2,3) (green 0); of equal counts the first offset stays.
TEST(Compare, EqualCountsKeepTheFirstOffset) {
  auto ws = test::onePixelStars({}, {});
  for (int d = 0; d < 4; ++d) {
    labelAt(*ws, B, 100 + d % 2, 100 + d / 2) = 0;
    labelAt(*ws, G, 102 + d % 2, 103 + d / 2) = 0;
    labelAt(*ws, G, 95 + d % 2, 95 + d / 2) = 1;
  }
  ws->starCount[B] = 1, ws->starCount[G] = 2;
  EXPECT_EQ(compareImages(*ws), CompareStatus::Paired);
  EXPECT_EQ((std::array{ws->offsetX, ws->offsetY, ws->overlapCount}), (std::array{-5, -5, 4}));
  EXPECT_EQ((std::array{partnerOf(*ws, B, 0), partnerOf(*ws, G, 0), partnerOf(*ws, G, 1)}),
            (std::array{1, -1, 0}));
  EXPECT_TRUE(hasBit(ws->progressFlags, PRG_COMPARED));
}

// ---- the fast search against the literal reference ----

int uniform(std::mt19937& rng, int low, int high) {
  return std::uniform_int_distribution<int>(low, high)(rng);
}

// A random 4-connected blob of up to `size` pixels labelled n, grown from (x, y).
void paintBlob(Workspace& ws, int image, int n, int x, int y, int size, std::mt19937& rng) {
  std::vector<std::array<int, 2>> pixels{{x, y}};
  const int step[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
  labelAt(ws, image, x, y) = static_cast<std::uint16_t>(n);
  for (int tries = 0; static_cast<int>(pixels.size()) < size && tries < 4 * size; ++tries) {
    const auto from = pixels[rng() % pixels.size()];
    const int* d = step[rng() % 4];
    const int nx = from[0] + d[0], ny = from[1] + d[1];
    if (!insideImage(ws, image, nx, ny) || labelAt(ws, image, nx, ny) < kLabelNoStar) continue;
    labelAt(ws, image, nx, ny) = static_cast<std::uint16_t>(n);
    pixels.push_back({nx, ny});
  }
}

SearchRect randomRect(std::mt19937& rng) {
  const int l = uniform(rng, -20, 200), t = uniform(rng, -20, 120);
  return {l, t, l + uniform(rng, 0, 260), t + uniform(rng, 0, 160)};
}

// Blobs on both planes, green mostly the blue field shifted and numbered backwards; random search
// and labelled rectangles, never-searched pixels at 0 or not, counts leaving labels beyond them.
void generateField(Workspace& ws, std::mt19937& rng) {
  const int stars = uniform(rng, 0, 300), sx = uniform(rng, -6, 6), sy = uniform(rng, -6, 6);
  for (int image : {B, G}) test::clearLabels(ws, image);
  for (int n = 0; n < stars; ++n) {
    const int x = uniform(rng, 0, 374), y = uniform(rng, 0, 241), size = uniform(rng, 1, 30);
    const unsigned seed = static_cast<unsigned>(rng());
    std::mt19937 same(seed);
    paintBlob(ws, B, n, x, y, size, same);
    same.seed(seed);
    if (rng() % 10 != 0 && insideImage(ws, G, x + sx, y + sy))
      paintBlob(ws, G, stars - 1 - n, x + sx, y + sy, size, same);
  }
  for (int image : {B, G}) {
    ws.searchRect[image] = rng() % 2 ? randomRect(rng) : kWholeImage;
    const SearchRect r = ws.labelledRect[image] =
        rng() % 3 ? kWholeImage : clippedToImage(ws, image, randomRect(rng));
    ws.starCount[image] = std::max(0, stars - uniform(rng, 0, 3));
    if (rng() % 2) continue;
    for (int x = 0; x < kImageWidth; ++x)
      for (int y = 0; y < kImageHeight; ++y)
        if (x < r.left || x >= r.right || y < r.top || y >= r.bottom) labelAt(ws, image, x, y) = 0;
  }
}

// Even cases search the offset, odd ones match at a manual offset of up to 20 pixels, where the
// green rectangle may lie partly beyond the image.
TEST(FastSearch, EqualsLiteralProcedureOnGeneratedFields) {
  auto ws = test::makeWorkspace();
  auto literal = test::makeWorkspace();
  std::mt19937 rng(20240611);
  int found = 0;
  for (int c = 0; c < 160; ++c) {
    SCOPED_TRACE("case " + std::to_string(c));
    generateField(*ws, rng);
    for (int n = 0; n < kMaxStars; ++n)
      for (int image : {B, G}) star(*ws, image, n).partner = static_cast<std::int16_t>(n);
    ws->optionFlags = c % 2 ? std::uint32_t(OPT_MOVE_MANUALLY) : 0u;
    ws->offsetX = uniform(rng, -20, 20), ws->offsetY = uniform(rng, -20, 20);
    *literal = *ws;
    if (c % 2)
      literal->overlapCount = test::literalMatch(*literal);
    else
      found += test::literalAutomaticCompare(*literal) > 0;
    compareImages(*ws);
    ASSERT_EQ(ws->offsetX, literal->offsetX);
    ASSERT_EQ(ws->offsetY, literal->offsetY);
    ASSERT_EQ(ws->overlapCount, literal->overlapCount);
    for (int n = 0; n < kMaxStars; ++n)
      for (int image : {B, G}) ASSERT_EQ(partnerOf(*ws, image, n), partnerOf(*literal, image, n));
    expectMutual(*ws);
  }
  EXPECT_GE(found, 25);  // the fields overlap often enough to decide offsets
}

// Blue star 0 covers green star 0 with three pixels and then a one-pixel green speck (1), met
// last; blue stars 1 and 2 lie on one green star (2), each with two pixels. Row by row the speck
// and blue 2 would win, leaving green 0 and blue 1 pointing at stars that point elsewhere.
TEST(Compare, PartnersAreOneToOneByLargestOverlap) {
  auto ws = test::onePixelStars({}, {});
  for (int x : {10, 11, 12, 13}) labelAt(*ws, B, x, 10) = 0;
  for (int x : {10, 11, 12}) labelAt(*ws, G, x, 10) = 0;
  labelAt(*ws, G, 13, 10) = 1;
  for (int x : {30, 31, 32, 33}) labelAt(*ws, B, x, 20) = x < 32 ? 1 : 2;
  for (int x : {30, 31, 32, 33}) labelAt(*ws, G, x, 20) = 2;
  ws->starCount[B] = ws->starCount[G] = 3;
  ws->optionFlags = OPT_MOVE_MANUALLY;
  compareImages(*ws);
  EXPECT_EQ(ws->overlapCount, 8);
  // Equal overlaps: the later met (blue 2) keeps green 2.
  EXPECT_EQ((std::array{partnerOf(*ws, B, 0), partnerOf(*ws, B, 1), partnerOf(*ws, B, 2),
                        partnerOf(*ws, G, 0), partnerOf(*ws, G, 1), partnerOf(*ws, G, 2)}),
            (std::array{0, -1, 2, 0, -1, 2}));
}

// Generated frame pairs searched with the automatic background: noise specks next to large
// stars give many stars that meet two of the other image.
TEST(Compare, PartnersAreMutualWithTheAutomaticBackground) {
  for (std::uint64_t seed = 1; seed <= 6; ++seed) {
    gen::FieldParams p = seed % 2 ? gen::realisticParams(seed) : gen::FieldParams{};
    p.seed = seed;
    const test::MeasuredField m(p, 0);
    ASSERT_GT(m.ws->starCount[B], 100);
    expectMutual(*m.ws);
  }
}

// ---- one field, three modes ----

// A generated frame pair searched in `rect`; green pixel (x + 3, y - 2) shows blue (x, y).
std::unique_ptr<Workspace> searchedField(const SearchRect& rect) {
  gen::FieldParams params;
  params.seed = 7;
  const gen::FieldPair field = gen::generateField(params);
  auto ws = test::makeWorkspace();
  for (int x = 0; x < kImageWidth; ++x)
    for (int y = 0; y < kImageHeight; ++y) {
      pixelAt(*ws, B, x, y) = field.blue[static_cast<std::size_t>(y * kImageWidth + x)];
      pixelAt(*ws, G, x, y) = field.green[static_cast<std::size_t>(y * kImageWidth + x)];
    }
  for (int image : {B, G}) {
    ws->searchRect[image] = rect, ws->backgroundLevel[image] = 1150;
    searchStars(*ws, image);
  }
  return ws;
}

std::vector<int> bluePartners(const Workspace& ws) {
  std::vector<int> p;
  for (int k = 0; k < ws.starCount[B]; ++k) p.push_back(partnerOf(ws, B, k));
  return p;
}

// The stars clicked and "Set" pressed, as the window's command completes it.
void enterPair(Workspace& ws, int slot, int blue, int green) {
  pickPendingStar(ws, B, blue);
  pickPendingStar(ws, G, green);
  if (setReferencePair(ws, slot) != PairSetStatus::Complete) return;
  endPairEntry(ws);
  pairByReferencePairs(ws);
}

// The manual offset and the three reference pairs pair exactly where the automatic comparison
// at the same offset does, searched in the whole image, part of it and its corner: pixels beyond
// what the green search labelled never read as green star 0.
void threeModes(const SearchRect& rect) {
  SCOPED_TRACE(rect.right);
  auto ws = searchedField(rect);
  ASSERT_GT(ws->starCount[B], 10);
  compareImages(*ws);
  ASSERT_EQ((std::array<int, 2>{ws->offsetX, ws->offsetY}), (std::array<int, 2>{3, -2}));
  const std::vector<int> automatic = bluePartners(*ws);

  ws->optionFlags = OPT_MOVE_MANUALLY;
  ws->offsetX = ws->offsetY = 0;
  for (int i = 0; i < 3; ++i) moveGreenImage(*ws, MoveDirection::Left);
  for (int i = 0; i < 2; ++i) moveGreenImage(*ws, MoveDirection::Down);
  compareImages(*ws);
  EXPECT_EQ(bluePartners(*ws), automatic);

  // Three stars paired at exactly the shift: first, middle and last in row order, not on a line.
  std::vector<int> exact;
  for (int k = 0; k < ws->starCount[B]; ++k) {
    const int g = automatic[static_cast<std::size_t>(k)];
    if (g >= 0 && star(*ws, G, g).x == star(*ws, B, k).x + 3 &&
        star(*ws, G, g).y + 2 == star(*ws, B, k).y)
      exact.push_back(k);
  }
  ASSERT_GE(exact.size(), 3u);
  const int refs[3] = {exact.front(), exact[exact.size() / 2], exact.back()};
  // The entry ends the pairing, partners and all (the window offers no comparison then).
  ws->optionFlags = OPT_ROTATE_IMAGES;
  EXPECT_EQ(compareImages(*ws), CompareStatus::PairEntryEndedAPairing);
  EXPECT_EQ(partnerOf(*ws, B, exact.front()), -1);
  for (int slot = 0; slot < 3; ++slot)
    enterPair(*ws, slot, refs[slot], automatic[static_cast<std::size_t>(refs[slot])]);
  ASSERT_TRUE(hasBit(ws->progressFlags, PRG_COMPARED));
  const std::vector<int> mapped = bluePartners(*ws);
  int paired = 0;
  for (std::size_t k = 0; k < mapped.size(); ++k) {
    if (mapped[k] < 0) continue;
    ++paired;
    EXPECT_EQ(mapped[k], automatic[k]) << "blue star " << k;
  }
  EXPECT_GT(paired, ws->starCount[B] / 2);
}

TEST(Compare, ThreeModesAgreeWithAutomaticComparison) {
  for (const SearchRect& rect :
       {kWholeImage, SearchRect{100, 50, 300, 200}, SearchRect{0, 0, 180, 120}})
    threeModes(rect);
}

// ---- three reference pairs ----

// Blue stars on a grid, green star k at the map of blue star k, one extra blue star whose image
// falls outside, one whose image hits no green star.
TEST(Pairs, EveryStarLandsOnItsImage) {
  // green = (ax x + bx y + cx, ay x + by y + cy): a shift, a quarter turn, half scale and shear.
  const double maps[][6] = {
      {1, 0, 7, 0, 1, -4}, {0, -1, 300, 1, 0, -40}, {0.5, 0.2, 3, 0, 0.2, 10}};
  for (const auto& m : maps) {
    std::vector<std::array<int, 2>> blue, green;
    for (int k = 0; k < 20; ++k) {
      const int x = 60 + 20 * (k / 4), y = 50 + 25 * (k % 4);
      blue.push_back({x, y});
      green.push_back({int(m[0] * x + m[1] * y + m[2]), int(m[3] * x + m[4] * y + m[5])});
    }
    blue.push_back({1, 1});      // maps outside the image
    blue.push_back({150, 160});  // maps between green stars
    auto ws = test::onePixelStars(blue, green);
    ws->optionFlags = OPT_ROTATE_IMAGES;
    compareImages(*ws);
    const int refs[3] = {0, 7, 19};  // not on one line
    for (int slot : {0, 1, 2}) enterPair(*ws, slot, refs[slot], refs[slot]);
    ASSERT_TRUE(hasBit(ws->progressFlags, PRG_COMPARED));
    for (int k = 0; k < 20; ++k) EXPECT_EQ(partnerOf(*ws, G, k), k);
    for (int k = 0; k < 22; ++k) EXPECT_EQ(partnerOf(*ws, B, k), k < 20 ? k : -1);
  }
}

// By hand: blue frame P = (10, 10), u = (10, 0), w = (0, 10); green Q = (0, 0) at half scale.
// Blue (8, 10) maps to x = -1.0, plus 0.5 truncated 0; blue (7, 10) to -1.5, giving -1, outside.
TEST(Pairs, MappedPositionTruncatesTowardsZero) {
  auto ws = test::onePixelStars({{20, 10}, {10, 10}, {10, 20}, {8, 10}, {7, 10}},
                                {{5, 0}, {0, 0}, {0, 5}});
  ws->optionFlags = OPT_ROTATE_IMAGES;
  compareImages(*ws);
  for (int slot = 0; slot < 3; ++slot) enterPair(*ws, slot, slot, slot);
  EXPECT_EQ(std::pair(partnerOf(*ws, B, 3), partnerOf(*ws, B, 4)), std::pair(1, -1));
  EXPECT_EQ(partnerOf(*ws, G, 1), 3);   // the highest blue star on it wins
  EXPECT_EQ(partnerOf(*ws, B, 1), -1);  // and the other keeps no one-sided link
}

}  // namespace
}  // namespace orelith
