// DoMinuit's promises to its caller: refusals, what it writes, and fits whose answer is known
// by hand.
#include <gsl/gsl_errno.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "fitlib/Brelox.h"
#include "tests/support/ParamName.h"

namespace {

constexpr double kUntouched = -7.25;
constexpr int kOutputRoom = 12;

struct Output {
  double c[kOutputRoom];
  Output() {
    for (double& v : c) v = kUntouched;
  }
  int written() const {
    int count = 0;
    for (double v : c) count += v != kUntouched;
    return count;
  }
};

std::vector<BreloxPoint> linePoints(int count) {
  std::vector<BreloxPoint> points;
  for (int j = 0; j < count; ++j) {
    const double x = 2.0 + 0.2 * j;
    points.push_back({x, 20.0 - 2.5 * x + (j % 3 - 1) * 0.03});
  }
  return points;
}

double valueAt(const double* c, int n, double x) {
  double sum = 0.0;
  double power = 1.0;
  for (int i = 0; i < n; ++i, power *= x) sum += power * c[i];
  return sum;
}

struct Refusal {
  std::string name;
  int count;
  int n;
};

class DoMinuitRefusal : public testing::TestWithParam<Refusal> {};

TEST_P(DoMinuitRefusal, ReturnsOneAndLeavesTheOutputUntouched) {
  const std::vector<BreloxPoint> points = linePoints(30);
  Output out;
  EXPECT_EQ(DoMinuit(points.data(), out.c, GetParam().count, GetParam().n), 1);
  EXPECT_EQ(out.written(), 0);
}

INSTANTIATE_TEST_SUITE_P(Limits, DoMinuitRefusal,
                         testing::Values(Refusal{"Points21", 21, 3},
                                         Refusal{"Coefficients11", 3, 11}, Refusal{"Both", 21, 11},
                                         Refusal{"Points21NoCoefficients", 21, 0},
                                         Refusal{"Points30", 30, 10},
                                         Refusal{"Points20Coefficients11", 20, 11}),
                         orelith::test::ParamName());

struct Acceptance {
  std::string name;
  int count;
  int n;
};

class DoMinuitAcceptance : public testing::TestWithParam<Acceptance> {};

TEST_P(DoMinuitAcceptance, ReturnsZeroAndWritesExactlyTheCoefficients) {
  const std::vector<BreloxPoint> points = linePoints(20);
  Output out;
  EXPECT_EQ(DoMinuit(points.data(), out.c, GetParam().count, GetParam().n), 0);
  EXPECT_EQ(out.written(), std::max(GetParam().n, 0));
  for (int i = 0; i < GetParam().n; ++i) EXPECT_TRUE(std::isfinite(out.c[i])) << i;
}

INSTANTIATE_TEST_SUITE_P(Limits, DoMinuitAcceptance,
                         testing::Values(Acceptance{"AtBothLimits", 20, 10},
                                         Acceptance{"Points20Line", 20, 2},
                                         Acceptance{"OnePointTenCoefficients", 1, 10},
                                         Acceptance{"NoCoefficients", 20, 0},
                                         Acceptance{"NegativeCoefficients", 5, -1}),
                         orelith::test::ParamName());

// No points leave every parameter where the minimiser starts, at 1.0.
TEST(DoMinuit, WithoutPointsReportsTheStartValues) {
  const std::vector<BreloxPoint> points = linePoints(1);
  for (int count : {0, -3}) {
    for (int n = 1; n <= 10; ++n) {
      Output out;
      ASSERT_EQ(DoMinuit(points.data(), out.c, count, n), 0);
      for (int i = 0; i < n; ++i) EXPECT_EQ(out.c[i], 1.0) << "count " << count << " n " << n;
      EXPECT_EQ(out.written(), n);
    }
  }
}

// y = 2 - 3x + 0.5x^2 through x = 1, 2, 4 (y = -0.5, -2, -2, by hand).
TEST(DoMinuit, RecoversAParabolaThroughThreePoints) {
  const BreloxPoint points[] = {{1.0, -0.5}, {2.0, -2.0}, {4.0, -2.0}};
  double c[3];
  ASSERT_EQ(DoMinuit(points, c, 3, 3), 0);
  EXPECT_NEAR(c[0], 2.0, 1e-12);
  EXPECT_NEAR(c[1], -3.0, 1e-12);
  EXPECT_NEAR(c[2], 0.5, 1e-12);
}

// The least-squares constant is the mean: (12.1 + 11.7 + 12.5 + 12.0 + 11.9) / 5 = 12.04.
TEST(DoMinuit, OneCoefficientIsTheMean) {
  const BreloxPoint points[] = {{2.1, 12.1}, {2.9, 11.7}, {3.3, 12.5}, {4.0, 12.0}, {5.5, 11.9}};
  double c[1];
  ASSERT_EQ(DoMinuit(points, c, 5, 1), 0);
  EXPECT_NEAR(c[0], 12.04, 1e-13);
}

// x = 0, 1, 2, 3 and y = 1, 3, 5, 7.5 by hand: sum x = 6, sum x^2 = 14, sum y = 16.5,
// sum xy = 35.5, so c1 = (4 * 35.5 - 6 * 16.5) / (4 * 14 - 6 * 6) = 2.15 and
// c0 = (16.5 - 6 * 2.15) / 4 = 0.9.
TEST(DoMinuit, FitsTheLeastSquaresLine) {
  const BreloxPoint points[] = {{0.0, 1.0}, {1.0, 3.0}, {2.0, 5.0}, {3.0, 7.5}};
  double c[2];
  ASSERT_EQ(DoMinuit(points, c, 4, 2), 0);
  EXPECT_NEAR(c[0], 0.9, 1e-13);
  EXPECT_NEAR(c[1], 2.15, 1e-13);
}

struct Interpolation {
  std::string name;
  std::vector<BreloxPoint> points;
  int n;
};

class DoMinuitUnderdetermined : public testing::TestWithParam<Interpolation> {};

// With fewer points than coefficients the least-squares polynomials pass through every point.
TEST_P(DoMinuitUnderdetermined, PassesThroughEveryPoint) {
  const Interpolation& row = GetParam();
  double c[10];
  ASSERT_EQ(DoMinuit(row.points.data(), c, static_cast<int>(row.points.size()), row.n), 0);
  for (const BreloxPoint& p : row.points) EXPECT_NEAR(valueAt(c, row.n, p.x), p.y, 1e-9) << p.x;
}

INSTANTIATE_TEST_SUITE_P(
    Fits, DoMinuitUnderdetermined,
    testing::Values(Interpolation{"OnePointLine", {{3.0, 12.5}}, 2},
                    Interpolation{"TwoPointsFourCoefficients", {{2.5, 13.0}, {4.5, 8.2}}, 4},
                    Interpolation{"NinePointsTenCoefficients",
                                  {{2.1, 14.8},
                                   {2.4, 14.0},
                                   {2.9, 12.7},
                                   {3.3, 11.8},
                                   {3.8, 10.5},
                                   {4.2, 9.46},
                                   {4.9, 7.78},
                                   {5.4, 6.51},
                                   {5.9, 5.27}},
                                  10},
                    Interpolation{"PointAtZero", {{0.0, 4.0}, {1.0, 6.0}}, 5}),
    orelith::test::ParamName());

// Points sharing an x value: only the group means can be met, and with fewer distinct x than
// coefficients every polynomial through the means is a least-squares one.
TEST(DoMinuit, RepeatedXValuesAreFittedThroughTheirMeans) {
  const BreloxPoint points[] = {{2.0, 10.0}, {3.0, 9.0}, {2.0, 11.0}, {3.0, 9.5}, {3.0, 10.0}};
  double c[3];
  ASSERT_EQ(DoMinuit(points, c, 5, 3), 0);
  EXPECT_NEAR(valueAt(c, 3, 2.0), 10.5, 1e-10);
  EXPECT_NEAR(valueAt(c, 3, 3.0), 9.5, 1e-10);
}

TEST(DoMinuit, PointsAllAtOneXAreFittedThroughTheirMean) {
  const BreloxPoint points[] = {{4.0, 10.0}, {4.0, 11.0}, {4.0, 12.5}};
  double c[2];
  ASSERT_EQ(DoMinuit(points, c, 3, 2), 0);
  EXPECT_NEAR(valueAt(c, 2, 4.0), 11.0 + 1.0 / 6.0, 1e-10);
}

// The process-wide store keeps the last fit's data; none of it may leak into the next fit.
TEST(DoMinuit, ResultDoesNotDependOnTheFitBefore) {
  const std::vector<BreloxPoint> many = linePoints(20);
  const BreloxPoint few[] = {{2.2, 14.4}, {3.1, 12.3}, {4.4, 9.0}, {5.6, 6.1}};
  double first[3];
  double again[3];
  double other[10];
  ASSERT_EQ(DoMinuit(few, first, 4, 3), 0);
  ASSERT_EQ(DoMinuit(many.data(), other, 20, 10), 0);
  ASSERT_EQ(DoMinuit(few, again, 4, 3), 0);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(first[i], again[i]) << i;
}

void callersHandler(const char*, const char*, int, int) {}

// The library silences GSL's error handler (whose default aborts the process) for the length of
// a fit; non-finite data must neither hang the fit nor leave the caller's handler replaced.
TEST(DoMinuit, NonFiniteDataReturnAndLeaveTheGslErrorHandlerAsItWas) {
  gsl_error_handler_t* original = gsl_set_error_handler(callersHandler);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const BreloxPoint points[] = {{2.0, 10.0}, {nan, 9.0}, {3.0, inf}, {4.0, 8.0}};
  double c[3];
  const int result = DoMinuit(points, c, 4, 3);
  gsl_error_handler_t* after = gsl_set_error_handler(original);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(after, &callersHandler);
}

}  // namespace
