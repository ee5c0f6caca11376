#include "photometry/ScienceTable.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace orelith {
namespace {

constexpr double kMagPerLn = 1.0857362047581294;  // 2.5 / ln 10
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// Used when no star of an image tells its width.
constexpr double kFallbackFwhm = 2.5;

bool searched(const Workspace& ws, int image) {
  return hasBit(ws.progressFlags, kSearchedBit[image]);
}

void flagExtrapolated(const Workspace& ws, ScienceTable& table) {
  const CalibrationList& list = ws.calibration;
  if (list.count == 0) return;
  for (int image : {kBlue, kGreen}) {
    float lo = INFINITY, hi = -INFINITY;
    for (int e = 0; e < list.count; ++e) {
      const int k = image == kBlue ? list.entries[e].blue : list.entries[e].green;
      lo = std::min(lo, star(ws, image, k).lgBrightness);
      hi = std::max(hi, star(ws, image, k).lgBrightness);
    }
    for (int k = 0; k < ws.starCount[image]; ++k) {
      const float lg = star(ws, image, k).lgBrightness;
      if (lg < lo || lg > hi) table.flags[k][image] |= FLAG_EXTRAPOLATED;
    }
  }
}

// The faint stars' signal to noise is best with an aperture diameter near
// 2 FWHM; the peak-based width estimate runs a little wide, hence 0.85.
ApertureSettings apertureFor(const ScienceSettings& s, double fwhm) {
  ApertureSettings a{s.radius > 0 ? s.radius : 0.85 * fwhm, s.inner, s.outer, s.gain, s.readNoise};
  if (s.inner <= 0 || s.outer <= 0) {
    a.inner = std::max(a.radius + 1.0, 3.0 * fwhm);
    a.outer = std::max(a.inner + 3.0, 5.0 * fwhm);
  }
  return a;
}

// -2.5 lg(F) of one star of one image with its error.
void starMagnitude(const Workspace& ws, const ScienceSettings& s, const ScienceTable& table,
                   int image, int k, double& mag, double& error) {
  if (table.apertureDone) {
    mag = table.aperture[k][image].mag;
    error = table.aperture[k][image].magError;
    return;
  }
  const StarRecord& r = star(ws, image, k);
  const double flux = r.brightness;
  const double sigma = table.image[image].sky.sigma;
  mag = flux > 0 ? -2.5 * static_cast<double>(r.lgBrightness) : kNaN;
  error =
      flux > 0 ? kMagPerLn * std::sqrt(flux / s.gain + r.pixelCount * sigma * sigma) / flux : kNaN;
}

Instrumental pairMagnitudes(const Workspace& ws, const ScienceSettings& s,
                            const ScienceTable& table, int blue, int green) {
  Instrumental in{};
  starMagnitude(ws, s, table, kBlue, blue, in.b, in.bError);
  starMagnitude(ws, s, table, kGreen, green, in.v, in.vError);
  return in;
}

bool usable(const Instrumental& in) { return std::isfinite(in.b) && std::isfinite(in.v); }

// The calibration stars as points of both models, skipping those without an
// instrumental magnitude.
int calibrationPoints(const Workspace& ws, const ScienceSettings& s, const ScienceTable& table,
                      bool needInstrumental, DiagnosticPoint* points) {
  int n = 0;
  for (int e = 0; e < ws.calibration.count; ++e) {
    const CalibrationEntry& entry = ws.calibration.entries[e];
    const StarRecord& blue = star(ws, kBlue, entry.blue);
    DiagnosticPoint p{entry.blue,
                      blue.lgBrightness,
                      star(ws, kGreen, entry.green).lgBrightness,
                      pairMagnitudes(ws, s, table, entry.blue, entry.green),
                      blue.magnitudeV,
                      static_cast<double>(blue.magnitudeB) - blue.magnitudeV};
    if (!needInstrumental || usable(p.inst)) points[n++] = p;
  }
  return n;
}

}  // namespace

void computeStarFlags(const Workspace& ws, const ScienceSettings& settings, ScienceTable& table) {
  for (int image : {kBlue, kGreen}) {
    if (!searched(ws, image)) continue;
    table.image[image].sky = measureSkyNoise(ws, image);
    const FlagLimits limits{settings.saturation, table.image[image].sky, settings.gain};
    for (int k = 0; k < ws.starCount[image]; ++k)
      table.flags[k][image] = starShapeFlags(ws, image, k, limits);
  }
  flagExtrapolated(ws, table);
  table.flagsDone = true;
}

void measureApertures(const Workspace& ws, const ScienceSettings& settings, ScienceTable& table) {
  for (int image : {kBlue, kGreen}) {
    if (!searched(ws, image)) continue;
    ImageScience& info = table.image[image];
    info.fwhm = estimateFwhm(ws, image, kFallbackFwhm);
    info.aperture = apertureFor(settings, info.fwhm);
    for (int k = 0; k < ws.starCount[image]; ++k) {
      double x, y;
      starCentroid(ws, image, k, x, y);
      table.aperture[k][image] = measureAperture(ws, image, x, y, info.aperture);
      if (table.aperture[k][image].clipped) table.flags[k][image] |= FLAG_EDGE;
    }
  }
  table.apertureDone = true;
}

bool computeTransform(const Workspace& ws, const ScienceSettings& settings, ScienceTable& table) {
  DiagnosticPoint points[kMaxCalibrationStars];
  const int n = calibrationPoints(ws, settings, table, true, points);
  CalibrationPoint fitPoints[kMaxCalibrationStars] = {};
  for (int i = 0; i < n; ++i) fitPoints[i] = {points[i].inst, points[i].V, points[i].BV};
  table.transformDone = fitTransform(fitPoints, n, table.transform);
  if (!table.transformDone) return false;
  for (int k = 0; k < ws.starCount[kBlue]; ++k) {
    const int partner = star(ws, kBlue, k).partner;
    if (partner < 0 || !hasBit(ws.progressFlags, PRG_COMPARED)) continue;
    table.instrumental[k] = pairMagnitudes(ws, settings, table, k, partner);
    table.standard[k] = applyTransform(table.transform, table.instrumental[k]);
  }
  table.transformed = diagnoseModel(points, n, 0, predictTransform);
  return true;
}

void computePolynomialDiagnostics(const Workspace& ws, ScienceTable& table) {
  DiagnosticPoint points[kMaxCalibrationStars];
  const int n = calibrationPoints(ws, ScienceSettings{}, table, false, points);
  table.polynomial = diagnoseModel(
      points, n, std::min(ws.algorithm.coefficientCount, kMaxCoefficients), predictPolynomial);
}

}  // namespace orelith
