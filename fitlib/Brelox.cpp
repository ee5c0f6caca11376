// Brelox: least-squares polynomial fit of up to 20 points behind the one export DoMinuit.
//
// The fit solves the linear least-squares problem directly: x is centred and scaled onto
// [-1, 1] (the powers of x itself on a narrow band away from 0 are hopelessly ill-conditioned),
// the system of powers is solved through its singular values (one-sided Jacobi), dropping those
// lost in rounding (the minimum-norm solution where the data do not decide the polynomial), and the
// coefficients are mapped back to powers of x. Mapped back coefficients can cancel in the
// evaluation by the polynomial rule, so each fit is refined by steps on its residual in x, and
// the fits with fewer coefficients (padded with zeros) are kept whenever they do better there.
#include "fitlib/Brelox.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "fitlib/Polynomial.h"

namespace {

constexpr int kMaxPoints = 20;
constexpr int kMaxCoefficients = 10;
constexpr double kStartValue = 1.0;  // what a minimiser with nothing to fit stays at
constexpr int kRefinements = 3;
constexpr int kMaxSweeps = 60;  // Jacobi sweeps; a handful suffice at these sizes

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

// The least-squares solution of least norm of (powers of t) c = r, by the one-sided Jacobi
// singular value decomposition: plane rotations make the columns of the matrix orthogonal
// (accumulated in v); a column k then holds s_k u_k, and c = sum over k of v_k (a_k . r) / s_k^2
// over the singular values above the rounding level of the largest.
bool solveMinimumNorm(const FitData& d, int n, const double* r, double* c) {
  const int m = d.count;
  double a[kMaxCoefficients][kMaxPoints] = {};  // a[column][row]
  double v[kMaxCoefficients][kMaxCoefficients] = {};
  for (int i = 0; i < n; ++i) v[i][i] = 1.0;
  for (int j = 0; j < m; ++j) {
    double power = 1.0;
    for (int i = 0; i < n; ++i, power *= d.t[j]) a[i][j] = power;
  }
  auto dot = [m](const double* x, const double* y) {
    double sum = 0.0;
    for (int j = 0; j < m; ++j) sum += x[j] * y[j];
    return sum;
  };
  auto rotate = [](double* x, double* y, int size, double cs, double sn) {
    for (int j = 0; j < size; ++j) {
      const double xj = x[j];
      x[j] = cs * xj - sn * y[j];
      y[j] = sn * xj + cs * y[j];
    }
  };
  bool rotated = true;
  for (int sweep = 0; sweep < kMaxSweeps && rotated; ++sweep) {
    rotated = false;
    for (int p = 0; p < n; ++p) {
      for (int q = p + 1; q < n; ++q) {
        const double alpha = dot(a[p], a[p]), beta = dot(a[q], a[q]), gamma = dot(a[p], a[q]);
        if (!(std::fabs(gamma) > DBL_EPSILON * std::sqrt(alpha * beta))) continue;
        const double zeta = (beta - alpha) / (2.0 * gamma);
        const double tn = std::copysign(1.0, zeta) / (std::fabs(zeta) + std::hypot(1.0, zeta));
        const double cs = 1.0 / std::hypot(1.0, tn);
        rotate(a[p], a[q], m, cs, cs * tn);
        rotate(v[p], v[q], n, cs, cs * tn);
        rotated = true;
      }
    }
  }
  double squares[kMaxCoefficients];
  double largest = 0.0;
  for (int k = 0; k < n; ++k) largest = std::fmax(largest, squares[k] = dot(a[k], a[k]));
  // s_k > s_max * eps * max(m, n), in squares.
  const double level = DBL_EPSILON * std::max(m, n);
  for (int i = 0; i < n; ++i) c[i] = 0.0;
  for (int k = 0; k < n; ++k) {
    if (!(squares[k] > largest * level * level)) continue;
    const double w = dot(a[k], r) / squares[k];
    for (int i = 0; i < n; ++i) c[i] += v[k][i] * w;
  }
  return std::all_of(c, c + n, [](double x) { return std::isfinite(x); });
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
  double r[kMaxPoints];
  for (int j = 0; j < d.count; ++j) r[j] = d.points[j].y;
  if (!solveMinimumNorm(d, n, r, c)) return HUGE_VAL;
  mapBack(c, n, d);
  if (!allFinite(c, n)) return HUGE_VAL;
  double sum = residuals(d, c, n, r);
  for (int step = 0; step < kRefinements && sum > 0.0; ++step) {
    double delta[kMaxCoefficients];
    double trial[kMaxCoefficients];
    if (!solveMinimumNorm(d, n, r, delta)) break;
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
