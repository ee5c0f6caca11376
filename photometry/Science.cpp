#include "photometry/Science.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "analysis/StarSearch.h"
#include "photometry/CurveErrors.h"

namespace orelith {
namespace {

// Stars this far (mag) beyond the calibration stars' range are extrapolated.
constexpr double kExtrapolationMag = 0.5;

bool searched(const Workspace& ws, int image) {
  return hasBit(ws.progressFlags, kSearchedBit[image]);
}

FrameOptions frameOptions(const Workspace& ws, const ScienceSettings& s) {
  FrameOptions o;
  o.gain = s.gain;
  o.readNoise = s.readNoise;
  if (s.saturation > 0) o.saturation = s.saturation;
  o.hotValue = ws.algorithm.hotPixelValue;
  o.radius = s.radius;
  o.inner = s.inner;
  o.outer = s.outer;
  o.everyAperture = s.aperture;
  return o;
}

ImageApertures measureFrameApertures(const Workspace& ws, int image, const FrameScience& f) {
  ImageApertures info;
  info.star.resize(static_cast<std::size_t>(ws.starCount[image]));
  info.fwhm = f.fwhm;
  info.settings = f.aperture;
  info.settings.hotValue = ws.algorithm.hotPixelValue;
  info.correction = f.growth.correction;
  for (int k = 0; k < ws.starCount[image]; ++k) {
    double x, y;
    starCentroid(ws, image, k, x, y);
    info.star[k] =
        measureAperture(ws, image, x, y, info.settings, f.light.active ? &f.light : nullptr, k);
  }
  return info;
}

// A flagged star needs its fit: saturated, blended, cut by a border (with
// the aperture: the image's; with the sum: the rectangle's too), or with
// pixels in its aperture that measured nothing.
bool needsFit(const ScienceResults& r, int image, int k) {
  const std::uint32_t f = r.flags.of(image, k);
  if (f & (FLAG_SATURATED | FLAG_BLENDED)) return true;
  if (!r.apertures) return f & FLAG_EDGE;
  return r.apertures->of(image, k).clipped || (f & FLAG_BAD_PIXELS);
}

// The star as aperture or sum measure it.
StarMeasure plainMeasure(const Workspace& ws, const ScienceResults& r, int image, int k) {
  StarMeasure m;
  if (r.apertures) {
    const ApertureResult& a = r.apertures->of(image, k);
    const double corrected = a.flux * r.apertures->image[image].correction;
    m.how = Measured::Aperture;
    if (!(corrected > 0)) return m;
    m.lg = std::log10(corrected);
    m.mag = -2.5 * m.lg;
    m.error = a.magError;
    return m;
  }
  const StarRecord& s = star(ws, image, k);
  const double sigma = r.flags.image[image].sky.sigma;
  m.how = Measured::Sum;
  // The search's own lg, whatever else is known of the star.
  if (!std::isfinite(s.lgBrightness)) return m;
  m.lg = s.lgBrightness;
  m.mag = -2.5 * static_cast<double>(s.lgBrightness);
  const double flux = summedLight(ws, image, k);
  if (flux > 0)
    m.error = kMagPerLn * std::sqrt(flux / r.settings.gain + s.pixelCount * sigma * sigma) / flux;
  return m;
}

// Flagged stars by their fit where one was possible, into the scale of the
// aperture or the sum; unless the flagged are kept as measured. A flagged
// star without a fit keeps its measure, marked as such.
StarMeasure starMeasure(const Workspace& ws, const ScienceResults& r, int image, int k) {
  StarMeasure plain = plainMeasure(ws, r, image, k);
  if (r.settings.keepFlagged || !needsFit(r, image, k)) return plain;
  const FrameScience& f = r.frames[image];
  const StarScience& s = f.stars[static_cast<std::size_t>(k)];
  StarMeasure m;
  m.how = fittedMeasure(s);
  if (m.how == Measured::None) {
    plain.unfitted = true;
    return plain;
  }
  const double flux = s.fit.flux[0] * (r.apertures ? f.psfScale : f.sumScale);
  m.lg = std::log10(flux);
  m.mag = -2.5 * m.lg;
  // The fitted flux joins the aperture's scale as the PSF stars say, each of
  // them scattering about it as the profile misses a star's light; that and
  // the profile's part under the fit are the same in both frames of a star.
  m.systematic = kMagPerLn * std::hypot(f.psfScaleScatter, s.systematic);
  m.error = std::hypot(kMagPerLn * s.fit.fluxError[0] / s.fit.flux[0], m.systematic);
  return m;
}

MeasureTable measureStars(const Workspace& ws, const ScienceResults& r) {
  MeasureTable t;
  for (int image : {kBlue, kGreen}) {
    if (!searched(ws, image)) continue;
    for (int k = 0; k < ws.starCount[image]; ++k)
      t.image[image].push_back(starMeasure(ws, r, image, k));
  }
  return t;
}

std::vector<CalibrationUse> calibrationUses(const Workspace& ws, const ScienceResults& r) {
  std::vector<CalibrationUse> uses;
  for (const CalibrationEntry& entry : calibrationEntries(ws)) {
    CalibrationUse u;
    u.blue = entry.blue;
    u.green = entry.green;
    const StarMeasure& b = r.measures.of(kBlue, entry.blue);
    const StarMeasure& g = r.measures.of(kGreen, entry.green);
    // A flagged calibration star that no fit measured stays out.
    u.measured[kBlue] = b.unfitted ? Measured::None : b.how;
    u.measured[kGreen] = g.unfitted ? Measured::None : g.how;
    u.flags = r.flags.of(kBlue, entry.blue) | r.flags.of(kGreen, entry.green);
    u.used = std::isfinite(b.mag) && std::isfinite(g.mag) && !b.unfitted && !g.unfitted;
    uses.push_back(u);
  }
  return uses;
}

// The points of the used calibration stars for both models.
std::vector<DiagnosticPoint> modelPoints(const Workspace& ws, const ScienceResults& r) {
  const std::vector<DiagnosticPoint> all = calibrationPoints(ws);
  std::vector<DiagnosticPoint> points;
  for (std::size_t e = 0; e < all.size(); ++e) {
    const CalibrationUse& u = r.calibration[e];
    if (!u.used) continue;
    DiagnosticPoint& p = points.emplace_back(all[e]);
    p.lgBlue = r.measures.of(kBlue, u.blue).lg;
    p.lgGreen = r.measures.of(kGreen, u.green).lg;
    p.inst = pairMagnitudes(r.measures, u.blue, u.green);
  }
  return points;
}

// The magnitude errors the curves give each paired star.
CurveErrorTable curveErrors(const Workspace& ws, const ScienceResults& r,
                            const DiagnosticPoint* points, int n) {
  const int coefficients = std::min(ws.algorithm.coefficientCount, kMaxCoefficients);
  CurveErrorTable t;
  std::vector<double>* out[2] = {&t.B, &t.V};
  for (int filter : {kBlue, kGreen}) {
    std::vector<BreloxPoint> fit(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
      fit[i] = filter == kBlue ? BreloxPoint{points[i].lgBlue, points[i].V + points[i].BV}
                               : BreloxPoint{points[i].lgGreen, points[i].V};
    const CurveUncertainty u = curveUncertainty(fit.data(), n, ws.curves[filter], coefficients);
    out[filter]->assign(static_cast<std::size_t>(ws.starCount[kBlue]), NAN);
    for (int k = 0; k < ws.starCount[kBlue]; ++k) {
      const int own = filter == kBlue ? k : star(ws, kBlue, k).partner;
      if (own < 0) continue;
      const StarMeasure& m = r.measures.of(filter, own);
      const double slope = curveSlope(ws.curves[filter], coefficients, m.lg);
      const double inst = slope * 0.4 * m.error;  // lg = -0.4 mag
      (*out[filter])[static_cast<std::size_t>(k)] = std::sqrt(inst * inst + curveVariance(u, m.lg));
    }
  }
  return t;
}

std::string format(const char* pattern, double a, double b = 0) {
  char text[400];
  std::snprintf(text, sizeof text, pattern, a, b);
  return text;
}

const char* flagWord(std::uint32_t flags) {
  return flags & FLAG_SATURATED ? "saturated" : flags & FLAG_BLENDED ? "blended" : "at an edge";
}

// What became of flagged calibration stars.
void flaggedStandardWarnings(const ScienceResults& r, std::vector<Warning>& out) {
  std::string fitted, kept, left;
  constexpr std::uint32_t kFlags = FLAG_SATURATED | FLAG_BLENDED | FLAG_EDGE;
  for (const CalibrationUse& u : r.calibration) {
    if (!(u.flags & kFlags)) continue;
    const std::string name = "blue star " + std::to_string(u.blue) + " (" + flagWord(u.flags) + ")";
    std::string& list = !u.used ? left : r.settings.keepFlagged ? kept : fitted;
    list += (list.empty() ? "" : ", ") + name;
  }
  if (!fitted.empty())
    out.push_back(
        {"flagged-standard-fitted",
         "Flagged calibration stars measured by the point-spread function: " + fitted + "."});
  if (!kept.empty())
    out.push_back({"flagged-standard-used",
                   "Flagged calibration stars used as measured (--keep-flagged): " + kept + "."});
  if (!left.empty())
    out.push_back({"standard-left-out",
                   "Calibration stars left out of the fits, no fit of the point-spread function "
                   "being possible: " +
                       left + "."});
}

struct Range {
  double lo = INFINITY, hi = -INFINITY;
  void add(double v) {
    lo = std::min(lo, v);
    hi = std::max(hi, v);
  }
};

// Paired stars whose instrumental magnitude lies more than 0.5 mag beyond the
// used calibration stars' in either filter.
void extrapolationWarning(const Workspace& ws, const ScienceResults& r,
                          const DiagnosticPoint* points, int n, std::vector<Warning>& out) {
  if (n == 0 || !hasBit(ws.progressFlags, PRG_COMPARED)) return;
  Range cal[2];
  for (int i = 0; i < n; ++i) {
    cal[kBlue].add(points[i].inst.b);
    cal[kGreen].add(points[i].inst.v);
  }
  int count = 0;
  double worst = 0;
  for (int k = 0; k < ws.starCount[kBlue]; ++k) {
    const int g = star(ws, kBlue, k).partner;
    if (g < 0) continue;
    double beyond = 0;
    const double mags[2] = {r.measures.of(kBlue, k).mag, r.measures.of(kGreen, g).mag};
    for (int f : {kBlue, kGreen})
      if (std::isfinite(mags[f]))
        beyond = std::max({beyond, mags[f] - cal[f].hi, cal[f].lo - mags[f]});
    if (beyond <= kExtrapolationMag) continue;
    ++count;
    worst = std::max(worst, beyond);
  }
  if (count == 0) return;
  out.push_back({"extrapolated",
                 format("%.0f paired stars lie more than 0.5 mag beyond the calibration stars' "
                        "brightness range (up to %.1f mag): their magnitudes are extrapolated.",
                        count, worst)});
}

// Over the lg range of the paired stars with a measurement.
void monotonicWarnings(const Workspace& ws, const ScienceResults& r, std::vector<Warning>& out) {
  if (!hasBit(ws.progressFlags, PRG_MAGNITUDES)) return;
  Range lg[2];
  for (int k = 0; k < ws.starCount[kBlue]; ++k) {
    const int g = star(ws, kBlue, k).partner;
    if (g < 0) continue;
    if (std::isfinite(r.measures.of(kBlue, k).lg)) lg[kBlue].add(r.measures.of(kBlue, k).lg);
    if (std::isfinite(r.measures.of(kGreen, g).lg)) lg[kGreen].add(r.measures.of(kGreen, g).lg);
  }
  const int n = std::min(ws.algorithm.coefficientCount, kMaxCoefficients);
  for (int f : {kBlue, kGreen})
    if (auto w = curveTurnsOver(ws.curves[f], n, lg[f].lo, lg[f].hi, f)) out.push_back(*w);
}

void transformWarnings(const ScienceResults& r, std::vector<Warning>& out) {
  if (!r.transform || r.transform->fit.bv.slopeFitted) return;
  out.push_back({"colour-terms-held",
                 format("Only %.0f usable calibration stars: the transformation holds the colour "
                        "terms at their natural values (colour scale 1, V colour term 0) and fits "
                        "the zero points only.",
                        r.transform->fit.bv.count)});
}

}  // namespace

ScienceResults measureScience(const Workspace& ws, const ScienceSettings& settings) {
  ScienceResults r;
  r.settings = settings;
  const FrameOptions o = frameOptions(ws, settings);
  if (settings.aperture) r.apertures.emplace();
  std::vector<double> lightStore;
  for (int image : {kBlue, kGreen}) {
    if (!searched(ws, image)) {
      if (r.apertures)
        r.apertures->image[image].star.resize(static_cast<std::size_t>(ws.starCount[image]));
      continue;
    }
    FrameScience& f = r.frames[image];
    f = analyseFrame(ws, image, o, std::move(lightStore));
    if (r.apertures) r.apertures->image[image] = measureFrameApertures(ws, image, f);
    // The neighbours' light, a frame's worth of numbers, has served the
    // apertures: a large pair would otherwise hold two until the window
    // closes. The next frame's takes its place.
    lightStore = std::move(f.light.total);
    f.light = {};
  }
  r.flags = flagStars(ws, r.frames, settings.gain);
  if (r.apertures) {
    // An aperture that reaches beyond the image is cut by its border too.
    for (int image : {kBlue, kGreen})
      for (int k = 0; k < ws.starCount[image]; ++k) {
        const ApertureResult& a = r.apertures->of(image, k);
        if (a.clipped) r.flags.image[image].star[k] |= FLAG_EDGE;
        if (a.badPixels > 0) r.flags.image[image].star[k] |= FLAG_BAD_PIXELS;
      }
  }
  r.measures = measureStars(ws, r);
  r.calibration = calibrationUses(ws, r);
  return r;
}

std::optional<CurveAbscissae> curveAbscissae(const Workspace& ws, const ScienceResults& r) {
  bool plain = !r.apertures;
  for (const CalibrationUse& u : r.calibration)
    plain = plain && u.used && u.measured[kBlue] == Measured::Sum &&
            u.measured[kGreen] == Measured::Sum;
  if (plain) return std::nullopt;
  CurveAbscissae a;
  for (int image : {kBlue, kGreen}) {
    for (int k = 0; k < ws.starCount[image]; ++k) {
      // With the sum only calibration stars change; with the aperture every star.
      const bool own = r.apertures || hasBit(star(ws, image, k).marks, MARK_CALIBRATION);
      a.lg[image].push_back(own ? r.measures.of(image, k).lg : star(ws, image, k).lgBrightness);
    }
  }
  for (const CalibrationUse& u : r.calibration) {
    if (u.used) continue;
    a.lg[kBlue][static_cast<std::size_t>(u.blue)] = NAN;
    a.lg[kGreen][static_cast<std::size_t>(u.green)] = NAN;
  }
  return a;
}

int usableCalibrationStars(const ScienceResults& r) {
  return static_cast<int>(std::count_if(r.calibration.begin(), r.calibration.end(),
                                        [](const auto& u) { return u.used; }));
}

ScienceStatus finishScience(const Workspace& ws, ScienceResults& r) {
  ScienceStatus status = ScienceStatus::Done;
  if (r.apertures)
    for (const ImageApertures& a : r.apertures->image)
      if (r.settings.inner > 0 && a.settings.radius > a.settings.inner)
        status = ScienceStatus::AnnulusInsideAperture;
  const std::vector<DiagnosticPoint> modelled = modelPoints(ws, r);
  const DiagnosticPoint* points = modelled.data();
  const int n = static_cast<int>(modelled.size());
  if (hasBit(ws.progressFlags, PRG_MAGNITUDES)) {
    r.polynomial = diagnoseModel(
        points, n, std::min(ws.algorithm.coefficientCount, kMaxCoefficients), predictPolynomial);
    r.curveErrors = curveErrors(ws, r, points, n);
  }
  if (r.settings.transform) {
    r.transform = transformPairs(ws, r.measures, points, n);
    if (!r.transform) status = ScienceStatus::TransformNeedsStars;
  }
  monotonicWarnings(ws, r, r.warnings);
  extrapolationWarning(ws, r, points, n, r.warnings);
  flaggedStandardWarnings(r, r.warnings);
  transformWarnings(r, r.warnings);
  r.status = status;
  return status;
}

std::string warningsText(const std::vector<Warning>& warnings) {
  std::string text;
  for (const Warning& w : warnings)
    text += (text.empty() ? "" : "\n\n") + ("[" + w.code + "] ") + w.text;
  return text;
}

ScienceOutcome computeScience(const Workspace& ws, const ScienceSettings& settings) {
  ScienceOutcome out{ScienceStatus::Done, measureScience(ws, settings)};
  out.status = finishScience(ws, out.results);
  return out;
}

std::string_view scienceStatusText(ScienceStatus status) {
  switch (status) {
    case ScienceStatus::Done:
      break;
    case ScienceStatus::TransformNeedsStars:
      return "the transformation needs at least 2 usable calibration stars";
    case ScienceStatus::AnnulusInsideAperture:
      return "the sky annulus (--annulus) starts inside the aperture; give an inner radius of at "
             "least the aperture's";
  }
  return {};
}

std::string underdeterminedText(int stars, int coefficients) {
  return "Calculate magnitudes refused: " + std::to_string(stars) + " usable calibration star" +
         (stars == 1 ? "" : "s") + " for " + std::to_string(coefficients) +
         " coefficients leave the curves undetermined. Mark more calibration stars or lower the "
         "coefficients.";
}

}  // namespace orelith
