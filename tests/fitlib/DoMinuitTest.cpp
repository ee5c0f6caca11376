// DoMinuit's promises to its caller: results, what it writes, and fits whose answer is known
// by hand. That no fit is worse than the least-squares one is FitAccuracyTest's.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "fitlib/Brelox.h"
#include "tests/support/ParamName.h"

extern "C" int fitLineFromC(double* coefficients);  // CallerFromC.c: y = 1 + 2x

namespace {

constexpr double kUntouched = -7.25;
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

std::vector<BreloxPoint> linePoints(int count) {
  std::vector<BreloxPoint> points;
  for (int j = 0; j < count; ++j) {
    const double x = 2.0 + 0.2 * j;
    points.push_back({x, 20.0 - 2.5 * x + (j % 3 - 1) * 0.03});
  }
  return points;
}

struct FitRow {
  std::string name;
  std::vector<BreloxPoint> points;
  int count, n;
  int result;
  int written;                       // output entries written, each finite
  std::vector<double> coefficients;  // by hand, to 1e-12 relative, where given
};

// A fit whose coefficients are known by hand.
FitRow known(std::string name, std::vector<BreloxPoint> points, std::vector<double> c) {
  const int count = static_cast<int>(points.size()), n = static_cast<int>(c.size());
  return {std::move(name), std::move(points), count, n, BRELOX_OK, n, std::move(c)};
}

class DoMinuitFits : public testing::TestWithParam<FitRow> {};

TEST_P(DoMinuitFits, ReturnsAndWrites) {
  const FitRow& row = GetParam();
  double out[12];
  std::fill(std::begin(out), std::end(out), kUntouched);
  EXPECT_EQ(DoMinuit(row.points.data(), out, row.count, row.n), row.result);
  int written = 0;
  for (double v : out) written += v != kUntouched;
  EXPECT_EQ(written, row.written);
  for (int i = 0; i < written; ++i) EXPECT_TRUE(std::isfinite(out[i])) << i;
  for (std::size_t i = 0; i < row.coefficients.size(); ++i)
    EXPECT_NEAR(out[i], row.coefficients[i], 1e-12 * std::fmax(1.0, std::fabs(row.coefficients[i])))
        << i;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Fits, DoMinuitFits, testing::Values(
    FitRow{"Points21", linePoints(21), 21, 3, BRELOX_TOO_MANY, 0, {}},
    FitRow{"Coefficients11", linePoints(3), 3, 11, BRELOX_TOO_MANY, 0, {}},
    FitRow{"AtBothLimits", linePoints(20), 20, 10, BRELOX_OK, 10, {}},
    FitRow{"OnePointTenCoefficients", linePoints(1), 1, 10, BRELOX_OK, 10, {}},
    FitRow{"NoCoefficients", linePoints(5), 5, 0, BRELOX_OK, 0, {}},
    FitRow{"NegativeCoefficients", linePoints(5), 5, -1, BRELOX_OK, 0, {}},
    FitRow{"NanX", {{2.0, 10.0}, {kNan, 9.0}}, 2, 2, BRELOX_NOT_FINITE, 0, {}},
    FitRow{"InfiniteY", {{2.0, 10.0}, {3.0, kInf}}, 2, 2, BRELOX_NOT_FINITE, 0, {}},
    // Finite but absurd: the line through it is still finite.
    FitRow{"HugeY", {{2.0, 1e308}, {3.0, -1e308}}, 2, 2, BRELOX_OK, 2, {}},
    // No points leave every parameter where a minimiser starts, at 1.0.
    FitRow{"NoPoints", {}, 0, 10, BRELOX_OK, 10, std::vector<double>(10, 1.0)},
    // y = 2 - 3x + 0.5x^2 through x = 1, 2, 4.
    known("Parabola", {{1.0, -0.5}, {2.0, -2.0}, {4.0, -2.0}}, {2.0, -3.0, 0.5}),
    // (12.1 + 11.7 + 12.5 + 12.0 + 11.9) / 5 = 12.04.
    known("MeanForOneCoefficient",
          {{2.1, 12.1}, {2.9, 11.7}, {3.3, 12.5}, {4.0, 12.0}, {5.5, 11.9}}, {12.04}),
    // sum x = 6, x^2 = 14, y = 16.5, xy = 35.5: c1 = (4 * 35.5 - 6 * 16.5) / 20 = 2.15,
    // c0 = (16.5 - 6 * 2.15) / 4 = 0.9.
    known("LeastSquaresLine", {{0.0, 1.0}, {1.0, 3.0}, {2.0, 5.0}, {3.0, 7.5}}, {0.9, 2.15}),
    // One point, three coefficients: the least-norm answer is the constant.
    known("OnePointIsAConstant", {{3.0, 12.5}}, {12.5, 0.0, 0.0}),
    // Three points at one x: their mean, (10 + 11 + 12.5) / 3.
    known("OneXIsTheMean", {{4.0, 10.0}, {4.0, 11.0}, {4.0, 12.5}}, {11.0 + 1.0 / 6.0, 0.0}),
    // Near 1e-300 the line's slope is 1e300-fold: not finite beyond two terms, so the best
    // finite fit is kept (here the line itself, exact).
    known("TinyX", {{1e-300, 1.0}, {2e-300, 2.0}, {3e-300, 3.0}}, {0.0, 1e300, 0.0})),
    orelith::test::ParamName());
// clang-format on

// The header compiles as C and the library links from C.
TEST(DoMinuit, CallableFromC) {
  double c[2] = {0.0, 0.0};
  ASSERT_EQ(fitLineFromC(c), BRELOX_OK);
  EXPECT_NEAR(c[0], 1.0, 1e-13);
  EXPECT_NEAR(c[1], 2.0, 1e-13);
}

}  // namespace
