#include "photometry/Transformation.h"

#include <cmath>
#include <limits>

namespace orelith {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

Instrumental pairMagnitudes(const Workspace& ws, const MagnitudeSource& source, int blue,
                            int green) {
  Instrumental in{};
  instrumentalMagnitude(ws, source, kBlue, blue, in.b, in.bError);
  instrumentalMagnitude(ws, source, kGreen, green, in.v, in.vError);
  return in;
}

}  // namespace

void instrumentalMagnitude(const Workspace& ws, const MagnitudeSource& source, int image, int k,
                           double& mag, double& error) {
  if (source.apertures != nullptr) {
    const ApertureResult& a = source.apertures->of(image, k);
    mag = a.mag;
    error = a.magError;
    return;
  }
  const StarRecord& r = star(ws, image, k);
  const double flux = r.brightness;
  const double sigma = source.flags.image[image].sky.sigma;
  mag = flux > 0 ? -2.5 * static_cast<double>(r.lgBrightness) : kNaN;
  error = flux > 0 ? kMagPerLn * std::sqrt(flux / source.gain + r.pixelCount * sigma * sigma) / flux
                   : kNaN;
}

std::optional<TransformTable> transformPairs(const Workspace& ws, const MagnitudeSource& source) {
  DiagnosticPoint points[kMaxCalibrationStars];
  const int all = calibrationPoints(ws, points);
  int n = 0;
  for (int i = 0; i < all; ++i) {
    const CalibrationEntry& entry = ws.calibration.entries[i];
    points[i].inst = pairMagnitudes(ws, source, entry.blue, entry.green);
    if (std::isfinite(points[i].inst.b) && std::isfinite(points[i].inst.v)) points[n++] = points[i];
  }
  CalibrationPoint fitPoints[kMaxCalibrationStars] = {};
  for (int i = 0; i < n; ++i) fitPoints[i] = {points[i].inst, points[i].V, points[i].BV};
  TransformTable table;
  if (!fitTransform(fitPoints, n, table.fit)) return std::nullopt;
  table.standard.resize(static_cast<std::size_t>(ws.starCount[kBlue]));
  for (int k = 0; k < ws.starCount[kBlue]; ++k) {
    const int partner = star(ws, kBlue, k).partner;
    if (partner < 0 || !hasBit(ws.progressFlags, PRG_COMPARED)) continue;
    table.standard[k] = applyTransform(table.fit, pairMagnitudes(ws, source, k, partner));
  }
  table.diagnostics = diagnoseModel(points, n, 0, predictTransform);
  return table;
}

}  // namespace orelith
