// The solver on summed normal equations against GSL's, its reference, on generated problems: a
// Gaussian peak on a sloping line of 60 noisy points (height, centre, width, level), started off
// in every parameter. Both stop at the same tolerance, so they agree to far below it.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "photometry/LeastSquares.h"

namespace orelith {
namespace {

constexpr int kPoints = 60;

struct Peak {
  std::vector<double> y;
  int params = 4;  // a fifth one, where asked, moves nothing

  // Residuals (y - model) and their Jacobian d r / d p, row-major (J cleared by the caller).
  void operator()(const double* p, double* r, double* J) const {
    for (int i = 0; i < kPoints; ++i) {
      const double u = (i - p[1]) / p[2], e = std::exp(-0.5 * u * u);
      r[i] = y[static_cast<std::size_t>(i)] - (p[0] * e + p[3] + 0.01 * i);
      if (!J) continue;
      double* row = J + i * params;
      row[0] = -e, row[1] = -p[0] * e * u / p[2], row[2] = row[1] * u, row[3] = -1.0;
    }
  }

  double normal(const double* p, NormalEquations* ne) const {
    const auto n = static_cast<std::size_t>(params);
    std::vector<double> r(kPoints), J(kPoints * n, 0.0);
    (*this)(p, r.data(), ne ? J.data() : nullptr);
    if (ne) ne->jtj.assign(n * n, 0.0), ne->jtr.assign(n, 0.0);
    double chi2 = 0;
    for (std::size_t i = 0; i < r.size(); ++i) {
      chi2 += r[i] * r[i];
      for (std::size_t a = 0; ne && a < n; ++a) {
        ne->jtr[a] += J[i * n + a] * r[i];
        for (std::size_t b = 0; b < n; ++b) ne->jtj[a * n + b] += J[i * n + a] * J[i * n + b];
      }
    }
    return chi2;
  }

  NormalFunction normalFunction() const {
    return [this](const double* p, NormalEquations* ne) { return normal(p, ne); };
  }
};

struct Problem {
  Peak peak;
  std::vector<double> truth, start;
};

Problem makeProblem(std::mt19937& random) {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::normal_distribution<double> noise(0.0, 1.0);
  Problem pr;
  pr.truth = {5 + 495 * unit(random), 20 + 20 * unit(random), 2 + 4 * unit(random),
              -5 + 10 * unit(random)};
  for (int i = 0; i < kPoints; ++i) {
    const double u = (i - pr.truth[1]) / pr.truth[2];
    pr.peak.y.push_back(pr.truth[0] * std::exp(-0.5 * u * u) + pr.truth[3] + 0.01 * i +
                        noise(random));
  }
  pr.start = {pr.truth[0] * (0.6 + 0.8 * unit(random)), pr.truth[1] + 6 * unit(random) - 3,
              pr.truth[2] * (0.7 + 0.6 * unit(random)), pr.truth[3] + 4 * unit(random) - 2};
  return pr;
}

// The same solution, chi-square and covariance. A stop value halfway from the start's
// chi-square to the solution's stops both solvers below it, without a covariance; a give-up
// test that holds after the first step ends the fit there.
TEST(LeastSquares, NormalEquationsFollowGsl) {
  std::mt19937 random(11);
  int converged = 0, stopped = 0;
  for (int n = 0; n < 200; ++n) {
    const Problem pr = makeProblem(random);
    std::vector<double> gsl = pr.start, own = pr.start;
    const LeastSquaresResult a = solveLeastSquares(kPoints, gsl, pr.peak);
    const LeastSquaresResult b = solveNormalEquations(own, pr.peak.normalFunction());
    ASSERT_EQ(a.converged, b.converged) << n;
    if (!a.converged) continue;
    ++converged;
    EXPECT_NEAR(b.chi2, a.chi2, 1e-9 * a.chi2) << n;
    for (std::size_t k = 0; k < 4; ++k) {
      EXPECT_NEAR(own[k], gsl[k], 1e-6 * (std::abs(gsl[k]) + 1)) << n << " parameter " << k;
      EXPECT_NEAR(b.covariance[k * 5], a.covariance[k * 5], 1e-5 * a.covariance[k * 5]) << n;
    }
    EXPECT_TRUE(b.residuals.empty());  // asked of the model instead

    const double start = pr.peak.normal(pr.start.data(), nullptr);
    if (n % 10 != 0 || !(start > 2 * b.chi2)) continue;
    ++stopped;
    const double halfway = 0.5 * (start + b.chi2);
    gsl = own = pr.start;
    const LeastSquaresResult c = solveLeastSquares(kPoints, gsl, pr.peak, true, 200, halfway);
    const LeastSquaresResult d =
        solveNormalEquations(own, pr.peak.normalFunction(), true, 200, halfway);
    EXPECT_TRUE(c.stopped && d.stopped && !d.converged && d.covariance.empty()) << n;
    EXPECT_LT(d.chi2, halfway) << n;
    own = pr.start;
    const LeastSquaresResult e =
        solveNormalEquations(own, pr.peak.normalFunction(), true, 200, -INFINITY,
                             [&](const double* q) { return q[1] != pr.start[1]; });
    EXPECT_TRUE(e.gaveUp && !e.converged && e.iterations == 1) << n;
  }
  EXPECT_GE(converged, 190);  // the comparisons are met, not skipped
  EXPECT_GE(stopped, 10);
}

// A parameter that moves no residual leaves J^T J singular: the fit ends with finite parameters
// and is not converged (no covariance to give), as the flux of a star gone off its stamp.
TEST(LeastSquares, NormalEquationsOfAnIdleParameterDoNotConverge) {
  std::mt19937 random(3);
  Problem pr = makeProblem(random);
  pr.peak.params = 5;
  std::vector<double> p = pr.start;
  p.push_back(1.0);
  const LeastSquaresResult r = solveNormalEquations(p, pr.peak.normalFunction());
  EXPECT_FALSE(r.converged);
  for (double v : p) EXPECT_TRUE(std::isfinite(v));
  EXPECT_NEAR(p[1], pr.truth[1], 0.5);  // the others still fitted
  EXPECT_EQ(p[4], 1.0);
}

}  // namespace
}  // namespace orelith
