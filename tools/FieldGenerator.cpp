#include "tools/FieldGenerator.h"

#include <gsl/gsl_randist.h>
#include <gsl/gsl_rng.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "image/Workspace.h"

namespace orelith::gen {
namespace {

// Independent random sequences drawn from one seed, so that e.g. the noise of
// a frame does not change when the star count does.
enum Stream : unsigned long { kStars = 1, kBlueNoise, kGreenNoise, kBlueHot, kGreenHot };

// GSL's Mersenne Twister and samplers are fixed algorithms, so a seed gives
// the same field with every compiler and standard library (the std::
// distributions are implementation-defined). The generator keeps 32 bits of
// its seed: sequences stay distinct for seeds below 2^28.
class Random {
 public:
  Random(std::uint64_t seed, Stream stream) : rng_(gsl_rng_alloc(gsl_rng_mt19937)) {
    gsl_rng_set(rng_, static_cast<unsigned long>(seed) * 16 + stream);
  }
  ~Random() { gsl_rng_free(rng_); }
  Random(const Random&) = delete;
  Random& operator=(const Random&) = delete;

  // Uniform in [lo, hi).
  double uniform(double lo = 0.0, double hi = 1.0) {
    return lo + (hi - lo) * gsl_rng_uniform(rng_);
  }
  double normal() { return gsl_ran_gaussian(rng_, 1.0); }
  double poisson(double mean) { return mean > 0.0 ? gsl_ran_poisson(rng_, mean) : 0.0; }
  int below(int n) {
    return static_cast<int>(gsl_rng_uniform_int(rng_, static_cast<unsigned long>(n)));
  }

 private:
  gsl_rng* rng_;
};

constexpr double kFwhmPerSigma = 2.3548200450309493;  // 2 sqrt(2 ln 2)
constexpr int kPlacementTries = 1000;
constexpr double kFull = 65535.0;

struct Range {
  double lo, hi;
};

// Centres allowed in the blue frame along one axis, so that the star also
// lies `margin` inside the green frame after the shift.
Range centreRange(int size, double margin, int shift) {
  return {margin + std::max(0, -shift), (size - 1) - margin - std::max(0, shift)};
}

bool finite(double v) { return std::isfinite(v); }

// Inverse of the cumulative luminosity function; u in [0, 1).
double magnitudeAt(const FieldParams& p, double u) {
  const double span = p.vFaint - p.vBright;
  if (std::abs(p.lfSlope) < 1e-9) return p.vBright + u * span;
  const double grow = std::pow(10.0, p.lfSlope * span) - 1.0;
  return p.vBright + std::log10(1.0 + u * grow) / p.lfSlope;
}

bool farFromOthers(const std::vector<TrueStar>& stars, double x, double y, double minSep) {
  for (const TrueStar& s : stars) {
    if (std::hypot(s.x - x, s.y - y) < minSep) return false;
  }
  return true;
}

// When kPlacementTries candidates in a row are all crowded, the field is
// full: that star and all later ones are placed without the separation, so an
// over-full request costs one failed search, not one per star.
void placeStar(const FieldParams& p, Random& rng, const std::vector<TrueStar>& stars, bool& full,
               TrueStar& star) {
  const Range rx = centreRange(kImageWidth, p.edgeMargin, p.shiftX);
  const Range ry = centreRange(kImageHeight, p.edgeMargin, p.shiftY);
  for (int t = 0; t < kPlacementTries; ++t) {
    star.x = rng.uniform(rx.lo, rx.hi);
    star.y = rng.uniform(ry.lo, ry.hi);
    if (full || farFromOthers(stars, star.x, star.y, p.minSeparation)) return;
  }
  full = true;
}

// Stratified in the luminosity function (star i draws from the i-th of
// starCount equal slices), so that every field has its few bright stars.
std::vector<TrueStar> makeStars(const FieldParams& p) {
  Random rng(p.seed, kStars);
  std::vector<TrueStar> stars;
  stars.reserve(static_cast<std::size_t>(p.starCount));
  bool full = false;
  for (int i = 0; i < p.starCount; ++i) {
    TrueStar s{};
    s.V = magnitudeAt(p, (i + rng.uniform()) / p.starCount);
    s.BV = std::clamp(mainSequenceColour(s.V) + p.bvScatter * rng.normal(), -0.5, 1.8);
    s.blueFlux = std::pow(10.0, -0.4 * (s.V + s.BV - p.zeroPointB));
    s.greenFlux = std::pow(10.0, -0.4 * (s.V - p.zeroPointV));
    placeStar(p, rng, stars, full, s);
    stars.push_back(s);
  }
  return stars;
}

double axisFraction(double sigma, double d) {
  const double scale = 1.0 / (sigma * std::numbers::sqrt2);
  return 0.5 * (std::erf((d + 0.5) * scale) - std::erf((d - 0.5) * scale));
}

void addStar(std::vector<double>& model, double sigma, double cx, double cy, double flux) {
  const int reach = static_cast<int>(std::ceil(6.0 * sigma)) + 1;
  const int nx = static_cast<int>(std::lround(cx));
  const int ny = static_cast<int>(std::lround(cy));
  std::vector<double> fx(static_cast<std::size_t>(2 * reach + 1));
  for (int k = -reach; k <= reach; ++k) fx[k + reach] = axisFraction(sigma, nx + k - cx);
  for (int j = -reach; j <= reach; ++j) {
    const int y = ny + j;
    if (y < 0 || y >= kImageHeight) continue;
    const double fy = flux * axisFraction(sigma, y - cy);
    for (int k = -reach; k <= reach; ++k) {
      const int x = nx + k;
      if (x >= 0 && x < kImageWidth) model[y * kImageWidth + x] += fy * fx[k + reach];
    }
  }
}

// The noise-free frame: sky plus every star, in counts.
std::vector<double> renderModel(const FieldParams& p, const std::vector<TrueStar>& stars,
                                bool green) {
  std::vector<double> model(kPixelCount, p.sky);
  const double sigma = p.fwhm / kFwhmPerSigma;
  for (const TrueStar& s : stars) {
    if (green) {
      addStar(model, sigma, s.x + p.shiftX, s.y + p.shiftY, s.greenFlux);
    } else {
      addStar(model, sigma, s.x, s.y, s.blueFlux);
    }
  }
  return model;
}

// Photon and read noise, rounding and the converter's ceiling; `clipped`
// marks the pixels the ceiling cut.
std::vector<std::uint16_t> expose(const FieldParams& p, const std::vector<double>& model,
                                  Stream stream, std::vector<unsigned char>& clipped) {
  Random rng(p.seed, stream);
  std::vector<std::uint16_t> plane(kPixelCount);
  clipped.assign(kPixelCount, 0);
  for (int i = 0; i < kPixelCount; ++i) {
    double counts = p.photonNoise ? rng.poisson(model[i]) : model[i];
    if (p.readNoise > 0.0) counts += p.readNoise * rng.normal();
    double v = std::floor(counts + 0.5);
    if (v > kFull) {
      v = kFull;
      clipped[i] = 1;
    }
    plane[i] = static_cast<std::uint16_t>(std::max(v, 0.0));
  }
  return plane;
}

std::vector<int> addHotPixels(const FieldParams& p, Stream stream,
                              std::vector<std::uint16_t>& plane) {
  Random rng(p.seed, stream);
  std::vector<int> hot;
  while (static_cast<int>(hot.size()) < p.hotPixels) {
    const int at = rng.below(kPixelCount);
    if (std::find(hot.begin(), hot.end(), at) != hot.end()) continue;
    hot.push_back(at);
    plane[at] = 65535;
  }
  return hot;
}

// A star's brightest pixels lie within one pixel of its nearest pixel.
bool clippedNear(const std::vector<unsigned char>& clipped, double cx, double cy) {
  const int nx = static_cast<int>(std::lround(cx));
  const int ny = static_cast<int>(std::lround(cy));
  for (int y = std::max(0, ny - 1); y <= std::min(kImageHeight - 1, ny + 1); ++y) {
    for (int x = std::max(0, nx - 1); x <= std::min(kImageWidth - 1, nx + 1); ++x) {
      if (clipped[y * kImageWidth + x]) return true;
    }
  }
  return false;
}

std::string checkRanges(const FieldParams& p) {
  if (p.starCount < 0 || p.starCount > 10000) return "star count must be 0..10000";
  if (!finite(p.sky) || p.sky < 0.0 || p.sky > kFull) return "sky must be 0..65535";
  if (!finite(p.readNoise) || p.readNoise < 0.0) return "read noise must be >= 0";
  if (!finite(p.fwhm) || p.fwhm <= 0.0 || p.fwhm > 30.0) return "FWHM must be > 0 and <= 30";
  if (!finite(p.vBright) || !finite(p.vFaint) || p.vBright >= p.vFaint)
    return "bright magnitude limit must be below the faint one";
  if (!finite(p.lfSlope) || std::abs(p.lfSlope) > 2.0) return "luminosity slope must be -2..2";
  if (!finite(p.bvScatter) || p.bvScatter < 0.0) return "colour scatter must be >= 0";
  if (p.hotPixels < 0 || p.hotPixels > 1000) return "hot pixel count must be 0..1000";
  if (!finite(p.zeroPointB) || !finite(p.zeroPointV)) return "zero points must be finite";
  return {};
}

}  // namespace

double mainSequenceColour(double V) {
  // Gently curved, steepest at the faint end like a main sequence in V, B-V.
  const double t = (V - 8.5) / 7.0;
  return -0.1 + 1.5 * (0.8 * t + 0.2 * t * t);
}

double pixelFraction(double fwhm, double dx, double dy) {
  const double sigma = fwhm / kFwhmPerSigma;
  return axisFraction(sigma, dx) * axisFraction(sigma, dy);
}

std::string checkFieldParams(const FieldParams& p) {
  if (std::string why = checkRanges(p); !why.empty()) return why;
  if (!finite(p.edgeMargin) || p.edgeMargin < 0.0) return "edge margin must be >= 0";
  if (!finite(p.minSeparation) || p.minSeparation < 0.0) return "separation must be >= 0";
  const Range rx = centreRange(kImageWidth, p.edgeMargin, p.shiftX);
  const Range ry = centreRange(kImageHeight, p.edgeMargin, p.shiftY);
  if (rx.lo >= rx.hi || ry.lo >= ry.hi) return "shift leaves no room for stars in both frames";
  return {};
}

FieldPair generateField(const FieldParams& p) {
  FieldPair out;
  if (!checkFieldParams(p).empty()) return out;
  out.truth = makeStars(p);
  std::vector<unsigned char> clippedBlue, clippedGreen;
  out.blue = expose(p, renderModel(p, out.truth, false), kBlueNoise, clippedBlue);
  out.green = expose(p, renderModel(p, out.truth, true), kGreenNoise, clippedGreen);
  for (TrueStar& s : out.truth) {
    s.saturated = clippedNear(clippedBlue, s.x, s.y) ||
                  clippedNear(clippedGreen, s.x + p.shiftX, s.y + p.shiftY);
  }
  out.hotBlue = addHotPixels(p, kBlueHot, out.blue);
  out.hotGreen = addHotPixels(p, kGreenHot, out.green);
  return out;
}

}  // namespace orelith::gen
