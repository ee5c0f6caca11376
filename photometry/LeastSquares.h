// Nonlinear least squares through GSL's trust-region solver
// (gsl_multifit_nlinear, Levenberg-Marquardt steps), for the fits of the
// point-spread function.
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

}  // namespace orelith
