// The standard transformation of instrumental b, v magnitudes:
//   V - v = Z_V + T_V (B-V)      and      (B-V) = Z_BV + T_BV (b - v),
// fitted by weighted least squares through the calibration stars.
#pragma once

#include <algorithm>

namespace orelith {

// y = zero + slope x with the uncertainties of both and their covariance.
struct LineFit {
  double zero = 0, slope = 0;
  double zeroError = 0, slopeError = 0, covariance = 0;
  bool slopeFitted = false;  // false: the slope was held at its natural value
  double chi2 = 0;           // of the weighted residuals
  // The points' scatter about the line beyond their own errors, added to
  // each point's error in quadrature so that chi2 matches the degrees of
  // freedom; 0 when the errors explain the scatter or nothing is left to tell.
  double scatter = 0;
  int count = 0;
};

struct Instrumental {
  double b, bError;
  double v, vError;
  // Of the errors of b and v: a profile's error under two fits of one star
  // goes the same way in both frames and leaves its colour alone.
  double covariance = 0;

  double colourVariance() const {
    return std::max(0.0, bError * bError + vError * vError - 2 * covariance);
  }
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

// Natural values of the colour terms: a colour scale of 1 and no colour term
// in V, which the fit holds below three points.
inline constexpr double kNaturalColourScale = 1.0;
inline constexpr double kNaturalVColourTerm = 0.0;
inline constexpr int kColourTermPoints = 3;

// Needs at least 1 point (else false); holds the slope at `heldSlope` unless
// `fitSlope` and the points spread in x. Weights 1 / (sigma^2 + scatter^2).
bool fitLine(const double* x, const double* y, const double* sigma, int n, bool fitSlope,
             double heldSlope, LineFit& out);

// Needs at least 2 points (else false); fits the colour terms from 3 points
// on, holding them at their natural values below.
bool fitTransform(const CalibrationPoint* points, int n, TransformFit& out);

// The transformation applied to one star, with the instrumental errors, those
// of the fitted constants and the standards' scatter about the fit
// propagated.
StandardMagnitudes applyTransform(const TransformFit& fit, const Instrumental& inst);

}  // namespace orelith
