// Brelox: least-squares polynomial fit of up to 1024 points behind the one export DoMinuit.
//
// The fit solves the linear least-squares problem directly: x is centred and scaled onto
// [-1, 1] (the powers of x itself on a narrow band away from 0 are hopelessly ill-conditioned),
// the system of powers is solved by GSL's rank-revealing complete orthogonal decomposition,
// dropping what is lost in rounding (the minimum-norm solution where the data do not decide the
// polynomial), and the coefficients are mapped back to powers of x. Mapped back coefficients can
// cancel in the evaluation by the polynomial rule, so each fit is refined by steps on its residual
// in x, and the fits with fewer coefficients (padded with zeros) are kept whenever they do better
// there.
#include "fitlib/Brelox.h"

#include <gsl/gsl_errno.h>
#include <gsl/gsl_linalg.h>
#include <gsl/gsl_matrix.h>
#include <gsl/gsl_permutation.h>
#include <gsl/gsl_vector.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstddef>

#include "fitlib/Polynomial.h"

namespace {

// A calibration list of a large frame holds up to 1000 stars (an ST-6 frame's 16).
constexpr int kMaxPoints = 1024;
constexpr int kMaxCoefficients = 10;
constexpr double kStartValue = 1.0;  // what a minimiser with nothing to fit stays at
constexpr int kRefinements = 3;

// The points of one call and the abscissa t = scale * x + shift they are solved in.
struct FitData {
  const BreloxPoint* points;
  int count;
  double scale = 1.0;
  double shift = 0.0;
  double yScale = 1.0;  // residuals are compared divided by this, so no square overflows
  double t[kMaxPoints] = {};
};

void chooseMapping(FitData& d) {
  double low = d.points[0].x;
  double high = low;
  double yMax = 0.0;
  for (int j = 0; j < d.count; ++j) {
    low = std::fmin(low, d.points[j].x);
    high = std::fmax(high, d.points[j].x);
    yMax = std::fmax(yMax, std::fabs(d.points[j].y));
  }
  if (yMax > 0.0) d.yScale = yMax;
  const double half = 0.5 * high - 0.5 * low;
  const double middle = 0.5 * high + 0.5 * low;
  d.scale = half > 0.0 && std::isfinite(1.0 / half) ? 1.0 / half : 1.0;
  d.shift = -middle * d.scale;
  for (int j = 0; j < d.count; ++j) d.t[j] = (d.points[j].x - middle) * d.scale;
}

// Rewrites coefficients of powers of t as coefficients of powers of x by Horner's scheme on
// polynomials: Q = (...(b[n-1] t + b[n-2]) t + ...) + b[0].
void mapBack(double* c, int n, const FitData& d) {
  double result[kMaxCoefficients] = {};
  for (int k = n - 1; k >= 0; --k) {
    for (int i = n - 1; i >= 1; --i) result[i] = result[i] * d.shift + result[i - 1] * d.scale;
    result[0] = result[0] * d.shift + c[k];
  }
  std::copy_n(result, n, c);
}

// The system of powers of t with n columns, factorised once by GSL's complete orthogonal
// decomposition A P = Q [R11 0; 0 0] Z^T, so that every right-hand side of the fit and its
// refinement gets the least-squares solution of least norm. The rank is the number of pivots
// above the rounding level of the largest column (that of t^0, of norm sqrt(count)).
//
// GSL reports failures through its error handler, whose default aborts the process, and the
// handler is process-wide, so this library never changes it: it only makes calls that cannot
// fail. The decomposition is a finite sequence of Householder steps (no iteration that could
// miss a tolerance), every size below is consistent by construction, the solve needs M >= N
// (zero rows are added where there are fewer points than coefficients) and a rank of at least
// 1 (the column of ones), and everything lives on the stack (no allocation to fail; some 120 KB
// at 1024 points).
struct Factorisation {
  int rows;
  int n;
  std::size_t rank;
  double qrzt[kMaxPoints * kMaxCoefficients];
  double tauQ[kMaxCoefficients];
  double tauZ[kMaxCoefficients];
  double norms[kMaxCoefficients];
  std::size_t permutation[kMaxCoefficients];
};

bool factorise(const FitData& d, int n, Factorisation& f) {
  f.rows = std::max(d.count, n);
  f.n = n;
  std::fill_n(f.qrzt, f.rows * n, 0.0);
  for (int j = 0; j < d.count; ++j) {
    double power = 1.0;
    for (int i = 0; i < n; ++i, power *= d.t[j]) f.qrzt[j * n + i] = power;
  }
  const auto rows = static_cast<std::size_t>(f.rows);
  const auto columns = static_cast<std::size_t>(n);
  gsl_matrix_view a = gsl_matrix_view_array(f.qrzt, rows, columns);
  gsl_vector_view tauQ = gsl_vector_view_array(f.tauQ, columns);
  gsl_vector_view tauZ = gsl_vector_view_array(f.tauZ, columns);
  gsl_vector_view norms = gsl_vector_view_array(f.norms, columns);
  gsl_permutation permutation{columns, f.permutation};
  const double tolerance = DBL_EPSILON * f.rows * std::sqrt(static_cast<double>(d.count));
  return gsl_linalg_COD_decomp_e(&a.matrix, &tauQ.vector, &tauZ.vector, &permutation, tolerance,
                                 &f.rank, &norms.vector) == GSL_SUCCESS &&
         f.rank >= 1;
}

// The least-squares solution of least norm of (powers of t) c = r.
bool solveMinimumNorm(const Factorisation& f, int count, const double* r, double* c) {
  const auto rows = static_cast<std::size_t>(f.rows);
  const auto columns = static_cast<std::size_t>(f.n);
  double b[kMaxPoints] = {};
  double residual[kMaxPoints];
  std::copy_n(r, count, b);
  gsl_matrix_const_view a = gsl_matrix_const_view_array(f.qrzt, rows, columns);
  gsl_vector_const_view tauQ = gsl_vector_const_view_array(f.tauQ, columns);
  gsl_vector_const_view tauZ = gsl_vector_const_view_array(f.tauZ, columns);
  gsl_vector_const_view bv = gsl_vector_const_view_array(b, rows);
  gsl_vector_view cv = gsl_vector_view_array(c, columns);
  gsl_vector_view rv = gsl_vector_view_array(residual, rows);
  // GSL takes the permutation as const but through a non-const data pointer.
  const gsl_permutation permutation{columns, const_cast<std::size_t*>(f.permutation)};
  if (gsl_linalg_COD_lssolve(&a.matrix, &tauQ.vector, &tauZ.vector, &permutation, f.rank,
                             &bv.vector, &cv.vector, &rv.vector) != GSL_SUCCESS)
    return false;
  return std::all_of(c, c + f.n, [](double x) { return std::isfinite(x); });
}

// Residuals y - P(x) by the polynomial rule, and their scaled sum of squares.
double residuals(const FitData& d, const double* c, int n, double* r) {
  double sum = 0.0;
  for (int j = 0; j < d.count; ++j) {
    r[j] = d.points[j].y - orelith::evaluatePolynomial(c, n, d.points[j].x);
    const double scaled = r[j] / d.yScale;
    sum += scaled * scaled;
  }
  return sum;
}

bool allFinite(const double* c, int n) {
  return std::all_of(c, c + n, [](double v) { return std::isfinite(v); });
}

// The fit with n coefficients: solved in t, mapped back, then refined while a step on the
// residual in x lowers the sum. Returns the scaled sum, or infinity when no finite fit exists.
double fitWith(const FitData& d, int n, double* c) {
  Factorisation f;
  if (!factorise(d, n, f)) return HUGE_VAL;
  double r[kMaxPoints];
  for (int j = 0; j < d.count; ++j) r[j] = d.points[j].y;
  if (!solveMinimumNorm(f, d.count, r, c)) return HUGE_VAL;
  mapBack(c, n, d);
  if (!allFinite(c, n)) return HUGE_VAL;
  double sum = residuals(d, c, n, r);
  for (int step = 0; step < kRefinements && sum > 0.0; ++step) {
    double delta[kMaxCoefficients];
    double trial[kMaxCoefficients];
    if (!solveMinimumNorm(f, d.count, r, delta)) break;
    mapBack(delta, n, d);
    for (int i = 0; i < n; ++i) trial[i] = c[i] + delta[i];
    double trialResidual[kMaxPoints];
    const double trialSum = residuals(d, trial, n, trialResidual);
    if (!allFinite(trial, n) || !(trialSum < sum)) break;
    std::copy_n(trial, n, c);
    std::copy_n(trialResidual, d.count, r);
    sum = trialSum;
  }
  return std::isfinite(sum) ? sum : HUGE_VAL;
}

BreloxResult fit(const BreloxPoint* points, double* coefficients, int count, int n) {
  FitData d{points, count};
  chooseMapping(d);
  double best[kMaxCoefficients] = {};
  double bestSum = HUGE_VAL;
  // A fit with more coefficients is taken only when it does strictly better.
  for (int k = 1; k <= n; ++k) {
    double c[kMaxCoefficients] = {};
    const double sum = fitWith(d, k, c);
    if (sum < bestSum) {
      bestSum = sum;
      std::copy_n(c, kMaxCoefficients, best);
    }
  }
  if (!std::isfinite(bestSum)) return BRELOX_NOT_FINITE;
  std::copy_n(best, n, coefficients);
  return BRELOX_OK;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int DoMinuit(const BreloxPoint* points,
                                                               double* coefficients, int count,
                                                               int n) {
  if (count > kMaxPoints || n > kMaxCoefficients) return BRELOX_TOO_MANY;
  for (int j = 0; j < count; ++j) {
    if (!std::isfinite(points[j].x) || !std::isfinite(points[j].y)) return BRELOX_NOT_FINITE;
  }
  if (n <= 0) return BRELOX_OK;
  if (count <= 0) {
    std::fill_n(coefficients, n, kStartValue);
    return BRELOX_OK;
  }
  return fit(points, coefficients, count, n);
}
