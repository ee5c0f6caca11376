#include "photometry/Calibration.h"

#include <algorithm>
#include <cmath>

#include "fitlib/Brelox.h"
#include "photometry/CalibrationCurve.h"
#include "resources/StringTable.h"

namespace orelith {
namespace {

// Fits the curve of `filter` into `curve` (which holds the current one).
int fitCurve(const Workspace& ws, int filter, double* curve) {
  BreloxPoint points[kMaxCalibrationStars];
  const int count = ws.calibration.count;
  for (int e = 0; e < count; ++e) {
    const CalibrationEntry& entry = ws.calibration.entries[e];
    const StarRecord& blue = star(ws, kBlue, entry.blue);
    const int ownStar = filter == kBlue ? entry.blue : entry.green;
    points[e].x = static_cast<double>(star(ws, filter, ownStar).lgBrightness);
    points[e].y = static_cast<double>(filter == kBlue ? blue.magnitudeB : blue.magnitudeV);
  }
  return DoMinuit(points, curve, count, ws.algorithm.coefficientCount);
}

bool takesMagnitude(const StarRecord& blue) {
  return blue.partner != -1 && !hasBit(blue.marks, MARK_CALIBRATION);
}

// The magnitudes `curve` gives, into `out` by blue star number; false when
// some star gets no finite float (a fit through absurd calibration values),
// so that neither the curve nor a magnitude is stored.
bool curveMagnitudes(const Workspace& ws, int filter, const double* curve, float* out) {
  const int n = std::min(ws.algorithm.coefficientCount, kMaxCoefficients);
  for (int k = 0; k < ws.starCount[kBlue]; ++k) {
    const StarRecord& blue = star(ws, kBlue, k);
    if (!takesMagnitude(blue)) continue;
    const StarRecord& own = filter == kBlue ? blue : star(ws, kGreen, blue.partner);
    out[k] = static_cast<float>(evaluatePolynomial(curve, n, own.lgBrightness));
    if (!std::isfinite(out[k])) return false;
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

Outcome<CalculateStatus> calculateMagnitudes(Workspace& ws) {
  // Zero points would give the fit nothing to fit; every star would get the
  // curve's start values as magnitudes.
  if (ws.calibration.count == 0) return {CalculateStatus::NoCalibrationStars, std::nullopt};
  float values[kMaxStars];
  for (int filter : {kBlue, kGreen}) {
    double curve[kMaxCoefficients];
    std::copy_n(ws.curves[filter], kMaxCoefficients, curve);
    if (fitCurve(ws, filter, curve) != BRELOX_OK || !curveMagnitudes(ws, filter, curve, values))
      return {CalculateStatus::Failed, str::MinimisationFailed};
    std::copy_n(curve, kMaxCoefficients, ws.curves[filter]);
    storeMagnitudes(ws, filter, values);
  }
  ws.progressFlags |= PRG_MAGNITUDES;
  return {CalculateStatus::Ok, std::nullopt};
}

}  // namespace orelith
