#include "photometry/FitDiagnostics.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "fitlib/Brelox.h"
#include "photometry/CalibrationCurve.h"

namespace orelith {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

double rms(const double* values, int n) {
  double sum = 0;
  int used = 0;
  for (int i = 0; i < n; ++i) {
    if (std::isnan(values[i])) continue;
    sum += values[i] * values[i];
    ++used;
  }
  return used > 0 ? std::sqrt(sum / used) : kNaN;
}

}  // namespace

bool predictPolynomial(const DiagnosticPoint* points, int n, int left, int coefficients, double* V,
                       double* BV) {
  std::vector<BreloxPoint> blue, green;
  blue.reserve(static_cast<std::size_t>(n));
  green.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    if (i == left) continue;
    blue.push_back({points[i].lgBlue, points[i].V + points[i].BV});
    green.push_back({points[i].lgGreen, points[i].V});
  }
  const int used = static_cast<int>(blue.size());
  double cb[kMaxCoefficients] = {}, cg[kMaxCoefficients] = {};
  if (DoMinuit(blue.data(), cb, used, coefficients) != BRELOX_OK ||
      DoMinuit(green.data(), cg, used, coefficients) != BRELOX_OK)
    return false;
  for (int i = 0; i < n; ++i) {
    V[i] = evaluatePolynomial(cg, coefficients, points[i].lgGreen);
    BV[i] = evaluatePolynomial(cb, coefficients, points[i].lgBlue) - V[i];
  }
  return true;
}

bool predictTransform(const DiagnosticPoint* points, int n, int left, int, double* V, double* BV) {
  std::vector<CalibrationPoint> fitPoints;
  fitPoints.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    if (i != left) fitPoints.push_back({points[i].inst, points[i].V, points[i].BV});
  }
  TransformFit fit;
  if (!fitTransform(fitPoints.data(), static_cast<int>(fitPoints.size()), fit)) return false;
  for (int i = 0; i < n; ++i) {
    const StandardMagnitudes m = applyTransform(fit, points[i].inst);
    V[i] = m.V;
    BV[i] = m.BV;
  }
  return true;
}

ModelDiagnostics diagnoseModel(const DiagnosticPoint* points, int n, int coefficients,
                               Predictor predict, bool leaveOneOut) {
  ModelDiagnostics d;
  if (n < 1) return d;
  // Predictions, residuals and left-out residuals, n of each.
  const auto size = static_cast<std::size_t>(n);
  std::vector<double> V(size), BV(size), rv(size), rbv(size), lv(size), lbv(size);
  std::vector<double> looV(size), looBV(size);
  if (!predict(points, n, -1, coefficients, V.data(), BV.data())) return d;
  d.computed = true;
  d.count = n;
  d.stars.resize(size);
  for (int i = 0; i < n; ++i) {
    rv[i] = points[i].V - V[i];
    rbv[i] = points[i].BV - BV[i];
    const bool ok =
        leaveOneOut && n > 1 && predict(points, n, i, coefficients, looV.data(), looBV.data());
    lv[i] = ok ? points[i].V - looV[i] : kNaN;
    lbv[i] = ok ? points[i].BV - looBV[i] : kNaN;
    d.stars[i] = {points[i].blueStar, rv[i], rbv[i], lv[i], lbv[i]};
  }
  d.rmsV = rms(rv.data(), n);
  d.rmsBV = rms(rbv.data(), n);
  d.looRmsV = rms(lv.data(), n);
  d.looRmsBV = rms(lbv.data(), n);
  return d;
}

std::vector<DiagnosticPoint> calibrationPoints(const Workspace& ws) {
  std::vector<DiagnosticPoint> points;
  points.reserve(calibrationEntries(ws).size());
  for (const CalibrationEntry& entry : calibrationEntries(ws)) {
    const StarRecord& blue = star(ws, kBlue, entry.blue);
    const double lgGreen = star(ws, kGreen, entry.green).lgBrightness;
    const double bv = static_cast<double>(blue.magnitudeB) - blue.magnitudeV;
    points.push_back({entry.blue, blue.lgBrightness, lgGreen, {}, blue.magnitudeV, bv});
  }
  return points;
}

ModelDiagnostics diagnosePolynomial(const Workspace& ws) {
  const std::vector<DiagnosticPoint> points = calibrationPoints(ws);
  return diagnoseModel(points.data(), static_cast<int>(points.size()),
                       std::min(ws.algorithm.coefficientCount, kMaxCoefficients), predictPolynomial,
                       false);
}

}  // namespace orelith
