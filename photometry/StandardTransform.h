// The standard transformation of instrumental b, v magnitudes:
//   V - v = Z_V + T_V (B-V)      and      (B-V) = Z_BV + T_BV (b - v),
// fitted by weighted least squares through the calibration stars.
#pragma once

namespace orelith {

// y = zero + slope x with the uncertainties of both and their covariance.
struct LineFit {
  double zero = 0, slope = 0;
  double zeroError = 0, slopeError = 0, covariance = 0;
  bool slopeFitted = false;  // false: the slope was held at 0
  double chi2 = 0;           // of the weighted residuals
  int count = 0;
};

struct Instrumental {
  double b, bError;
  double v, vError;
};

struct CalibrationPoint {
  Instrumental inst;
  double V, BV;  // catalogue values
};

struct TransformFit {
  LineFit v;   // V - v against B-V
  LineFit bv;  // B-V against b - v
};

struct StandardMagnitudes {
  double V, VError;
  double BV, BVError;
};

// Needs at least 2 points (else false); fits the colour terms from 3 points
// on, holding them at 0 below. The constants' uncertainties come from the
// weights, widened by sqrt(chi2 / degrees of freedom) when that exceeds 1.
bool fitLine(const double* x, const double* y, const double* sigma, int n, bool fitSlope,
             LineFit& out);
bool fitTransform(const CalibrationPoint* points, int n, TransformFit& out);

// The transformation applied to one star, with the instrumental errors and
// those of the fitted constants propagated.
StandardMagnitudes applyTransform(const TransformFit& fit, const Instrumental& inst);

}  // namespace orelith
