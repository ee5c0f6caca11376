#include "photometry/FrameScience.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <span>
#include <utility>
#include <vector>

#include "analysis/StarSearch.h"
#include "image/StarLabels.h"

namespace orelith {
namespace {

constexpr double kFallbackFwhm = 2.5;  // when no star of the frame tells its width
// A pixel this many sky sigmas below the sky measured nothing (a dead pixel).
constexpr double kDeadSigmas = 10.0;
constexpr int kMaxPsfStars = 8;
constexpr int kMinPsfStars = 3;
// A PSF star whose own fit leaves this many times the noise is no single star.
constexpr double kPsfStarChi2 = 3.0;
// PSF stars peak at most at this share of the saturation level above the sky,
// where every detector is still linear.
constexpr double kLinearShare = 0.5;
// The blend test looks at stars whose peak stands this many sky sigmas above
// the sky: a companion of a quarter of that still stands five.
constexpr double kBlendSigmas = 20.0;
constexpr double kPairGain = 25.0;
// Far beyond the rounding of a chi-square of a few hundred pixels, far below
// any chi-square that matters.
constexpr double kRoundingMargin = 1e-6;
// A saturated star's pixels from this share of the level up are left out of
// its fit: detectors turn nonlinear before they stop.
constexpr double kWingShare = 0.85;
// The profile describes a star's light to about this share where the fit
// cannot check it (under a clipped core, or where a neighbour's light
// overlaps).
constexpr double kProfileAccuracy = 0.01;
// Curve of growth from 1 pixel in quarter steps up to 3 FWHM.
constexpr double kGrowthStep = 0.25;
constexpr double kGrowthReach = 3.0;
// A halo counts where it stands this many sky sigmas above the sky; no halo
// reaches beyond 30 pixels. A saturated star's summed light is taken three
// times, its core being clipped.
constexpr double kHaloSigmas = 0.25;
constexpr double kMaxHalo = 30.0;
constexpr double kClippedLight = 3.0;

std::vector<double> starValues(const FrameView& frame, const Workspace& ws, int image, int k) {
  std::vector<double> v;
  for (const PixelPos p : starPixels(ws, image, k)) v.push_back(frame(p.x, p.y));
  return v;
}

double fluxAbove(const std::vector<double>& values, double sky) {
  double sum = 0;
  for (double v : values)
    if (!std::isnan(v)) sum += v - sky;
  return sum;
}

// Pixels of other stars, and pixels outside the frame, take no part in a fit.
struct OtherStars {
  const Workspace* ws;
  int image, own;
  bool operator()(int x, int y) const {
    if (!insideImage(*ws, image, x, y)) return true;
    const int label = starAtPixel(*ws, image, x, y);
    return label >= 0 && label != own;
  }
};

// No pixel of another star, nor the frame's edge, within `reach` of its peak.
bool isolated(const Workspace& ws, int image, int k, int reach) {
  const StarRecord& s = star(ws, image, k);
  const OtherStars other{&ws, image, k};
  for (int y = s.y - reach; y <= s.y + reach; ++y)
    for (int x = s.x - reach; x <= s.x + reach; ++x)
      if (other(x, y)) return false;
  return true;
}

double median(std::vector<double> v) {
  std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
  return v[v.size() / 2];
}

const NeighbourLight* lightOf(const FrameScience& f) { return f.light.active ? &f.light : nullptr; }

int halfSize(double fwhm, double reach) { return static_cast<int>(std::ceil(reach * fwhm)) + 1; }

StarGuess guessOf(const Workspace& ws, int image, int k, double flux) {
  double x = 0, y = 0;
  starCentroid(ws, image, k, x, y);
  return {x, y, std::max(flux, 1.0)};
}

// Hot pixels never take part.
Stamp stampOf(const FrameView& frame, const Workspace& ws, int image, int k, const FrameScience& f,
              const FrameOptions& o, double half, double clipAt) {
  const StarRecord& s = star(ws, image, k);
  return makeStamp(frame, s.x, s.y, halfSize(f.fwhm, half), f.sky.level, f.sky.sigma, o.gain,
                   std::min(clipAt, o.hotValue), OtherStars{&ws, image, k});
}

// The brightest clean, isolated, linear stars.
std::vector<int> choosePsfStars(const Workspace& ws, int image, FrameScience& f,
                                const FrameOptions& o) {
  const double level = ws.floatFrame[image] ? f.saturation.level : std::trunc(f.saturation.level);
  const FlagLimits limits{level, f.sky, o.gain};
  const double linear = f.sky.level + kLinearShare * (f.saturation.level - f.sky.level);
  std::vector<int> chosen;
  for (int k = 0; k < ws.starCount[image]; ++k) {
    StarScience& s = f.stars[static_cast<std::size_t>(k)];
    if (!s.profile.bright || s.saturated || s.profile.peak > linear) continue;
    if (star(ws, image, k).marks & (MARK_HOT | MARK_LARGE)) continue;
    if (!isolated(ws, image, k, halfSize(f.fwhm, 2.5))) continue;
    s.secondPeak = hasSecondPeak(ws, image, k, limits) ? 1 : 0;
    if (s.secondPeak == 0) chosen.push_back(k);
  }
  std::sort(chosen.begin(), chosen.end(), [&](int a, int b) {
    return f.stars[static_cast<std::size_t>(a)].profile.flux >
           f.stars[static_cast<std::size_t>(b)].profile.flux;
  });
  if (chosen.size() > kMaxPsfStars) chosen.resize(kMaxPsfStars);
  return chosen;
}

// The shape through the PSF stars; stars the shape does not fit (a blend the
// peak test missed, a cosmic ray) leave, and the rest fit it again.
void fitShape(const FrameView& frame, const Workspace& ws, int image, const FrameOptions& o,
              FrameScience& f) {
  f.psfStars = choosePsfStars(ws, image, f, o);
  for (int round = 0; round < 2; ++round) {
    std::vector<Stamp> stamps;
    std::vector<StarGuess> guesses;
    for (int k : f.psfStars) {
      stamps.push_back(stampOf(frame, ws, image, k, f, o, 2.0, INFINITY));
      guesses.push_back(guessOf(ws, image, k, f.stars[static_cast<std::size_t>(k)].profile.flux));
    }
    f.psf = fitPsfShape(stamps, guesses, f.fwhm, !isSt6Frame(ws.frame[image]));
    f.psfUsable = f.psf.converged && f.psf.stars >= kMinPsfStars;
    if (!f.psfUsable || round == 1) return;
    std::vector<int> kept;
    for (std::size_t i = 0; i < stamps.size(); ++i) {
      const PsfStarFit fit = fitStars(f.psf.shape, stamps[i], std::span(&guesses[i], 1));
      if (fit.converged && fit.reducedChi2 <= kPsfStarChi2) kept.push_back(f.psfStars[i]);
    }
    if (kept.size() == f.psfStars.size()) return;
    f.psfStars = kept;
  }
}

// A pair fit of every bright unsaturated star; those that hold a second star
// are blends, measured by that fit.
void findBlends(const FrameView& frame, const Workspace& ws, int image, const FrameOptions& o,
                FrameScience& f) {
  const double floor = f.sky.level + kBlendSigmas * f.sky.sigma;
  for (int k = 0; k < ws.starCount[image]; ++k) {
    StarScience& s = f.stars[static_cast<std::size_t>(k)];
    if (s.saturated || s.profile.peak < floor) continue;
    const Stamp stamp = stampOf(frame, ws, image, k, f, o, 1.5, INFINITY);
    const StarGuess guess = guessOf(ws, image, k, s.profile.flux);
    // A pair fit gains at most what the single fit leaves above the noise.
    const double gate = stamp.pixels() + kPairGain;
    // The fit only lowers the chi-square of its start: about half the stars
    // start below the gate already and need no fit, and most others pass
    // below it within a step or two, where the fit stops (the fits are most
    // of the science's time on a crowded frame).
    const PsfStarFit single =
        fitStars(f.profile, stamp, std::span(&guess, 1), gate - kRoundingMargin);
    if (single.stopped || single.chi2 < gate) continue;
    const PsfStarFit pair = fitWithNeighbour(f.profile, stamp, single);
    // The second star lies on the star's own pixels: the search found both
    // as one.
    if (!secondStarFound(single, pair, f.fwhm) ||
        starAtPixel(ws, image, static_cast<int>(std::lround(pair.x[1])),
                    static_cast<int>(std::lround(pair.y[1]))) != k)
      continue;
    s.blended = true;
    s.fit = pair;
    // How the light divides depends on the profile where the two overlap:
    // the more of the pair's light is the other star's, the less sure.
    const double total = pair.flux[0] + pair.flux[1];
    s.systematic = total > 0 ? kProfileAccuracy * pair.flux[1] / total : 0;
    s.neighbourSystematic = total > 0 ? kProfileAccuracy * pair.flux[0] / total : 0;
  }
}

// Share of a fitted star's light in the pixels its fit could not see.
double unseenShare(const FrameView& frame, const PsfProfile& profile, const PsfStarFit& fit,
                   const Stamp& stamp) {
  double unseen = 0;
  for (int j = 0; j < stamp.height; ++j)
    for (int i = 0; i < stamp.width; ++i) {
      const int x = stamp.left + i, y = stamp.top + j;
      if (!std::isnan(stamp.value[static_cast<std::size_t>(j * stamp.width + i)]) ||
          std::isnan(frame(x, y)))
        continue;
      unseen += profile.pixel(x - fit.x[0], y - fit.y[0]);
    }
  return unseen;
}

// Saturated stars from their pixels below the plateau.
void fitWings(const FrameView& frame, const Workspace& ws, int image, const FrameOptions& o,
              FrameScience& f) {
  for (int k = 0; k < ws.starCount[image]; ++k) {
    StarScience& s = f.stars[static_cast<std::size_t>(k)];
    if (!s.saturated) continue;
    const double top = std::min(s.profile.peak, f.saturation.level);
    const double clipAt = f.sky.level + kWingShare * (top - f.sky.level);
    const Stamp stamp = stampOf(frame, ws, image, k, f, o, 3.0, clipAt);
    // The plateau's centre starts the fit; its light is unknown, the sum a floor.
    const StarGuess guess = guessOf(ws, image, k, 2.0 * s.profile.flux);
    s.fit = fitStars(f.profile, stamp, std::span(&guess, 1));
    // The profile carries the fit across the clipped core; what it puts
    // there is only as good as the profile.
    s.systematic = kProfileAccuracy * unseenShare(frame, f.profile, s.fit, stamp);
  }
}

ApertureSettings annulusFor(const FrameOptions& o, const FrameScience& f, double radius) {
  ApertureSettings a{radius, o.inner, o.outer, o.gain, o.readNoise, o.hotValue, f.deadBelow};
  if (o.inner <= 0 || o.outer <= 0) {
    a.inner = std::max(radius + 1.0, 3.0 * f.fwhm);
    a.outer = std::max(a.inner + 3.0, 5.0 * f.fwhm);
  }
  return a;
}

// Radius at which a star of `flux` falls to `level` above the sky: the round
// profile of the frame's PSF, or a Gaussian of its FWHM without one.
double haloRadius(const FrameScience& f, double flux, double level) {
  if (flux <= 0 || level <= 0) return 0;
  if (f.psfUsable) {
    const double beta = f.psf.shape.beta;
    const double alpha = f.fwhm / (2.0 * std::sqrt(std::pow(2.0, 1.0 / beta) - 1.0));
    const double peak = flux * (beta - 1.0) / (std::numbers::pi * alpha * alpha);
    return peak <= level ? 0 : alpha * std::sqrt(std::pow(peak / level, 1.0 / beta) - 1.0);
  }
  const double sigma = f.fwhm / 2.3548200450309493;
  const double peak = flux / (2.0 * std::numbers::pi * sigma * sigma);
  return peak <= level ? 0 : sigma * std::sqrt(2.0 * std::log(peak / level));
}

// Each star's light from its fit where it has one, else its summed light
// scaled as the PSF stars' fits find it.
void buildLight(const Workspace& ws, int image, FrameScience& f, bool everyAperture,
                std::vector<double>&& store) {
  if (!f.psfUsable) return;
  std::vector<double> scale;
  for (int k : f.psfStars) {
    const StarScience& s = f.stars[static_cast<std::size_t>(k)];
    if (s.fit.components == 1 && s.profile.flux > 0)
      scale.push_back(s.fit.flux[0] / s.profile.flux);
  }
  const double toTotal = scale.empty() ? 1.0 : median(scale);
  f.light.start(f.psf.shape, ws.frame[image].width, ws.frame[image].height, everyAperture,
                std::move(store));
  for (int k = 0; k < ws.starCount[image]; ++k) {
    const StarScience& s = f.stars[static_cast<std::size_t>(k)];
    double x = 0, y = 0, flux = s.profile.flux * toTotal * (s.saturated ? kClippedLight : 1.0);
    starCentroid(ws, image, k, x, y);
    if (s.fit.components > 0 && fitUsable(s.fit)) {
      x = s.fit.x[0];
      y = s.fit.y[0];
      flux = s.fit.flux[0] + (s.fit.components == 2 ? s.fit.flux[1] : 0.0);
    }
    const double radius = std::min(kMaxHalo, haloRadius(f, flux, kHaloSigmas * f.sky.sigma));
    f.light.add({x, y, std::max(0.0, flux), radius});
  }
}

// The curve of growth of the PSF stars up to 3 FWHM (inside the annulus),
// with a chosen radius among its points (the last when it reaches beyond:
// no correction then).
void chooseRadius(const Workspace& ws, int image, const FrameOptions& o, FrameScience& f) {
  const ApertureSettings sky = annulusFor(o, f, 1.0);
  const double reach = std::min(kGrowthReach * f.fwhm, sky.inner);
  std::vector<double> radii;
  for (double r = 1.0; r <= reach + 1e-9; r += kGrowthStep) radii.push_back(r);
  if (o.radius > 0) {
    std::erase_if(radii, [&](double r) { return r >= o.radius; });
    radii.push_back(o.radius);
    if (o.radius < reach) radii.push_back(reach);
  }
  std::vector<std::vector<double>> fluxes;
  for (int k : f.psfStars) {
    double x = 0, y = 0;
    starCentroid(ws, image, k, x, y);
    std::vector<double> curve;
    for (double r : radii) {
      ApertureSettings a = sky;
      a.radius = r;
      curve.push_back(measureAperture(ws, image, x, y, a, lightOf(f), k).flux);
    }
    fluxes.push_back(curve);
  }
  if (o.radius > 0) {
    const auto at = std::find(radii.begin(), radii.end(), o.radius) - radii.begin();
    f.growth = growthAt(radii, fluxes, static_cast<std::size_t>(at));
  } else {
    f.growth = chooseAperture(radii, fluxes);
  }
  f.aperture = annulusFor(o, f, f.growth.radius);
}

// Fitted fluxes into the aperture's scale, from the PSF stars measured both
// ways.
void scalePsf(const FrameView& frame, const Workspace& ws, int image, const FrameOptions& o,
              FrameScience& f) {
  std::vector<double> ratios, sums;
  for (int k : f.psfStars) {
    const Stamp stamp = stampOf(frame, ws, image, k, f, o, 2.0, INFINITY);
    const StarGuess guess =
        guessOf(ws, image, k, f.stars[static_cast<std::size_t>(k)].profile.flux);
    const PsfStarFit fit = fitStars(f.profile, stamp, std::span(&guess, 1));
    const ApertureResult a =
        measureAperture(ws, image, fit.x[0], fit.y[0], f.aperture, lightOf(f), k);
    if (!fitUsable(fit) || a.flux <= 0) continue;
    ratios.push_back(a.flux * f.growth.correction / fit.flux[0]);
    sums.push_back(summedLight(ws, image, k) / fit.flux[0]);
  }
  if (ratios.empty()) return;
  f.psfScale = median(ratios);
  f.sumScale = median(sums);
  std::vector<double> spread;
  for (double r : ratios) spread.push_back(std::abs(r / f.psfScale - 1.0));
  f.psfScaleScatter = 1.4826 * median(spread);
}

// The offsets from a star's peak of the pixels within `radius` + 1, which
// every star's aperture test reads: worked out once a frame, not per star.
std::vector<std::pair<int, int>> apertureReach(double radius) {
  const int reach = static_cast<int>(std::ceil(radius)) + 1;
  std::vector<std::pair<int, int>> offsets;
  for (int dy = -reach; dy <= reach; ++dy)
    for (int dx = -reach; dx <= reach; ++dx)
      if (std::hypot(dx, dy) <= radius + 1.0) offsets.emplace_back(dx, dy);
  return offsets;
}

// Whether the aperture about the star's peak meets the frame's edge or a
// pixel without a measurement.
bool apertureIncomplete(const FrameView& frame, const StarRecord& s,
                        std::span<const std::pair<int, int>> reach, double hotValue) {
  for (const auto& [dx, dy] : reach) {
    const double v = frame(s.x + dx, s.y + dy);
    if (std::isnan(v) || v >= hotValue) return true;
  }
  return false;
}

// Stars cut by a border or a bad pixel are fitted from the pixels they have.
void fitIncomplete(const FrameView& frame, const Workspace& ws, int image, const FrameOptions& o,
                   FrameScience& f) {
  const SearchRect r = clippedToImage(ws, image, ws.searchRect[image]);
  const std::vector<std::pair<int, int>> reach = apertureReach(f.aperture.radius);
  for (int k = 0; k < ws.starCount[image]; ++k) {
    StarScience& s = f.stars[static_cast<std::size_t>(k)];
    if (s.saturated || s.blended) continue;
    for (const PixelPos p : starPixels(ws, image, k))
      s.incomplete = s.incomplete || p.x == r.left || p.x == r.right - 1 || p.y == r.top ||
                     p.y == r.bottom - 1;
    s.incomplete = s.incomplete ||
                   apertureIncomplete(frame, star(ws, image, k), reach, o.hotValue);
    if (!s.incomplete || !f.psfUsable) continue;
    const Stamp stamp = stampOf(frame, ws, image, k, f, o, 2.0, INFINITY);
    const StarGuess guess = guessOf(ws, image, k, s.profile.flux);
    s.fit = fitStars(f.profile, stamp, std::span(&guess, 1));
  }
}

}  // namespace

FrameScience analyseFrame(const Workspace& ws, int image, const FrameOptions& o,
                          std::vector<double>&& lightStore) {
  FrameScience f;
  FrameView frame = frameView(ws, image);
  f.sky = measureSkyNoise(ws, image);
  f.deadBelow = f.sky.level - kDeadSigmas * f.sky.sigma;
  frame.deadBelow = f.deadBelow;
  const ProfileNoise noise{f.sky.level, f.sky.sigma, o.gain, o.hotValue};
  const int count = ws.starCount[image];
  f.stars.resize(static_cast<std::size_t>(count));
  std::vector<PeakProfile> profiles;
  for (int k = 0; k < count; ++k) {
    const std::vector<double> values = starValues(frame, ws, image, k);
    profiles.push_back(peakProfile(values, fluxAbove(values, f.sky.level), noise));
    f.stars[static_cast<std::size_t>(k)].profile = profiles.back();
  }
  f.saturation = findSaturated(profiles, noise, o.saturation);
  for (int k = 0; k < count; ++k)
    f.stars[static_cast<std::size_t>(k)].saturated =
        f.saturation.saturated[static_cast<std::size_t>(k)];
  f.fwhm = estimateFwhm(ws, image, kFallbackFwhm);
  fitShape(frame, ws, image, o, f);
  if (f.psfUsable) {
    f.fwhm = f.psf.shape.fwhm();
    f.profile =
        isSt6Frame(ws.frame[image]) ? PsfProfile(f.psf.shape) : PsfProfile::tabulated(f.psf.shape);
    findBlends(frame, ws, image, o, f);
    fitWings(frame, ws, image, o, f);
  }
  buildLight(ws, image, f, o.everyAperture, std::move(lightStore));
  chooseRadius(ws, image, o, f);
  fitIncomplete(frame, ws, image, o, f);
  if (f.psfUsable) scalePsf(frame, ws, image, o, f);
  for (StarScience& s : f.stars) s.fitted = f.psfUsable && s.fit.components > 0 && fitUsable(s.fit);
  return f;
}

Measured fittedMeasure(const StarScience& s) {
  if (!s.fitted) return Measured::None;
  return s.saturated ? Measured::Wings : s.blended ? Measured::Pair : Measured::Psf;
}

const char* measuredName(Measured m) {
  switch (m) {
    case Measured::Aperture:
      return "aperture";
    case Measured::Sum:
      return "sum";
    case Measured::Wings:
      return "psf-wings";
    case Measured::Pair:
      return "psf-pair";
    case Measured::Psf:
      return "psf";
    case Measured::None:
      break;
  }
  return "none";
}

}  // namespace orelith
