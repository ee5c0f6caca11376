// Nonlinear least squares for the fits of the point-spread function:
// through GSL's trust-region solver (gsl_multifit_nlinear,
// Levenberg-Marquardt steps), or, for small fits that sum their own normal
// equations, the same steps on those.
#pragma once

#include <cmath>
#include <functional>
#include <vector>

namespace orelith {

// Fills the residuals r (`residuals` values) at parameters p and, when J is
// not null, their Jacobian, row-major: J[i * params + j] = d r_i / d p_j.
using ResidualFunction = std::function<void(const double* p, double* r, double* J)>;

struct LeastSquaresResult {
  bool converged = false;
  double chi2 = 0;                 // sum of the squared residuals at the solution
  std::vector<double> covariance;  // params x params, (J^T J)^-1 at the solution, when asked
  int iterations = 0;
  bool stopped = false;  // below `stopBelow` before converging: neither converged nor a covariance
  std::vector<double> residuals;  // at the solution
  bool gaveUp = false;            // `giveUp` held at a step: where it stood, not converged
};

// Whether a fit, at the parameters of its latest step, has gone where it
// never settles.
using GiveUpTest = std::function<bool(const double* p)>;

// Starts at `params` and leaves the solution there. Every step taken lowers
// the chi-square, so a caller that only asks whether the fit ends below a
// value can stop it once it is there (`stopBelow`).
LeastSquaresResult solveLeastSquares(int residuals, std::vector<double>& params,
                                     const ResidualFunction& f, bool covariance = true,
                                     int maxIterations = 200, double stopBelow = -INFINITY,
                                     const GiveUpTest& giveUp = nullptr);

// The normal equations of a fit at its parameters: J^T J (params x params,
// row-major) and J^T r, the chi-square's half gradient.
struct NormalEquations {
  std::vector<double> jtj;
  std::vector<double> jtr;
};

// The chi-square at p and, when `normal` is not null, the normal equations
// there.
using NormalFunction = std::function<double(const double* p, NormalEquations* normal)>;

// The same fit for a model that sums its normal equations itself: a few
// parameters over many residuals (a star's flux and place over its pixels),
// where the general solver's work over every residual costs as much as the
// model. Levenberg-Marquardt steps on the scaled normal equations, with the
// same tolerances, stops and covariance as solveLeastSquares; no residuals
// in the result.
LeastSquaresResult solveNormalEquations(std::vector<double>& params, const NormalFunction& f,
                                        bool covariance = true, int maxIterations = 200,
                                        double stopBelow = -INFINITY,
                                        const GiveUpTest& giveUp = nullptr);

}  // namespace orelith
