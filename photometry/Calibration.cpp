#include "photometry/Calibration.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "fitlib/Brelox.h"
#include "photometry/CalibrationCurve.h"
#include "resources/StringTable.h"

namespace orelith {
namespace {

// The abscissa of star `k` of `image`: its lg brightness, or what the science
// measured.
double abscissa(const Workspace& ws, const CurveAbscissae* a, int image, int k) {
  if (a == nullptr) return static_cast<double>(star(ws, image, k).lgBrightness);
  const std::vector<double>& lg = a->lg[image];
  return k >= 0 && k < static_cast<int>(lg.size()) ? lg[k] : NAN;
}

bool fittable(const Workspace& ws, const CurveAbscissae* a, const CalibrationEntry& e) {
  return !std::isnan(abscissa(ws, a, kBlue, e.blue)) &&
         !std::isnan(abscissa(ws, a, kGreen, e.green));
}

// Fits the curve of `filter` into `curve` (which holds the current one).
int fitCurve(const Workspace& ws, const CurveAbscissae* a, int filter, double* curve) {
  std::vector<BreloxPoint> points;
  points.reserve(calibrationEntries(ws).size());
  for (const CalibrationEntry& entry : calibrationEntries(ws)) {
    if (!fittable(ws, a, entry)) continue;
    const StarRecord& blue = star(ws, kBlue, entry.blue);
    const int ownStar = filter == kBlue ? entry.blue : entry.green;
    points.push_back({abscissa(ws, a, filter, ownStar),
                      static_cast<double>(filter == kBlue ? blue.magnitudeB : blue.magnitudeV)});
  }
  return DoMinuit(points.data(), curve, static_cast<int>(points.size()),
                  ws.algorithm.coefficientCount);
}

bool takesMagnitude(const StarRecord& blue) {
  return blue.partner != -1 && !hasBit(blue.marks, MARK_CALIBRATION);
}

// The magnitudes `curve` gives, into `out` by blue star number; false when
// some star gets no finite float (a fit through absurd calibration values),
// so that neither the curve nor a magnitude is stored.
bool curveMagnitudes(const Workspace& ws, const CurveAbscissae* a, int filter, const double* curve,
                     float* out) {
  const int n = std::min(ws.algorithm.coefficientCount, kMaxCoefficients);
  for (int k = 0; k < ws.starCount[kBlue]; ++k) {
    const StarRecord& blue = star(ws, kBlue, k);
    if (!takesMagnitude(blue)) continue;
    const double lg = abscissa(ws, a, filter, filter == kBlue ? k : blue.partner);
    // A star without a measured flux has no magnitude either.
    out[k] = static_cast<float>(std::isnan(lg) ? lg : evaluatePolynomial(curve, n, lg));
    if (!std::isnan(lg) && !std::isfinite(out[k])) return false;
  }
  return true;
}

void storeMagnitudes(Workspace& ws, int filter, const float* values) {
  for (int k = 0; k < ws.starCount[kBlue]; ++k) {
    StarRecord& blue = star(ws, kBlue, k);
    if (takesMagnitude(blue)) (filter == kBlue ? blue.magnitudeB : blue.magnitudeV) = values[k];
  }
}

}  // namespace

int fittableCalibrationStars(const Workspace& ws, const CurveAbscissae* a) {
  int count = 0;
  for (const CalibrationEntry& entry : calibrationEntries(ws)) count += fittable(ws, a, entry);
  return count;
}

Outcome<CalculateStatus> calculateMagnitudes(Workspace& ws, const CurveAbscissae* a) {
  // Zero points would give the fit nothing to fit; every star would get the
  // curve's start values as magnitudes.
  if (ws.calibration.count == 0) return {CalculateStatus::NoCalibrationStars, std::nullopt};
  // Fewer points than coefficients leave the curve undetermined: the library
  // would return one of many, and every star would get nonsense. More
  // coefficients than it takes, it refuses itself.
  const int n = ws.algorithm.coefficientCount;
  if (n <= kMaxCoefficients && fittableCalibrationStars(ws, a) < n)
    return {CalculateStatus::Underdetermined, std::nullopt};
  std::vector<float> values(static_cast<std::size_t>(std::max(ws.starCount[kBlue], 0)));
  for (int filter : {kBlue, kGreen}) {
    double curve[kMaxCoefficients];
    std::copy_n(ws.curves[filter], kMaxCoefficients, curve);
    if (fitCurve(ws, a, filter, curve) != BRELOX_OK ||
        !curveMagnitudes(ws, a, filter, curve, values.data()))
      return {CalculateStatus::Failed, str::MinimisationFailed};
    std::copy_n(curve, kMaxCoefficients, ws.curves[filter]);
    storeMagnitudes(ws, filter, values.data());
  }
  ws.progressFlags |= PRG_MAGNITUDES;
  return {CalculateStatus::Ok, std::nullopt};
}

}  // namespace orelith
