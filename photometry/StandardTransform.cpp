#include "photometry/StandardTransform.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "image/Workspace.h"

namespace orelith {
namespace {

// No instrumental error is taken as smaller than this, so that one star of a
// perfect measurement cannot take all the weight.
constexpr double kMinSigma = 1e-3;
constexpr int kScatterRounds = 30;

double variance(const LineFit& f, double x) {
  return f.zeroError * f.zeroError + x * x * f.slopeError * f.slopeError + 2 * x * f.covariance;
}

// The weighted line with extra variance s2 on every point; chi2 of the
// residuals with those weights.
void weightedLine(const double* x, const double* y, const double* sigma, int n, double s2,
                  LineFit& out) {
  double s = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
  for (int i = 0; i < n; ++i) {
    const double sg = std::max(sigma[i], kMinSigma), w = 1.0 / (sg * sg + s2);
    s += w;
    sx += w * x[i];
    sy += w * y[i];
    sxx += w * x[i] * x[i];
    sxy += w * x[i] * y[i];
  }
  const double det = s * sxx - sx * sx;
  if (out.slopeFitted) {
    out.slope = (s * sxy - sx * sy) / det;
    out.zero = (sxx * sy - sx * sxy) / det;
    out.zeroError = std::sqrt(sxx / det);
    out.slopeError = std::sqrt(s / det);
    out.covariance = -sx / det;
  } else {
    out.zero = (sy - out.slope * sx) / s;
    out.zeroError = std::sqrt(1.0 / s);
  }
  out.chi2 = 0;
  for (int i = 0; i < n; ++i) {
    const double sg = std::max(sigma[i], kMinSigma);
    const double r = y[i] - out.zero - out.slope * x[i];
    out.chi2 += r * r / (sg * sg + s2);
  }
}

bool spreadInX(const double* x, int n) {
  const auto [lo, hi] = std::minmax_element(x, x + n);
  return *hi - *lo > 1e-6;
}

}  // namespace

bool fitLine(const double* x, const double* y, const double* sigma, int n, bool fitSlope,
             double heldSlope, LineFit& out) {
  out = LineFit{};
  out.count = n;
  if (n < 1) return false;
  out.slopeFitted = fitSlope && n >= 2 && spreadInX(x, n);
  out.slope = heldSlope;
  weightedLine(x, y, sigma, n, 0.0, out);
  const int dof = n - (out.slopeFitted ? 2 : 1);
  if (dof <= 0 || out.chi2 <= dof) return true;
  // The extra variance that brings chi2 down to the degrees of freedom,
  // found by bisection with the residuals of the current fit, refitted until
  // it settles.
  double s2 = 0;
  for (int round = 0; round < kScatterRounds; ++round) {
    double lo = 0, hi = 0;
    for (int i = 0; i < n; ++i) {
      const double r = y[i] - out.zero - out.slope * x[i];
      hi = std::max(hi, n * r * r);
    }
    for (int step = 0; step < 60; ++step) {
      const double mid = 0.5 * (lo + hi);
      double chi2 = 0;
      for (int i = 0; i < n; ++i) {
        const double sg = std::max(sigma[i], kMinSigma);
        const double r = y[i] - out.zero - out.slope * x[i];
        chi2 += r * r / (sg * sg + mid);
      }
      (chi2 > dof ? lo : hi) = mid;
    }
    const double next = 0.5 * (lo + hi);
    const bool settled = std::abs(next - s2) <= 1e-9 * (1.0 + s2);
    s2 = next;
    weightedLine(x, y, sigma, n, s2, out);
    if (settled) break;
  }
  out.scatter = std::sqrt(s2);
  return true;
}

bool fitTransform(const CalibrationPoint* points, int n, TransformFit& out) {
  if (n < 2) return false;
  const auto size = static_cast<std::size_t>(n);
  std::vector<double> bvX(size), bvY(size), bvSigma(size), vX(size), vY(size), vSigma(size);
  for (int i = 0; i < n; ++i) {
    const Instrumental& in = points[i].inst;
    bvX[i] = in.b - in.v;
    bvY[i] = points[i].BV;
    bvSigma[i] = std::sqrt(in.colourVariance());
    vX[i] = points[i].BV;
    vY[i] = points[i].V - in.v;
    vSigma[i] = in.vError;
  }
  const bool colourTerms = n >= kColourTermPoints;
  return fitLine(bvX.data(), bvY.data(), bvSigma.data(), n, colourTerms, kNaturalColourScale,
                 out.bv) &&
         fitLine(vX.data(), vY.data(), vSigma.data(), n, colourTerms, kNaturalVColourTerm, out.v);
}

StandardMagnitudes applyTransform(const TransformFit& fit, const Instrumental& in) {
  StandardMagnitudes m{};
  const double colour = in.b - in.v;
  m.BV = fit.bv.zero + fit.bv.slope * colour;
  const double bvCal = variance(fit.bv, colour) + fit.bv.scatter * fit.bv.scatter;
  m.BVError = std::sqrt(fit.bv.slope * fit.bv.slope * in.colourVariance() + bvCal);
  m.V = in.v + fit.v.zero + fit.v.slope * m.BV;
  // v enters V directly and, through b - v, the colour term.
  const double tt = fit.v.slope * fit.bv.slope;
  const double instVar = (1 - tt) * (1 - tt) * in.vError * in.vError +
                         tt * tt * in.bError * in.bError + 2 * (1 - tt) * tt * in.covariance;
  m.VError = std::sqrt(instVar + variance(fit.v, m.BV) + fit.v.scatter * fit.v.scatter +
                       fit.v.slope * fit.v.slope * bvCal);
  return m;
}

}  // namespace orelith
