#include "photometry/FitDiagnostics.h"

#include <algorithm>
#include <cmath>
#include <limits>

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
  BreloxPoint blue[kMaxCalibrationStars], green[kMaxCalibrationStars];
  int used = 0;
  for (int i = 0; i < n; ++i) {
    if (i == left) continue;
    blue[used] = {points[i].lgBlue, points[i].V + points[i].BV};
    green[used++] = {points[i].lgGreen, points[i].V};
  }
  double cb[kMaxCoefficients] = {}, cg[kMaxCoefficients] = {};
  if (DoMinuit(blue, cb, used, coefficients) != BRELOX_OK ||
      DoMinuit(green, cg, used, coefficients) != BRELOX_OK)
    return false;
  for (int i = 0; i < n; ++i) {
    V[i] = evaluatePolynomial(cg, coefficients, points[i].lgGreen);
    BV[i] = evaluatePolynomial(cb, coefficients, points[i].lgBlue) - V[i];
  }
  return true;
}

bool predictTransform(const DiagnosticPoint* points, int n, int left, int, double* V, double* BV) {
  CalibrationPoint fitPoints[kMaxCalibrationStars] = {};
  int used = 0;
  for (int i = 0; i < n; ++i) {
    if (i != left) fitPoints[used++] = {points[i].inst, points[i].V, points[i].BV};
  }
  TransformFit fit;
  if (!fitTransform(fitPoints, used, fit)) return false;
  for (int i = 0; i < n; ++i) {
    const StandardMagnitudes m = applyTransform(fit, points[i].inst);
    V[i] = m.V;
    BV[i] = m.BV;
  }
  return true;
}

ModelDiagnostics diagnoseModel(const DiagnosticPoint* points, int n, int coefficients,
                               Predictor predict) {
  ModelDiagnostics d;
  double V[kMaxCalibrationStars], BV[kMaxCalibrationStars];
  if (n < 1 || n > kMaxCalibrationStars || !predict(points, n, -1, coefficients, V, BV)) return d;
  d.computed = true;
  d.count = n;
  double rv[kMaxCalibrationStars], rbv[kMaxCalibrationStars];
  double lv[kMaxCalibrationStars], lbv[kMaxCalibrationStars];
  for (int i = 0; i < n; ++i) {
    rv[i] = points[i].V - V[i];
    rbv[i] = points[i].BV - BV[i];
    double looV[kMaxCalibrationStars], looBV[kMaxCalibrationStars];
    const bool ok = n > 1 && predict(points, n, i, coefficients, looV, looBV);
    lv[i] = ok ? points[i].V - looV[i] : kNaN;
    lbv[i] = ok ? points[i].BV - looBV[i] : kNaN;
    d.stars[i] = {points[i].blueStar, rv[i], rbv[i], lv[i], lbv[i]};
  }
  d.rmsV = rms(rv, n);
  d.rmsBV = rms(rbv, n);
  d.looRmsV = rms(lv, n);
  d.looRmsBV = rms(lbv, n);
  return d;
}

int calibrationPoints(const Workspace& ws, DiagnosticPoint* points) {
  for (int e = 0; e < ws.calibration.count; ++e) {
    const CalibrationEntry& entry = ws.calibration.entries[e];
    const StarRecord& blue = star(ws, kBlue, entry.blue);
    const double lgGreen = star(ws, kGreen, entry.green).lgBrightness;
    const double bv = static_cast<double>(blue.magnitudeB) - blue.magnitudeV;
    points[e] = {entry.blue, blue.lgBrightness, lgGreen, {}, blue.magnitudeV, bv};
  }
  return ws.calibration.count;
}

ModelDiagnostics diagnosePolynomial(const Workspace& ws) {
  DiagnosticPoint points[kMaxCalibrationStars];
  const int n = calibrationPoints(ws, points);
  return diagnoseModel(points, n, std::min(ws.algorithm.coefficientCount, kMaxCoefficients),
                       predictPolynomial);
}

}  // namespace orelith
