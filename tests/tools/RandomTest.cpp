#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tools/Random.h"

namespace orelith::gen {
namespace {

struct Moments {
  double mean, variance;
};

template <typename Draw>
Moments moments(int n, Draw draw) {
  double sum = 0.0, sumSq = 0.0;
  for (int i = 0; i < n; ++i) {
    const double v = draw();
    sum += v;
    sumSq += v * v;
  }
  const double mean = sum / n;
  return {mean, sumSq / n - mean * mean};
}

TEST(Random, SameSeedAndStreamRepeatTheSequence) {
  Random a(42, 1), b(42, 1), otherStream(42, 2), otherSeed(43, 1);
  int sameStream = 0, sameSeed = 0;
  for (int i = 0; i < 100; ++i) {
    const double va = a.uniform();
    ASSERT_EQ(va, b.uniform());
    sameStream += va == otherStream.uniform();
    sameSeed += va == otherSeed.uniform();
  }
  EXPECT_EQ(sameStream, 0);
  EXPECT_EQ(sameSeed, 0);
}

TEST(Random, UniformStaysInItsInterval) {
  Random r(5, 0);
  for (int i = 0; i < 100000; ++i) {
    const double u = r.uniform();
    ASSERT_GT(u, 0.0);
    ASSERT_LE(u, 1.0);
    const double w = r.uniform(-3.0, 2.0);
    ASSERT_GE(w, -3.0);
    ASSERT_LT(w, 2.0);
  }
}

TEST(Random, BelowCoversEveryValueEvenly) {
  Random r(9, 0);
  std::vector<int> counts(7, 0);
  for (int i = 0; i < 70000; ++i) ++counts[r.below(7)];
  // 10000 expected each, standard deviation about 93.
  for (int c : counts) EXPECT_NEAR(c, 10000, 500);
}

TEST(Random, NormalHasUnitVariance) {
  Random r(11, 0);
  const Moments m = moments(200000, [&] { return r.normal(); });
  EXPECT_NEAR(m.mean, 0.0, 0.01);
  EXPECT_NEAR(m.variance, 1.0, 0.02);
}

// Both branches of the Poisson sampler (exact below 30, normal above) must
// give mean and variance equal to the requested mean.
class PoissonMoments : public testing::TestWithParam<double> {};

TEST_P(PoissonMoments, MeanAndVarianceEqualTheMean) {
  const double mean = GetParam();
  Random r(13, 0);
  const int n = 100000;
  const Moments m = moments(n, [&] { return static_cast<double>(r.poisson(mean)); });
  // Standard error of the mean is sqrt(mean / n); of the variance about
  // mean * sqrt(2 / n) for the larger means.
  EXPECT_NEAR(m.mean, mean, 5.0 * std::sqrt(mean / n) + 1e-9);
  EXPECT_NEAR(m.variance, mean, 5.0 * mean * std::sqrt(2.0 / n) + 5.0 * std::sqrt(mean / n));
}

INSTANTIATE_TEST_SUITE_P(Means, PoissonMoments,
                         testing::Values(0.3, 4.0, 29.5, 30.0, 250.0, 1000.0, 60000.0));

TEST(Random, PoissonOfZeroOrLessIsZero) {
  Random r(1, 0);
  EXPECT_EQ(r.poisson(0.0), 0);
  EXPECT_EQ(r.poisson(-5.0), 0);
}

}  // namespace
}  // namespace orelith::gen
