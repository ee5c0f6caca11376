// The uncertainty of a calibration curve: what the curve's fit does not know
// (its coefficients' covariance) and what it cannot explain (the calibration
// stars' scatter about it), as the variance of a magnitude read off it.
#pragma once

#include <vector>

#include "fitlib/Brelox.h"

namespace orelith {

struct CurveUncertainty {
  bool known = false;  // more points than coefficients
  int coefficients = 0;
  double scatter = 0;            // rms of the points about the curve, per degree of freedom
  double centre = 0, scale = 1;  // the basis (lg - centre) / scale, for conditioning
  std::vector<double> inverse;   // (X^T X)^-1 in that basis, coefficients^2
};

// Of the curve `c` (n coefficients) fitted to `points`.
CurveUncertainty curveUncertainty(const BreloxPoint* points, int count, const double* c, int n);

// Variance of a magnitude read off the curve at `lg`: scatter^2 (1 + g^T
// (X^T X)^-1 g), the prediction of a new star like the calibration stars.
// NaN when unknown.
double curveVariance(const CurveUncertainty& u, double lg);

// dP/dlg of the curve `c` (n coefficients) at `lg`.
double curveSlope(const double* c, int n, double lg);

}  // namespace orelith
