// The field's statistics are not tested here: the end-to-end accuracy test
// fails on a field whose stars, noise or shift are wrong. What it cannot see
// is tested: reproducibility, the hot pixels, refused parameters and the
// over-full field.
#include <gtest/gtest.h>

#include <cmath>

#include "tools/FieldGenerator.h"

namespace orelith::gen {
namespace {

TEST(FieldGenerator, SameSeedGivesTheSameFieldAnotherSeedAnother) {
  FieldParams p;
  p.seed = 7;
  const FieldPair a = generateField(p);
  const FieldPair b = generateField(p);
  EXPECT_EQ(a.blue, b.blue);
  EXPECT_EQ(a.green, b.green);
  ASSERT_EQ(a.truth.size(), 150u);
  ASSERT_EQ(b.truth.size(), 150u);
  for (std::size_t i = 0; i < a.truth.size(); ++i) {
    EXPECT_EQ(a.truth[i].x, b.truth[i].x);
    EXPECT_EQ(a.truth[i].V, b.truth[i].V);
  }
  ASSERT_EQ(a.hotBlue.size(), 4u);
  EXPECT_EQ(a.hotBlue, b.hotBlue);
  for (int h : a.hotBlue) EXPECT_EQ(a.blue[h], 65535);
  for (int h : a.hotGreen) EXPECT_EQ(a.green[h], 65535);
  p.seed = 8;
  const FieldPair c = generateField(p);
  EXPECT_NE(a.blue, c.blue);
  EXPECT_NE(a.green, c.green);
  EXPECT_NE(a.truth[0].x, c.truth[0].x);
}

TEST(FieldGenerator, BadParametersAreRefusedAndGiveNoField) {
  struct Bad {
    const char* name;
    void (*spoil)(FieldParams&);
  };
  const Bad table[] = {
      {"NegativeStarCount", [](FieldParams& p) { p.starCount = -1; }},
      {"NegativeSky", [](FieldParams& p) { p.sky = -1.0; }},
      {"ZeroFwhm", [](FieldParams& p) { p.fwhm = 0.0; }},
      {"EmptyMagnitudeRange", [](FieldParams& p) { p.vFaint = p.vBright; }},
      {"NegativeHotPixels", [](FieldParams& p) { p.hotPixels = -2; }},
      {"ShiftBeyondTheWidth", [](FieldParams& p) { p.shiftX = 370; }},
      {"ShiftBeyondTheHeight", [](FieldParams& p) { p.shiftY = -240; }},
      {"NanReadNoise", [](FieldParams& p) { p.readNoise = std::nan(""); }},
      {"NegativeSeparation", [](FieldParams& p) { p.minSeparation = -1.0; }},
  };
  EXPECT_EQ(checkFieldParams(FieldParams{}), "");
  for (const Bad& row : table) {
    FieldParams p;
    row.spoil(p);
    EXPECT_NE(checkFieldParams(p), "") << row.name;
    const FieldPair f = generateField(p);
    EXPECT_TRUE(f.blue.empty() && f.green.empty() && f.truth.empty()) << row.name;
  }
}

TEST(FieldGenerator, CrowdedFieldStillGetsAllItsStars) {
  FieldParams p;
  p.starCount = 2000;
  p.minSeparation = 20.0;  // room for only about 150
  p.photonNoise = false;
  EXPECT_EQ(generateField(p).truth.size(), 2000u);
}

}  // namespace
}  // namespace orelith::gen
