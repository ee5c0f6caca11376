// Frames other than ST-6 frames: the limits a real frame needs (more than 1024 stars, stars of
// thousands of pixels found by the deep fill in the same order), masked pixels, and pairs of
// different sizes lying further apart than the pixel search reaches.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "analysis/Correspondence.h"
#include "analysis/StarFlags.h"
#include "analysis/StarSearch.h"
#include "image/OpenImage.h"
#include "photometry/Aperture.h"
#include "tests/support/TestWorkspace.h"
#include "tools/FieldGenerator.h"
#include "tools/FitsWriter.h"

namespace orelith {
namespace {

void loadPlane(Workspace& ws, int image, const std::vector<std::uint16_t>& counts, int w, int h) {
  adoptFrame(ws, image, w, h, std::vector<float>(counts.begin(), counts.end()));
  ws.searchRect[image] = wholeImage(ws, image);
  ws.progressFlags |= kLoadedBit[image];
}

// 1600 one-pixel stars on a 400 x 400 grid of every tenth pixel (more than an ST-6 frame's 1024),
// a 40 x 40 block (1600 pixels, deeper than 512), a NaN pixel and a NaN-filled corner.
TEST(LargeFrame, FindsManyStarsLargeStarsAndNeverMaskedPixels) {
  auto ws = test::makeWorkspace();
  std::vector<float> v(400 * 400, 100.0f);
  for (int y = 5; y < 400; y += 10)
    for (int x = 5; x < 400; x += 10) v[y * 400 + x] = 200.0f;
  for (int y = 100; y < 140; ++y)
    for (int x = 100; x < 140; ++x) v[y * 400 + x] = 300.0f;
  for (int k = 0; k < 30; ++k) v[k] = std::numeric_limits<float>::quiet_NaN();
  adoptFrame(*ws, kBlue, 400, 400, std::move(v));
  ws->searchRect[kBlue] = wholeImage(*ws, kBlue), ws->backgroundLevel[kBlue] = 150;
  ASSERT_EQ(searchStars(*ws, kBlue).status, SearchStatus::Ok);
  // 40 x 40 grid points, less the 4 x 4 inside the block, plus the block.
  EXPECT_EQ(ws->starCount[kBlue], 1600 - 16 + 1);
  // Grid rows 5 .. 95 give 10 rows of 40 stars before row 100, where the block begins.
  const StarRecord& block = star(*ws, kBlue, 400);
  EXPECT_EQ((std::array{int{block.pixelCount}, int{block.x}, int{block.y}}),
            (std::array{1600, 100, 100}));
  EXPECT_EQ(labelAt(*ws, kBlue, 0, 0), kLabelNoStar);
}

// One generated field written as 16-bit integers and as 32-bit floats reads to the same values:
// the same stars with the same sums and aperture magnitudes. Fractions of a count are summed
// exactly: nine pixels 0.4 above the level give 4 (3.6 rounded), where whole counts gave 0, and
// the lg is that of 3.6; four pixels 0.05 above give 0 and the lg of 0.2, not that of 0.
TEST(LargeFrame, FloatFramesMeasureAsTheirIntegerTwin) {
  gen::FieldParams p;
  p.width = 300, p.height = 200, p.starCount = 60, p.seed = 5;
  const gen::FieldPair field = gen::generateField(p);
  const auto dir = test::makeTempDir();
  std::unique_ptr<Workspace> ws[2];
  for (int k : {0, 1}) {
    const std::string path = (dir / ("f" + std::to_string(k) + ".fits")).string();
    gen::FitsLayout layout;
    layout.bitpix = k ? -32 : 16;
    ASSERT_EQ(gen::writeFits(path, field.blue.data(), 300, 200, {}, layout), "");
    ws[k] = test::makeWorkspace();
    ASSERT_EQ(openImage(*ws[k], kBlue, path).status, St6Status::Ok);
    ws[k]->backgroundLevel[kBlue] = 1100;
    ASSERT_EQ(searchStars(*ws[k], kBlue).status, SearchStatus::Ok);
  }
  std::filesystem::remove_all(dir);
  ASSERT_GT(ws[0]->starCount[kBlue], 30);
  ASSERT_EQ(ws[1]->starCount[kBlue], ws[0]->starCount[kBlue]);
  const ApertureSettings aperture{4.0, 6.0, 9.0, 1.0, 0.0};
  for (int n = 0; n < ws[0]->starCount[kBlue]; ++n) {
    double x[2], y[2], mag[2];
    for (int k : {0, 1}) {
      starCentroid(*ws[k], kBlue, n, x[k], y[k]);
      mag[k] = measureAperture(*ws[k], kBlue, x[k], y[k], aperture).mag;
    }
    ASSERT_EQ(star(*ws[1], kBlue, n).brightness, star(*ws[0], kBlue, n).brightness) << n;
    // A faint star without positive flux has no magnitude in either.
    EXPECT_TRUE(std::isnan(mag[0]) ? std::isnan(mag[1]) : std::abs(mag[1] - mag[0]) <= 0.001) << n;
  }
  auto small = test::makeWorkspace();
  std::vector<float> v(20 * 20, 100.0f);
  for (int y = 5; y < 8; ++y)
    for (int x = 5; x < 8; ++x) v[y * 20 + x] = 100.4f;
  for (int y = 14; y < 16; ++y)
    for (int x = 14; x < 16; ++x) v[y * 20 + x] = 100.05f;
  adoptFrame(*small, kBlue, 20, 20, std::move(v));
  small->floatFrame[kBlue] = true;  // as a FITS frame of BITPIX -32 loads
  small->searchRect[kBlue] = wholeImage(*small, kBlue), small->backgroundLevel[kBlue] = 100;
  ASSERT_EQ(searchStars(*small, kBlue).status, SearchStatus::Ok);
  ASSERT_EQ(small->starCount[kBlue], 2);
  // The sums of what the floats hold (100.4f is 100.40000153, 100.05f is 100.05000305).
  const struct {
    std::uint32_t brightness;
    double sum;
  } rows[] = {{4, 9 * (double{100.4f} - 100)}, {0, 4 * (double{100.05f} - 100)}};
  for (int k : {0, 1}) {
    EXPECT_EQ(star(*small, kBlue, k).brightness, rows[k].brightness) << k;
    EXPECT_NEAR(star(*small, kBlue, k).lgBrightness, std::log10(rows[k].sum), 1e-6) << k;
    EXPECT_NEAR(summedLight(*small, kBlue, k), rows[k].sum, 1e-6) << k;
  }
}

// A floating-point frame holding (counts - zero) * scale, its sky below 0, searched at the
// fractional level (1130 - zero) * scale finds the stars of the counts at 1130: the same labels,
// sums scaled (exact in binary: the scales are powers of two).
TEST(LargeFrame, FloatFramesTakeFractionalAndNegativeLevels) {
  gen::FieldParams p;
  p.width = 200, p.height = 150, p.starCount = 40, p.seed = 9;
  const gen::FieldPair field = gen::generateField(p);
  auto whole = test::makeWorkspace();
  loadPlane(*whole, kBlue, field.blue, 200, 150);
  whole->backgroundLevel[kBlue] = 1130;
  ASSERT_EQ(searchStars(*whole, kBlue).status, SearchStatus::Ok);
  ASSERT_GT(whole->starCount[kBlue], 20);
  const auto dir = test::makeTempDir();
  const std::string path = (dir / "f.fits").string();
  for (const auto& [zero, scale] : {std::pair{1100.0, 0.25}, {1130.5, 0.5}}) {
    const gen::FitsLayout layout = gen::floatLayout(-zero * scale, scale);
    ASSERT_EQ(gen::writeFits(path, field.blue.data(), 200, 150, {}, layout), "");
    auto ws = test::makeWorkspace();
    ASSERT_EQ(openImage(*ws, kBlue, path).status, St6Status::Ok);
    ws->backgroundLevel[kBlue] = (1130 - zero) * scale;  // 7.5 over a sky of -25; -0.25
    ASSERT_EQ(searchStars(*ws, kBlue).status, SearchStatus::Ok);
    EXPECT_TRUE(ws->floatFrame[kBlue]);
    EXPECT_EQ(ws->frame[kBlue].labels, whole->frame[kBlue].labels) << zero;
    ASSERT_EQ(ws->starCount[kBlue], whole->starCount[kBlue]) << zero;
    // The lg is the integer frame's plus that of the scale, to a float's precision, where the
    // rounded sums gave a star of 5 counts at scale 0.25 the lg of 1, not of 1.25.
    for (int n = 0; n < ws->starCount[kBlue]; ++n) {
      const StarRecord& s = star(*whole, kBlue, n);
      EXPECT_EQ(star(*ws, kBlue, n).brightness,
                std::round(static_cast<double>(s.brightness) * scale));
      EXPECT_NEAR(star(*ws, kBlue, n).lgBrightness, s.lgBrightness + std::log10(scale), 2e-6);
    }
  }
  std::filesystem::remove_all(dir);
}

// A floating-point frame holding an integer frame's counts times 2^-10 (electrons a second, say)
// measures its sky and flags its stars as the integer frame does, scaled exactly. The flags
// compared whole counts, so such a frame had its sky noise at the floor of 1 and its
// saturated and blended stars unflagged.
TEST(LargeFrame, FloatFramesOfSmallValuesFlagAsTheirIntegerTwin) {
  gen::FieldParams p;
  p.width = 300, p.height = 200, p.starCount = 80, p.seed = 3, p.fullWell = 40000;
  p.blends = 10, p.blendSeparation = 4.5, p.blendRatio = 0.5, p.moffatBeta = 3;
  const gen::FieldPair field = gen::generateField(p);
  constexpr double kScale = 1.0 / 1024;
  std::unique_ptr<Workspace> ws[2] = {test::makeWorkspace(), test::makeWorkspace()};
  loadPlane(*ws[0], kBlue, field.blue, 300, 200);
  const auto dir = test::makeTempDir();
  const std::string path = (dir / "small.fits").string();
  ASSERT_EQ(gen::writeFits(path, field.blue.data(), 300, 200, {}, gen::floatLayout(0, kScale)), "");
  ASSERT_EQ(openImage(*ws[1], kBlue, path).status, St6Status::Ok);
  std::filesystem::remove_all(dir);
  SkyNoise sky[2];
  for (int k : {0, 1}) {
    ws[k]->backgroundLevel[kBlue] = 1100 * (k ? kScale : 1.0);
    ASSERT_EQ(searchStars(*ws[k], kBlue).status, SearchStatus::Ok);
    sky[k] = measureSkyNoise(*ws[k], kBlue);
  }
  ASSERT_EQ(ws[1]->starCount[kBlue], ws[0]->starCount[kBlue]);
  EXPECT_EQ(sky[1].level, sky[0].level * kScale);
  EXPECT_EQ(sky[1].sigma, sky[0].sigma * kScale);
  const FlagLimits limits[2] = {{40000, sky[0], 1.0}, {40000 * kScale, sky[1], 1 / kScale}};
  int saturated = 0, blended = 0;
  for (int n = 0; n < ws[0]->starCount[kBlue]; ++n) {
    const std::uint32_t flags = starShapeFlags(*ws[0], kBlue, n, limits[0]);
    EXPECT_EQ(starShapeFlags(*ws[1], kBlue, n, limits[1]), flags) << n;
    saturated += (flags & FLAG_SATURATED) != 0, blended += (flags & FLAG_BLENDED) != 0;
  }
  EXPECT_GT(saturated, 0);
  EXPECT_GT(blended, 0);
}

// The heap-stack fill walks as the recursive one: a generated ST-6 field searched as it is
// (recursion) and with one more column of sky (the deep fill) gives the same stars, pixel lists
// in the same order and the same depth marks (pixel-per-star 6 marks many).
TEST(LargeFrame, DeepFillWalksAsTheRecursion) {
  gen::FieldParams p;
  p.starCount = 80, p.seed = 11;
  const gen::FieldPair field = gen::generateField(p);
  std::unique_ptr<Workspace> ws[2];
  for (int extra : {0, 1}) {
    const int w = kImageWidth + extra;
    std::vector<float> v(static_cast<std::size_t>(w) * kImageHeight, 1000.0f);
    for (int y = 0; y < kImageHeight; ++y)
      for (int x = 0; x < kImageWidth; ++x) v[y * w + x] = field.blue[y * kImageWidth + x];
    ws[extra] = test::makeWorkspace();
    adoptFrame(*ws[extra], kBlue, w, kImageHeight, std::move(v));
    ws[extra]->searchRect[kBlue] = wholeImage(*ws[extra], kBlue);
    ws[extra]->backgroundLevel[kBlue] = 1150, ws[extra]->algorithm.pixelPerStar = 6;
    ASSERT_EQ(searchStars(*ws[extra], kBlue).status, SearchStatus::Ok);
  }
  ASSERT_EQ(ws[1]->starCount[kBlue], ws[0]->starCount[kBlue]);
  int large = 0;
  for (int n = 0; n < ws[0]->starCount[kBlue]; ++n) {
    const StarRecord &a = star(*ws[0], kBlue, n), &b = star(*ws[1], kBlue, n);
    using Key = std::array<std::uint32_t, 4>;
    EXPECT_EQ((Key{a.brightness, a.marks, a.pixelCount, a.x}),
              (Key{b.brightness, b.marks, b.pixelCount, b.x}));
    const auto pa = starPixels(*ws[0], kBlue, n), pb = starPixels(*ws[1], kBlue, n);
    for (std::size_t i = 0; i < pa.size() && i < pb.size(); ++i)
      ASSERT_TRUE(pa[i].x == pb[i].x && pa[i].y == pb[i].y) << n << " " << i;
    large += (a.marks & MARK_LARGE) != 0;
  }
  EXPECT_GT(large, 5);
}

// Generated fields: the green frame of another size, shifted beyond -5..+5 up to a quarter of
// the width; compare finds the generator's shift and pairs the stars both frames show.
void pairsThroughTheStarPatterns(int greenW, int greenH, int dx, int dy) {
  SCOPED_TRACE(greenW);
  gen::FieldParams p;
  p.width = 512, p.height = 384, p.greenWidth = greenW, p.greenHeight = greenH;
  p.shiftX = dx, p.shiftY = dy, p.starCount = 120, p.hotPixels = 0, p.seed = 7;
  const gen::FieldPair field = gen::generateField(p);
  ASSERT_FALSE(field.truth.empty());
  auto ws = test::makeWorkspace();
  loadPlane(*ws, kBlue, field.blue, p.width, p.height);
  loadPlane(*ws, kGreen, field.green, gen::greenWidth(p), gen::greenHeight(p));
  for (int image : {kBlue, kGreen}) {
    ws->backgroundLevel[image] = 1100;  // ten read-noise sigmas above the sky of 1000
    ASSERT_EQ(searchStars(*ws, image).status, SearchStatus::Ok);
  }
  ASSERT_EQ(compareImages(*ws), CompareStatus::Paired);
  EXPECT_EQ((std::array{ws->offsetX, ws->offsetY}), (std::array{dx, dy}));
  int paired = 0;
  for (int k = 0; k < ws->starCount[kBlue]; ++k) paired += star(*ws, kBlue, k).partner >= 0;
  EXPECT_GE(paired, 100);  // of 120 stars, faint ones may stay below the level
}

// A frame of more stars than the width estimate takes (2048) tells its width from a sample spread
// over the frame: it agrees with the same field's smaller crop, where every star counts, and both
// with the generator's FWHM of 2.2 (the estimate's Gaussian of flux and peak, pixelised, runs a
// little wide).
TEST(LargeFrame, AFrameOfManyStarsTellsItsWidthFromASample) {
  gen::FieldParams p;
  p.width = p.height = 1400, p.starCount = 6000, p.seed = 3, p.gaussianAbove = 100;
  const gen::FieldPair field = gen::generateField(p);
  auto whole = test::makeWorkspace(), crop = test::makeWorkspace();
  loadPlane(*whole, kBlue, field.blue, 1400, 1400);
  std::vector<std::uint16_t> part(400 * 400);
  for (int y = 0; y < 400; ++y)
    std::copy_n(field.blue.begin() + y * 1400, 400, part.begin() + y * 400);
  loadPlane(*crop, kBlue, part, 400, 400);
  for (Workspace* ws : {whole.get(), crop.get()}) {
    ws->backgroundLevel[kBlue] = 1100;
    ASSERT_EQ(searchStars(*ws, kBlue).status, SearchStatus::Ok);
  }
  ASSERT_GT(whole->starCount[kBlue], 2 * 2048);
  ASSERT_LT(crop->starCount[kBlue], 2048);
  const double sampled = estimateFwhm(*whole, kBlue, 0), all = estimateFwhm(*crop, kBlue, 0);
  EXPECT_NEAR(sampled, all, 0.01 * all);
  EXPECT_NEAR(sampled, 2.2, 0.25);
}

TEST(LargeFrame, ShiftedFramesPairThroughTheStarPatterns) {
  pairsThroughTheStarPatterns(512, 384, 100, -60);
  pairsThroughTheStarPatterns(448, 352, -9, 7);
  pairsThroughTheStarPatterns(600, 300, 3, -2);
}

}  // namespace
}  // namespace orelith
