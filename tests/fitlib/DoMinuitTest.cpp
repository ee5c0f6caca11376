// DoMinuit's promises to its caller: results, what it writes, and fits whose answer is known
// by hand; and that no fit is worse than the least-squares one of an independent reference.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <thread>
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
    FitRow{"Points21", linePoints(21), 21, 3, BRELOX_OK, 3, {}},
    FitRow{"Points1024", linePoints(1024), 1024, 10, BRELOX_OK, 10, {}},
    FitRow{"Points1025", linePoints(1025), 1025, 3, BRELOX_TOO_MANY, 0, {}},
    FitRow{"Coefficients11", linePoints(3), 3, 11, BRELOX_TOO_MANY, 0, {}},
    FitRow{"TwentyPointsTenCoefficients", linePoints(20), 20, 10, BRELOX_OK, 10, {}},
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
    // sum x 6, x^2 14, y 16.5, xy 35.5: c1 = (4 * 35.5 - 6 * 16.5) / 20 = 2.15, c0 = 0.9.
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

// DoMinuit against an independent least-squares reference on calibration-like data: modified
// Gram-Schmidt in long double, in the Chebyshev basis of x mapped onto [-1, 1] (well conditioned,
// unlike the library's monomials, and another factorisation than its Householder QR). Both
// residual sums are evaluated in 113-bit floating point, so the comparison sees the polynomials,
// not the rounding of their evaluation (a degree-9 polynomial on [2, 6] has terms a million
// times its value).
__extension__ typedef __float128 Quad;

constexpr int kMaxPoints = 20;
constexpr int kMaxCoefficients = 10;
constexpr int kSeeds = 5;
// Allowed excess of the library's residual sum over the reference's, relative to it.
constexpr double kRelativeTolerance = 5e-14;
// Double coefficients cannot pin a polynomial closer than about a unit in the last place of its
// largest term c_i x^i (up to 1e10 for ten coefficients through eleven points, outweighing the
// relative tolerance): four such units per point are allowed on top.
constexpr double kTermUlps = 4 * DBL_EPSILON;

struct Fit {
  std::vector<BreloxPoint> points;
  int n;
};

// x in [2, 6], y = 20 - 2.5 x + noise of 0.03, both rounded to float as the program's star
// table holds them; x values kept distinct so that count >= n means full rank.
std::vector<BreloxPoint> calibrationPoints(int count, std::mt19937_64& random) {
  std::uniform_real_distribution<double> lg(2.0, 6.0);
  std::normal_distribution<double> noise(0.0, 0.03);
  std::vector<BreloxPoint> points;
  while (static_cast<int>(points.size()) < count) {
    const double x = static_cast<float>(lg(random));
    const bool taken =
        std::any_of(points.begin(), points.end(), [x](const BreloxPoint& p) { return p.x == x; });
    if (taken) continue;
    points.push_back({x, static_cast<float>(20.0 - 2.5 * x + noise(random))});
  }
  return points;
}

// Affine map of the data's x range onto [-1, 1]: middle and half width.
struct Mapping {
  long double middle, half;
};
Mapping mappingOf(const std::vector<BreloxPoint>& points) {
  auto [low, high] =
      std::minmax_element(points.begin(), points.end(), [](auto& a, auto& b) { return a.x < b.x; });
  return {(static_cast<long double>(high->x) + low->x) / 2,
          (static_cast<long double>(high->x) - low->x) / 2};
}

template <typename T>
void chebyshevRow(T t, int n, T* row) {
  for (int i = 0; i < n; ++i) row[i] = i == 0 ? T(1) : i == 1 ? t : 2 * t * row[i - 1] - row[i - 2];
}

// Least-squares Chebyshev coefficients (count >= n) by modified Gram-Schmidt on the columns.
std::vector<long double> referenceFit(const Fit& fit, const Mapping& map) {
  const int count = static_cast<int>(fit.points.size()), n = fit.n;
  long double a[kMaxCoefficients][kMaxPoints], y[kMaxPoints];
  for (int j = 0; j < count; ++j) {
    long double row[kMaxCoefficients];
    chebyshevRow((fit.points[j].x - map.middle) / map.half, n, row);
    for (int i = 0; i < n; ++i) a[i][j] = row[i];
    y[j] = fit.points[j].y;
  }
  long double r[kMaxCoefficients][kMaxCoefficients] = {}, z[kMaxCoefficients];
  for (int i = 0; i < n; ++i) {
    long double norm = 0;
    for (int j = 0; j < count; ++j) norm += a[i][j] * a[i][j];
    r[i][i] = std::sqrt(norm);
    for (int j = 0; j < count; ++j) a[i][j] /= r[i][i];
    for (int k = i + 1; k < n; ++k) {
      long double dot = 0;
      for (int j = 0; j < count; ++j) dot += a[i][j] * a[k][j];
      r[i][k] = dot;
      for (int j = 0; j < count; ++j) a[k][j] -= dot * a[i][j];
    }
    z[i] = 0;
    for (int j = 0; j < count; ++j) z[i] += a[i][j] * y[j];
    for (int j = 0; j < count; ++j) y[j] -= z[i] * a[i][j];
  }
  std::vector<long double> c(n);
  for (int i = n - 1; i >= 0; --i) {
    long double sum = z[i];
    for (int k = i + 1; k < n; ++k) sum -= r[i][k] * c[k];
    c[i] = sum / r[i][i];
  }
  return c;
}

Quad referenceResidualSum(const Fit& fit) {
  if (static_cast<int>(fit.points.size()) < fit.n) return 0;  // distinct x: exact interpolation
  const Mapping map = mappingOf(fit.points);
  const std::vector<long double> c = referenceFit(fit, map);
  Quad sum = 0;
  for (const BreloxPoint& p : fit.points) {
    Quad row[kMaxCoefficients];
    chebyshevRow((Quad(p.x) - Quad(map.middle)) / Quad(map.half), fit.n, row);
    Quad value = 0;
    for (int i = 0; i < fit.n; ++i) value += row[i] * Quad(c[i]);
    sum += (Quad(p.y) - value) * (Quad(p.y) - value);
  }
  return sum;
}

// The residual sum of the library's coefficients c; termSize: the largest sum of |c_i x^i|.
Quad libraryResidualSum(const Fit& fit, const double* c, double& termSize) {
  Quad sum = 0;
  termSize = 0;
  for (const BreloxPoint& p : fit.points) {
    Quad value = 0, power = 1;
    double terms = 0;
    for (int i = 0; i < fit.n; ++i, power *= Quad(p.x)) {
      value += power * Quad(c[i]);
      terms += std::fabs(static_cast<double>(power * Quad(c[i])));
    }
    termSize = std::max(termSize, terms);
    sum += (Quad(p.y) - value) * (Quad(p.y) - value);
  }
  return sum;
}

// The fit keeps no state: fits on two threads at once give what they give alone.
TEST(DoMinuit, IsReentrant) {
  const std::vector<BreloxPoint> a = linePoints(20), b = linePoints(7);
  double aloneA[10], aloneB[3];
  ASSERT_EQ(DoMinuit(a.data(), aloneA, 20, 10), BRELOX_OK);
  ASSERT_EQ(DoMinuit(b.data(), aloneB, 7, 3), BRELOX_OK);
  bool sameA = true, sameB = true;  // one flag per thread: no shared write
  auto run = [](const std::vector<BreloxPoint>& p, const double* alone, int n, bool& same) {
    for (int k = 0; k < 200; ++k) {
      double c[10];
      DoMinuit(p.data(), c, static_cast<int>(p.size()), n);
      for (int i = 0; i < n; ++i) same = same && c[i] == alone[i];
    }
  };
  std::thread first(run, std::cref(a), aloneA, 10, std::ref(sameA));
  run(b, aloneB, 3, sameB);
  first.join();
  EXPECT_TRUE(sameA && sameB);
}

// Beyond 20 points against the normal equations (X^T X) a = X^T y in powers of x - 5, solved by
// Gauss-Jordan elimination in long double: for up to a cubic over x in [2, 8] they are
// conditioned about 1e4, so both curves agree to 1e-10 mag at every point.
TEST(FitAccuracy, ManyPointsMatchTheNormalEquations) {
  for (const auto& [count, n] : {std::pair{21, 2}, {200, 3}, {1024, 4}}) {
    std::vector<BreloxPoint> p(static_cast<std::size_t>(count));
    long double m[4][5] = {};  // [X^T X | X^T y]
    for (int j = 0; j < count; ++j) {
      const double x = 2 + 6.0 * j / (count - 1);
      p[j] = {x, 20 - 2.5 * x + 0.01 * std::pow(x - 5, 3) + 0.03 * (j % 3 - 1)};
      for (int i = 0; i < n; ++i)
        for (int k = 0; k <= n; ++k)
          m[i][k] += std::pow(x - 5.0L, i + (k < n ? k : 0)) * (k < n ? 1 : p[j].y);
    }
    for (int i = 0; i < n; ++i)
      for (int r = 0; r < n; ++r)
        for (int k = n; k >= i && r != i; --k) m[r][k] -= m[r][i] / m[i][i] * m[i][k];
    double c[4];
    ASSERT_EQ(DoMinuit(p.data(), c, count, n), BRELOX_OK);
    for (const BreloxPoint& q : p) {
      long double got = 0, want = 0;
      for (int i = n - 1; i >= 0; --i)
        got = got * q.x + c[i], want = want * (q.x - 5.0L) + m[i][n] / m[i][i];
      ASSERT_NEAR(static_cast<double>(got), static_cast<double>(want), 1e-10)
          << count << " " << q.x;
    }
  }
}

TEST(FitAccuracy, MatchesLeastSquaresReferenceForEveryCountAndCoefficientNumber) {
  for (int seed = 0; seed < kSeeds; ++seed) {
    std::mt19937_64 random(0x5eed0000u + static_cast<unsigned>(seed));
    for (int n = 1; n <= kMaxCoefficients; ++n) {
      for (int count = 1; count <= kMaxPoints; ++count) {
        const Fit fit{calibrationPoints(count, random), n};
        double c[kMaxCoefficients];
        ASSERT_EQ(DoMinuit(fit.points.data(), c, count, n), 0);
        double termSize = 0;
        const double got = static_cast<double>(libraryResidualSum(fit, c, termSize));
        const double best = static_cast<double>(referenceResidualSum(fit));
        EXPECT_LE(got - best, kRelativeTolerance * best + count * std::pow(kTermUlps * termSize, 2))
            << "seed " << seed << " n " << n << " count " << count << " residual sum " << got
            << " reference " << best;
      }
    }
  }
}

}  // namespace
