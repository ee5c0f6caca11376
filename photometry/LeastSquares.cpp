#include "photometry/LeastSquares.h"

#include <gsl/gsl_blas.h>
#include <gsl/gsl_errno.h>
#include <gsl/gsl_multifit_nlinear.h>

#include <algorithm>
#include <cmath>

namespace orelith {
namespace {

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
  constexpr double kTolerance = 1e-8;
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

}  // namespace orelith
