#include <gtest/gtest.h>

extern "C" int fitLineFromC(double* coefficients);

namespace {

TEST(CallerFromC, FitsThroughTheCHeader) {
  double c[2] = {0.0, 0.0};
  ASSERT_EQ(fitLineFromC(c), 0);
  EXPECT_NEAR(c[0], 1.0, 1e-13);
  EXPECT_NEAR(c[1], 2.0, 1e-13);
}

}  // namespace
