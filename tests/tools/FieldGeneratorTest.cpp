// The field's statistics are not tested here: the end-to-end accuracy test
// fails on a field whose stars, noise or shift are wrong. What it cannot see
// is tested: reproducibility, the hot pixels, refused parameters and the
// over-full field.
#include <gtest/gtest.h>

#include <cmath>

#include "tools/FieldGenerator.h"

namespace orelith::gen {
namespace {

TEST(FieldGenerator, SeedDecidesTheFieldAndHotPixelsAreFull) {
  FieldParams p;
  p.seed = 7;
  const FieldPair a = generateField(p), b = generateField(p);
  EXPECT_EQ(a.blue, b.blue);
  EXPECT_EQ(a.green, b.green);
  ASSERT_EQ(a.truth.size(), 150u);
  ASSERT_EQ(b.truth.size(), 150u);
  for (std::size_t i = 0; i < a.truth.size(); ++i)
    EXPECT_TRUE(a.truth[i].x == b.truth[i].x && a.truth[i].V == b.truth[i].V) << i;
  ASSERT_EQ(a.hotBlue.size(), 4u);
  for (int h : a.hotBlue) EXPECT_EQ(a.blue[h], 65535);
  for (int h : a.hotGreen) EXPECT_EQ(a.green[h], 65535);
  p.seed = 8;
  EXPECT_NE(generateField(p).green, a.green);
}

TEST(FieldGenerator, BadParametersGiveNoField) {
  const std::pair<const char*, void (*)(FieldParams&)> rows[] = {
      {"NegativeSky", [](FieldParams& p) { p.sky = -1.0; }},
      {"EmptyMagnitudeRange", [](FieldParams& p) { p.vFaint = p.vBright; }},
      {"ShiftBeyondTheHeight", [](FieldParams& p) { p.shiftY = -240; }},
      {"NanReadNoise", [](FieldParams& p) { p.readNoise = std::nan(""); }},
  };
  EXPECT_EQ(checkFieldParams(FieldParams{}), "");
  for (const auto& [name, spoil] : rows) {
    FieldParams p;
    spoil(p);
    EXPECT_NE(checkFieldParams(p), "") << name;
    const FieldPair f = generateField(p);
    EXPECT_TRUE(f.blue.empty() && f.green.empty() && f.truth.empty()) << name;
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
