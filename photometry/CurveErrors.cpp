#include "photometry/CurveErrors.h"

#include <gsl/gsl_errno.h>
#include <gsl/gsl_linalg.h>
#include <gsl/gsl_matrix.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "fitlib/Polynomial.h"

namespace orelith {
namespace {

std::vector<double> basis(const CurveUncertainty& u, double lg) {
  std::vector<double> g(static_cast<std::size_t>(u.coefficients));
  double power = 1.0;
  const double t = (lg - u.centre) / u.scale;
  for (double& v : g) {
    v = power;
    power *= t;
  }
  return g;
}

// (X^T X)^-1 by Cholesky; empty when singular.
std::vector<double> normalInverse(const CurveUncertainty& u, const BreloxPoint* points, int count) {
  const auto n = static_cast<std::size_t>(u.coefficients);
  gsl_matrix* a = gsl_matrix_calloc(n, n);
  for (int i = 0; i < count; ++i) {
    const std::vector<double> g = basis(u, points[i].x);
    for (std::size_t r = 0; r < n; ++r)
      for (std::size_t c = 0; c < n; ++c) *gsl_matrix_ptr(a, r, c) += g[r] * g[c];
  }
  gsl_error_handler_t* previous = gsl_set_error_handler_off();
  std::vector<double> out;
  if (gsl_linalg_cholesky_decomp1(a) == GSL_SUCCESS && gsl_linalg_cholesky_invert(a) == GSL_SUCCESS)
    out.assign(a->data, a->data + n * n);
  gsl_set_error_handler(previous);
  gsl_matrix_free(a);
  return out;
}

}  // namespace

CurveUncertainty curveUncertainty(const BreloxPoint* points, int count, const double* c, int n) {
  CurveUncertainty u;
  u.coefficients = n;
  if (n < 1 || count <= n) return u;
  double lo = points[0].x, hi = lo, squares = 0;
  for (int i = 0; i < count; ++i) {
    lo = std::min(lo, points[i].x);
    hi = std::max(hi, points[i].x);
    const double r = points[i].y - evaluatePolynomial(c, n, points[i].x);
    squares += r * r;
  }
  u.centre = 0.5 * (lo + hi);
  u.scale = hi > lo ? 0.5 * (hi - lo) : 1.0;
  u.scatter = std::sqrt(squares / (count - n));
  u.inverse = normalInverse(u, points, count);
  u.known = !u.inverse.empty();
  return u;
}

double curveVariance(const CurveUncertainty& u, double lg) {
  if (!u.known) return std::numeric_limits<double>::quiet_NaN();
  const std::vector<double> g = basis(u, lg);
  const auto n = g.size();
  double q = 0;
  for (std::size_t r = 0; r < n; ++r)
    for (std::size_t c = 0; c < n; ++c) q += g[r] * u.inverse[r * n + c] * g[c];
  return u.scatter * u.scatter * (1.0 + q);
}

double curveSlope(const double* c, int n, double lg) {
  double slope = 0, power = 1;
  for (int i = 1; i < n; ++i) {
    slope += i * c[i] * power;
    power *= lg;
  }
  return slope;
}

}  // namespace orelith
