#include "photometry/LeastSquares.h"

#include <gsl/gsl_blas.h>
#include <gsl/gsl_errno.h>
#include <gsl/gsl_linalg.h>
#include <gsl/gsl_multifit_nlinear.h>

#include <algorithm>
#include <cmath>

namespace orelith {
namespace {

// Both solvers stop once a step moves no parameter by more than this share
// of its value, or once the gradient is this small.
constexpr double kTolerance = 1e-8;

struct Problem {
  const ResidualFunction* f;
  std::size_t params;
  std::vector<double> r, j;  // the Jacobian's evaluation, kept for the next call
};

int residualsAt(const gsl_vector* x, void* data, gsl_vector* r) {
  const auto* p = static_cast<const Problem*>(data);
  (*p->f)(x->data, r->data, nullptr);
  for (std::size_t i = 0; i < r->size; ++i)
    if (!std::isfinite(r->data[i])) return GSL_EDOM;
  return GSL_SUCCESS;
}

// GSL's matrices are row-major with a stride (tda) that may exceed the
// width; a matrix without one takes the Jacobian as it is worked out.
int jacobianAt(const gsl_vector* x, void* data, gsl_matrix* J) {
  auto* p = static_cast<Problem*>(data);
  p->r.resize(J->size1);
  if (J->tda == J->size2) {
    (*p->f)(x->data, p->r.data(), J->data);
    return GSL_SUCCESS;
  }
  p->j.resize(J->size1 * J->size2);
  (*p->f)(x->data, p->r.data(), p->j.data());
  for (std::size_t i = 0; i < J->size1; ++i)
    std::copy_n(p->j.data() + i * J->size2, J->size2, J->data + i * J->tda);
  return GSL_SUCCESS;
}

double chi2Of(const gsl_multifit_nlinear_workspace* w) {
  double chi2 = 0;
  gsl_blas_ddot(gsl_multifit_nlinear_residual(w), gsl_multifit_nlinear_residual(w), &chi2);
  return chi2;
}

// GSL's own driver loop, which cannot stop early: iterate until the steps,
// the gradient or the iterations run out. A first iteration without progress
// means no step lowers the chi-square.
int iterate(gsl_multifit_nlinear_workspace* w, int maxIterations, double stopBelow,
            const GiveUpTest& giveUp, LeastSquaresResult& out) {
  int status = GSL_CONTINUE, info = 0, done = 0;
  do {
    status = gsl_multifit_nlinear_iterate(w);
    if (status == GSL_ENOPROG && done == 0) return GSL_EMAXITER;
    ++done;
    if (stopBelow > -INFINITY && chi2Of(w) < stopBelow) {
      out.stopped = true;
      return GSL_CONTINUE;
    }
    if (giveUp && giveUp(gsl_multifit_nlinear_position(w)->data)) {
      out.gaveUp = true;
      return GSL_CONTINUE;
    }
    status = gsl_multifit_nlinear_test(kTolerance, kTolerance, 0.0, &info, w);
  } while (status == GSL_CONTINUE && done < maxIterations);
  if (status == GSL_ETOLF || status == GSL_ETOLX || status == GSL_ETOLG) return GSL_SUCCESS;
  return done >= maxIterations && status != GSL_SUCCESS ? GSL_EMAXITER : status;
}

}  // namespace

LeastSquaresResult solveLeastSquares(int residuals, std::vector<double>& params,
                                     const ResidualFunction& f, bool covariance, int maxIterations,
                                     double stopBelow, const GiveUpTest& giveUp) {
  LeastSquaresResult out;
  const std::size_t n = static_cast<std::size_t>(residuals), p = params.size();
  if (p == 0 || n < p) return out;
  // A failing fit is reported through the result, never by aborting.
  gsl_error_handler_t* previous = gsl_set_error_handler_off();
  Problem problem{&f, p, {}, {}};
  gsl_multifit_nlinear_fdf fdf{};
  fdf.f = residualsAt;
  fdf.df = jacobianAt;
  fdf.n = n;
  fdf.p = p;
  fdf.params = &problem;
  gsl_multifit_nlinear_parameters settings = gsl_multifit_nlinear_default_parameters();
  // The normal equations: pixels far outnumber parameters, and QR of the
  // tall Jacobian would cost most of the fit.
  settings.solver = gsl_multifit_nlinear_solver_cholesky;
  gsl_multifit_nlinear_workspace* w =
      gsl_multifit_nlinear_alloc(gsl_multifit_nlinear_trust, &settings, n, p);
  gsl_vector_view start = gsl_vector_view_array(params.data(), p);
  int status = gsl_multifit_nlinear_init(&start.vector, &fdf, w);
  if (status == GSL_SUCCESS) status = iterate(w, maxIterations, stopBelow, giveUp, out);
  const gsl_vector* x = gsl_multifit_nlinear_position(w);
  for (std::size_t k = 0; k < p; ++k) params[k] = gsl_vector_get(x, k);
  out.chi2 = chi2Of(w);
  const gsl_vector* residual = gsl_multifit_nlinear_residual(w);
  for (std::size_t i = 0; i < n; ++i) out.residuals.push_back(gsl_vector_get(residual, i));
  out.iterations = static_cast<int>(gsl_multifit_nlinear_niter(w));
  int covStatus = GSL_SUCCESS;
  if (covariance && !out.stopped) {
    gsl_matrix* covar = gsl_matrix_alloc(p, p);
    covStatus = gsl_multifit_nlinear_covar(gsl_multifit_nlinear_jac(w), 0.0, covar);
    out.covariance.assign(covar->data, covar->data + p * p);
    gsl_matrix_free(covar);
  }
  out.converged = status == GSL_SUCCESS && covStatus == GSL_SUCCESS && std::isfinite(out.chi2);
  gsl_multifit_nlinear_free(w);
  gsl_set_error_handler(previous);
  return out;
}

namespace {

// The normal equations' damping starts small (nearly Gauss-Newton steps); a
// step that does not lower the chi-square is tried again more damped, at
// most this many times in a row.
constexpr double kInitialDamping = 1e-3;
constexpr int kMaxTries = 16;

// The step solving (J^T J + mu diag(d^2)) step = -J^T r; false where the
// matrix is not positive definite.
bool dampedStep(const NormalEquations& ne, const std::vector<double>& d, double mu,
                std::vector<double>& step) {
  const std::size_t n = d.size();
  std::vector<double> a = ne.jtj, b(n);
  for (std::size_t i = 0; i < n; ++i) {
    a[i * n + i] += mu * d[i] * d[i];
    b[i] = -ne.jtr[i];
  }
  gsl_matrix_view m = gsl_matrix_view_array(a.data(), n, n);
  gsl_vector_view bv = gsl_vector_view_array(b.data(), n);
  gsl_vector_view sv = gsl_vector_view_array(step.data(), n);
  return gsl_linalg_cholesky_decomp1(&m.matrix) == GSL_SUCCESS &&
         gsl_linalg_cholesky_solve(&m.matrix, &bv.vector, &sv.vector) == GSL_SUCCESS;
}

// Each parameter's scale is the largest norm its Jacobian column has had
// (More's), so that the damping does not depend on the parameters' units; a
// parameter that never moved a residual keeps the scale 1.
void widenScale(const NormalEquations& ne, std::vector<double>& d) {
  const std::size_t n = d.size();
  for (std::size_t i = 0; i < n; ++i) d[i] = std::max(d[i], std::sqrt(ne.jtj[i * n + i]));
}

std::vector<double> usableScale(std::vector<double> d) {
  for (double& v : d)
    if (!(v > 0)) v = 1.0;
  return d;
}

bool smallStep(const std::vector<double>& step, const std::vector<double>& x) {
  for (std::size_t i = 0; i < x.size(); ++i)
    if (!(std::abs(step[i]) <= kTolerance * (std::abs(x[i]) + kTolerance))) return false;
  return true;
}

bool flatGradient(const NormalEquations& ne, const std::vector<double>& x, double chi2) {
  double g = 0;
  for (std::size_t i = 0; i < x.size(); ++i)
    g = std::max(g, std::abs(ne.jtr[i]) * std::max(std::abs(x[i]), 1.0));
  return g <= kTolerance * std::max(0.5 * chi2, 1.0);
}

// (J^T J)^-1; false where J^T J is not positive definite.
bool inverse(const std::vector<double>& jtj, std::size_t n, std::vector<double>& out) {
  out = jtj;
  gsl_matrix_view m = gsl_matrix_view_array(out.data(), n, n);
  return gsl_linalg_cholesky_decomp1(&m.matrix) == GSL_SUCCESS &&
         gsl_linalg_cholesky_invert(&m.matrix) == GSL_SUCCESS;
}

}  // namespace

LeastSquaresResult solveNormalEquations(std::vector<double>& params, const NormalFunction& f,
                                        bool covariance, int maxIterations, double stopBelow,
                                        const GiveUpTest& giveUp) {
  LeastSquaresResult out;
  const std::size_t n = params.size();
  if (n == 0) return out;
  gsl_error_handler_t* previous = gsl_set_error_handler_off();
  NormalEquations ne;
  double chi2 = f(params.data(), &ne);
  std::vector<double> scale(n, 0.0), step(n), trial(n);
  widenScale(ne, scale);
  double mu = kInitialDamping, nu = 2.0;
  bool converged = false;
  int tries = 0;
  while (std::isfinite(chi2) && std::isfinite(mu) && out.iterations < maxIterations &&
         tries < kMaxTries) {
    const std::vector<double> d = usableScale(scale);
    const bool solved = dampedStep(ne, d, mu, step);
    for (std::size_t i = 0; i < n; ++i) trial[i] = params[i] + step[i];
    const double next = solved ? f(trial.data(), nullptr) : NAN;
    if (!(next < chi2)) {
      // Near the minimum no step lowers the chi-square beyond rounding; a
      // fit that has moved is there once its steps are that small.
      if (solved && out.iterations > 0 && smallStep(step, params)) {
        converged = true;
        break;
      }
      mu *= nu;
      nu *= 2.0;
      ++tries;
      continue;
    }
    // The reduction the quadratic model promised against the one found
    // sets the next damping.
    double predicted = 0;
    for (std::size_t i = 0; i < n; ++i)
      predicted += step[i] * (mu * d[i] * d[i] * step[i] - ne.jtr[i]);
    const double rho = (chi2 - next) / predicted;
    mu *= std::max(1.0 / 3.0, 1.0 - std::pow(2.0 * rho - 1.0, 3));
    nu = 2.0;
    tries = 0;
    params = trial;
    chi2 = f(params.data(), &ne);
    ++out.iterations;
    widenScale(ne, scale);
    if (chi2 < stopBelow) {
      out.stopped = true;
      break;
    }
    if (giveUp && giveUp(params.data())) {
      out.gaveUp = true;
      break;
    }
    if (smallStep(step, params) || flatGradient(ne, params, chi2)) {
      converged = true;
      break;
    }
  }
  out.chi2 = chi2;
  bool inverted = true;
  if (covariance && !out.stopped) inverted = inverse(ne.jtj, n, out.covariance);
  out.converged = converged && inverted && std::isfinite(chi2);
  gsl_set_error_handler(previous);
  return out;
}

}  // namespace orelith
