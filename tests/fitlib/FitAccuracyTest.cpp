// DoMinuit against an independent least-squares reference on calibration-like data.
//
// The reference fits the same points by modified Gram-Schmidt in long double, in the Chebyshev
// basis of x mapped onto [-1, 1] (well conditioned, unlike the library's monomials in x, and a
// different factorisation than its Householder QR). Both residual sums are then evaluated in
// 113-bit floating point, so the comparison sees the polynomials and not the rounding of their
// evaluation (a degree-9 polynomial on [2, 6] has terms a million times its value).
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <random>
#include <vector>

#include "fitlib/Brelox.h"

namespace {

__extension__ typedef __float128 Quad;

constexpr int kMaxPoints = 20;
constexpr int kMaxCoefficients = 10;
constexpr int kSeeds = 5;
// Allowed excess of the library's residual sum over the reference's, relative to it.
constexpr double kRelativeTolerance = 5e-14;
// Double coefficients cannot pin a polynomial closer than about a unit in the last place of the
// largest of its terms c_i x^i (up to 1e10 for ten coefficients through eleven points, where
// this outweighs the relative tolerance): a residual of four such units per point is allowed
// on top of the relative tolerance.
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

// The residual sum of the library's coefficients c, and the largest sum of |c_i x^i| over the
// points.
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
