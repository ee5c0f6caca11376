#include "photometry/StandardTransform.h"

#include <algorithm>
#include <cmath>

#include "image/Workspace.h"

namespace orelith {
namespace {

// No instrumental error is taken as smaller than this, so that one star of a
// perfect measurement cannot take all the weight.
constexpr double kMinSigma = 1e-3;

double variance(const LineFit& f, double x) {
  return f.zeroError * f.zeroError + x * x * f.slopeError * f.slopeError + 2 * x * f.covariance;
}

}  // namespace

bool fitLine(const double* x, const double* y, const double* sigma, int n, bool fitSlope,
             LineFit& out) {
  out = LineFit{};
  out.count = n;
  if (n < 1) return false;
  double s = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
  for (int i = 0; i < n; ++i) {
    const double sg = std::max(sigma[i], kMinSigma), w = 1.0 / (sg * sg);
    s += w;
    sx += w * x[i];
    sy += w * y[i];
    sxx += w * x[i] * x[i];
    sxy += w * x[i] * y[i];
  }
  const double det = s * sxx - sx * sx;
  out.slopeFitted = fitSlope && det > 1e-12 * s * sxx;
  double varZero = 1.0 / s, varSlope = 0, cov = 0;
  if (out.slopeFitted) {
    out.slope = (s * sxy - sx * sy) / det;
    out.zero = (sxx * sy - sx * sxy) / det;
    varZero = sxx / det;
    varSlope = s / det;
    cov = -sx / det;
  } else {
    out.zero = sy / s;
  }
  for (int i = 0; i < n; ++i) {
    const double sg = std::max(sigma[i], kMinSigma);
    const double r = (y[i] - out.zero - out.slope * x[i]) / sg;
    out.chi2 += r * r;
  }
  const int dof = n - (out.slopeFitted ? 2 : 1);
  const double scale = dof > 0 ? std::max(1.0, out.chi2 / dof) : 1.0;
  out.zeroError = std::sqrt(varZero * scale);
  out.slopeError = std::sqrt(varSlope * scale);
  out.covariance = cov * scale;
  return true;
}

bool fitTransform(const CalibrationPoint* points, int n, TransformFit& out) {
  if (n < 2 || n > kMaxCalibrationStars) return false;
  double bvX[kMaxCalibrationStars], bvY[kMaxCalibrationStars], bvSigma[kMaxCalibrationStars];
  double vX[kMaxCalibrationStars], vY[kMaxCalibrationStars], vSigma[kMaxCalibrationStars];
  for (int i = 0; i < n; ++i) {
    const Instrumental& in = points[i].inst;
    bvX[i] = in.b - in.v;
    bvY[i] = points[i].BV;
    bvSigma[i] = std::hypot(in.bError, in.vError);
    vX[i] = points[i].BV;
    vY[i] = points[i].V - in.v;
    vSigma[i] = in.vError;
  }
  const bool colourTerms = n >= 3;
  return fitLine(bvX, bvY, bvSigma, n, colourTerms, out.bv) &&
         fitLine(vX, vY, vSigma, n, colourTerms, out.v);
}

StandardMagnitudes applyTransform(const TransformFit& fit, const Instrumental& in) {
  StandardMagnitudes m{};
  const double colour = in.b - in.v;
  m.BV = fit.bv.zero + fit.bv.slope * colour;
  m.BVError =
      std::sqrt(fit.bv.slope * fit.bv.slope * (in.bError * in.bError + in.vError * in.vError) +
                variance(fit.bv, colour));
  m.V = in.v + fit.v.zero + fit.v.slope * m.BV;
  // v enters V directly and, through b - v, the colour term.
  const double tt = fit.v.slope * fit.bv.slope;
  const double instVar =
      (1 - tt) * (1 - tt) * in.vError * in.vError + tt * tt * in.bError * in.bError;
  m.VError = std::sqrt(instVar + variance(fit.v, m.BV) +
                       fit.v.slope * fit.v.slope * variance(fit.bv, colour));
  return m;
}

}  // namespace orelith
