#include "tools/FieldGenerator.h"

#include <gsl/gsl_randist.h>
#include <gsl/gsl_rng.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <unordered_map>

namespace orelith::gen {
namespace {

// Independent random sequences drawn from one seed, so that e.g. the noise of
// a frame does not change when the star count does.
enum Stream : unsigned long {
  kStars = 1,
  kBlueNoise,
  kGreenNoise,
  kBlueHot,
  kGreenHot,
  kBlueBlank,
  kGreenBlank,
  kBlends,
  kGiants,
  kBluePlateau,
  kGreenPlateau,
  kBlueDead,
  kGreenDead
};

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
  double fastNormal() { return gsl_ran_gaussian_ziggurat(rng_, 1.0); }
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

constexpr long long kMaxFieldPixels = 8192LL * 8192LL;

struct Range {
  double lo, hi;
};

// Centres allowed in the blue frame along one axis: `margin` inside both
// frames (the green one lies at -shift .. greenSize - 1 - shift in blue
// pixels), or inside either of them.
Range centreRange(int size, int greenSize, double margin, int shift, bool both) {
  const double greenHi = greenSize - 1 - shift;
  if (both) return {margin + std::max(0, -shift), std::min<double>(size - 1, greenHi) - margin};
  return {margin + std::min(0, -shift), std::max<double>(size - 1, greenHi) - margin};
}

Range rangeX(const FieldParams& p) {
  return centreRange(p.width, greenWidth(p), p.edgeMargin, p.shiftX, p.overlapOnly);
}
Range rangeY(const FieldParams& p) {
  return centreRange(p.height, greenHeight(p), p.edgeMargin, p.shiftY, p.overlapOnly);
}

// The stars placed so far by cells of the least separation, so that a field
// of many thousand stars is not checked pair by pair.
class Neighbours {
 public:
  explicit Neighbours(double cell) : cell_(cell) {}
  bool farFrom(const std::vector<TrueStar>& stars, double x, double y) const {
    if (cell_ <= 0.0) return true;
    const long long cx = cellOf(x), cy = cellOf(y);
    for (long long j = cy - 1; j <= cy + 1; ++j) {
      for (long long i = cx - 1; i <= cx + 1; ++i) {
        const auto it = cells_.find(key(i, j));
        if (it == cells_.end()) continue;
        for (int k : it->second) {
          if (std::hypot(stars[k].x - x, stars[k].y - y) < cell_) return false;
        }
      }
    }
    return true;
  }
  void add(const TrueStar& s, int index) {
    if (cell_ > 0.0) cells_[key(cellOf(s.x), cellOf(s.y))].push_back(index);
  }

 private:
  long long cellOf(double v) const { return static_cast<long long>(std::floor(v / cell_)); }
  static long long key(long long i, long long j) { return (j << 32) ^ (i & 0xFFFFFFFFLL); }
  double cell_;
  std::unordered_map<long long, std::vector<int>> cells_;
};

bool finite(double v) { return std::isfinite(v); }

// Inverse of the cumulative luminosity function; u in [0, 1).
double magnitudeAt(const FieldParams& p, double u) {
  const double span = p.vFaint - p.vBright;
  if (std::abs(p.lfSlope) < 1e-9) return p.vBright + u * span;
  const double grow = std::pow(10.0, p.lfSlope * span) - 1.0;
  return p.vBright + std::log10(1.0 + u * grow) / p.lfSlope;
}

// Within the edge margin of the blue or of the green frame.
bool inSomeFrame(const FieldParams& p, double x, double y) {
  const double m = p.edgeMargin;
  const auto inside = [m](double u, double v, int w, int h) {
    return u >= m && u <= w - 1 - m && v >= m && v <= h - 1 - m;
  };
  return inside(x, y, p.width, p.height) ||
         inside(x + p.shiftX, y + p.shiftY, greenWidth(p), greenHeight(p));
}

// When kPlacementTries candidates in a row are all crowded, the field is
// full: that star and all later ones are placed without the separation, so an
// over-full request costs one failed search, not one per star.
void placeStar(const FieldParams& p, Random& rng, const std::vector<TrueStar>& stars,
               const Neighbours& near, bool& full, TrueStar& star) {
  const Range rx = rangeX(p);
  const Range ry = rangeY(p);
  for (int t = 0; t < kPlacementTries; ++t) {
    star.x = rng.uniform(rx.lo, rx.hi);
    star.y = rng.uniform(ry.lo, ry.hi);
    if (!p.overlapOnly && !inSomeFrame(p, star.x, star.y)) continue;
    if (full || near.farFrom(stars, star.x, star.y)) return;
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
  Neighbours near(p.minSeparation);
  for (int i = 0; i < p.starCount; ++i) {
    TrueStar s{};
    s.V = magnitudeAt(p, (i + rng.uniform()) / p.starCount);
    s.BV = std::clamp(mainSequenceColour(s.V) + p.bvScatter * rng.normal(), -0.5, 1.8);
    s.blueFlux = std::pow(10.0, -0.4 * (s.V + s.BV - p.zeroPointB));
    s.greenFlux = std::pow(10.0, -0.4 * (s.V - p.zeroPointV));
    placeStar(p, rng, stars, near, full, s);
    near.add(s, i);
    stars.push_back(s);
  }
  return stars;
}

Neighbours neighboursOf(const FieldParams& p, const std::vector<TrueStar>& stars) {
  Neighbours near(p.minSeparation);
  for (std::size_t i = 0; i < stars.size(); ++i) near.add(stars[i], static_cast<int>(i));
  return near;
}

// Giants placed like the other stars, after them.
void addGiants(const FieldParams& p, std::vector<TrueStar>& stars) {
  Random rng(p.seed, kGiants);
  Neighbours near = neighboursOf(p, stars);
  bool full = false;
  for (int i = 0; i < p.giants; ++i) {
    TrueStar s{};
    s.V = rng.uniform(p.giantV[0], p.giantV[1]);
    s.BV = rng.uniform(p.giantBV[0], p.giantBV[1]);
    s.blueFlux = std::pow(10.0, -0.4 * (s.V + s.BV - p.zeroPointB));
    s.greenFlux = std::pow(10.0, -0.4 * (s.V - p.zeroPointV));
    placeStar(p, rng, stars, near, full, s);
    near.add(s, static_cast<int>(stars.size()));
    stars.push_back(s);
  }
}

// Companions of randomly chosen bright stars, appended after all others.
void addBlends(const FieldParams& p, std::vector<TrueStar>& stars) {
  Random rng(p.seed, kBlends);
  std::vector<int> candidates;
  for (int i = 0; i < static_cast<int>(stars.size()); ++i)
    if (stars[static_cast<std::size_t>(i)].V < p.blendLimitV) candidates.push_back(i);
  const Range rx = rangeX(p), ry = rangeY(p);
  const double dm = -2.5 * std::log10(p.blendRatio);
  for (int n = 0; n < p.blends && !candidates.empty(); ++n) {
    const int pick = rng.below(static_cast<int>(candidates.size()));
    const auto primary = static_cast<std::size_t>(candidates[static_cast<std::size_t>(pick)]);
    candidates.erase(candidates.begin() + pick);
    TrueStar c = stars[primary];
    for (int t = 0; t < kPlacementTries; ++t) {
      const double angle = rng.uniform(0.0, 2.0 * std::numbers::pi);
      c.x = stars[primary].x + p.blendSeparation * std::cos(angle);
      c.y = stars[primary].y + p.blendSeparation * std::sin(angle);
      if (c.x >= rx.lo && c.x <= rx.hi && c.y >= ry.lo && c.y <= ry.hi) break;
    }
    c.V += dm;
    c.blueFlux *= p.blendRatio;
    c.greenFlux *= p.blendRatio;
    c.companion = static_cast<int>(primary);
    stars[primary].companion = static_cast<int>(stars.size());
    stars.push_back(c);
  }
}

double axisFraction(double sigma, double d) {
  const double scale = 1.0 / (sigma * std::numbers::sqrt2);
  return 0.5 * (std::erf((d + 0.5) * scale) - std::erf((d - 0.5) * scale));
}

struct Size {
  int width, height;
  std::size_t pixels() const { return static_cast<std::size_t>(width) * height; }
  bool inside(int x, int y) const { return x >= 0 && x < width && y >= 0 && y < height; }
};

Size blueSize(const FieldParams& p) { return {p.width, p.height}; }
Size greenSize(const FieldParams& p) { return {greenWidth(p), greenHeight(p)}; }

// An elliptical Moffat image, (beta - 1) / (pi a b) (1 + u^2/a^2 + v^2/b^2)^-beta
// along axes at 30 degrees, a b being the square of the round image's alpha;
// averaged over sub x sub samples of a pixel near the centre.
struct Moffat {
  double beta, q11, q12, q22, norm;
  int sub = 7;
  double inner, reach;

  explicit Moffat(const FieldParams& p) : beta(p.moffatBeta) {
    const double alpha = p.fwhm / (2.0 * std::sqrt(std::pow(2.0, 1.0 / beta) - 1.0));
    const double a = alpha / std::sqrt(1.0 - p.ellipticity);
    const double b = alpha * std::sqrt(1.0 - p.ellipticity);
    const double c = std::cos(std::numbers::pi / 6), s = std::sin(std::numbers::pi / 6);
    q11 = c * c / (a * a) + s * s / (b * b);
    q22 = s * s / (a * a) + c * c / (b * b);
    q12 = c * s * (1.0 / (a * a) - 1.0 / (b * b));
    norm = (beta - 1.0) / (std::numbers::pi * a * b);
    inner = 2.0 * p.fwhm + 1.0;
    reach = 8.0 * p.fwhm + 2.0;
  }
  double at(double dx, double dy) const {
    return norm * std::pow(1.0 + q11 * dx * dx + 2.0 * q12 * dx * dy + q22 * dy * dy, -beta);
  }
  double pixel(double dx, double dy) const {
    if (dx * dx + dy * dy > inner * inner) return at(dx, dy);
    double sum = 0.0;
    for (int i = 0; i < sub; ++i)
      for (int j = 0; j < sub; ++j)
        sum += at(dx + (i + 0.5) / sub - 0.5, dy + (j + 0.5) / sub - 0.5);
    return sum / (sub * sub);
  }
};

// Adds a Moffat star; returns its highest pixel.
double addMoffat(std::vector<double>& model, Size size, const Moffat& m, double cx, double cy,
                 double flux) {
  const int reach = static_cast<int>(std::ceil(m.reach));
  const int nx = static_cast<int>(std::lround(cx)), ny = static_cast<int>(std::lround(cy));
  double peak = 0.0;
  for (int y = std::max(0, ny - reach); y <= std::min(size.height - 1, ny + reach); ++y) {
    for (int x = std::max(0, nx - reach); x <= std::min(size.width - 1, nx + reach); ++x) {
      const double v = flux * m.pixel(x - cx, y - cy);
      model[static_cast<std::size_t>(y) * size.width + x] += v;
      peak = std::max(peak, v);
    }
  }
  return peak;
}

void addStar(std::vector<double>& model, Size size, double sigma, double cx, double cy,
             double flux) {
  const int reach = static_cast<int>(std::ceil(6.0 * sigma)) + 1;
  const int nx = static_cast<int>(std::lround(cx));
  const int ny = static_cast<int>(std::lround(cy));
  std::vector<double> fx(static_cast<std::size_t>(2 * reach + 1));
  for (int k = -reach; k <= reach; ++k) fx[k + reach] = axisFraction(sigma, nx + k - cx);
  for (int j = -reach; j <= reach; ++j) {
    const int y = ny + j;
    if (y < 0 || y >= size.height) continue;
    const double fy = flux * axisFraction(sigma, y - cy);
    for (int k = -reach; k <= reach; ++k) {
      const int x = nx + k;
      if (x >= 0 && x < size.width)
        model[static_cast<std::size_t>(y) * size.width + x] += fy * fx[k + reach];
    }
  }
}

// The flat field's response at pixel i: a slow ripple of periods near 128
// pixels.
double flatAt(Size size, double ripple, std::size_t i) {
  constexpr double kTurn = 2.0 * std::numbers::pi;
  const double x = static_cast<double>(i % static_cast<std::size_t>(size.width));
  const double y = static_cast<double>(i / static_cast<std::size_t>(size.width));
  return 1.0 + ripple * std::cos(kTurn * y / 113.0) * std::cos(kTurn * x / 131.0);
}

// An uncorrected flat field scales sky and stars alike.
void applyFlat(std::vector<double>& model, Size size, double ripple) {
  if (ripple == 0.0) return;
  for (std::size_t i = 0; i < model.size(); ++i) model[i] *= flatAt(size, ripple, i);
}

// The noise-free frame: sky plus every star, in counts; each star's own
// highest pixel goes to its truth.
std::vector<double> renderModel(const FieldParams& p, std::vector<TrueStar>& stars, bool green) {
  const Size size = green ? greenSize(p) : blueSize(p);
  std::vector<double> model(size.pixels(), p.sky);
  const double sigma = p.fwhm / kFwhmPerSigma;
  const int image = green ? 1 : 0;
  for (TrueStar& s : stars) {
    const double x = green ? s.x + p.shiftX : s.x, y = green ? s.y + p.shiftY : s.y;
    const double flux = green ? s.greenFlux : s.blueFlux;
    if (p.moffatBeta > 0.0) {
      s.peak[image] = addMoffat(model, size, Moffat(p), x, y, flux);
    } else {
      addStar(model, size, sigma, x, y, flux);
      s.peak[image] = flux * pixelFraction(p.fwhm, std::round(x) - x, std::round(y) - y);
    }
  }
  if (!p.flatCorrected) applyFlat(model, size, p.flatRipple);
  return model;
}

// A corrected flat: the raw frame (model times flat) stops at the full well,
// then is divided by the flat; returns the counts, `clipped` when stopped.
double correctedCounts(const FieldParams& p, double counts, double flat, Random& plateau,
                       unsigned char& clipped) {
  if (counts > p.fullWell) {
    counts = p.fullWell * (1.0 + p.plateauNoise * plateau.normal());
    clipped = 1;
  }
  return counts / flat;
}

// Photon and read noise, rounding and the full well's plateau; `clipped`
// marks the pixels the well cut.
std::vector<std::uint16_t> expose(const FieldParams& p, const std::vector<double>& model, Size size,
                                  bool green, std::vector<unsigned char>& clipped) {
  Random rng(p.seed, green ? kGreenNoise : kBlueNoise);
  Random plateau(p.seed, green ? kGreenPlateau : kBluePlateau);
  std::vector<std::uint16_t> plane(model.size());
  clipped.assign(model.size(), 0);
  const double full = std::floor(p.fullWell);
  const double readVariance = p.readNoise * p.readNoise;
  for (std::size_t i = 0; i < model.size(); ++i) {
    const double flat = p.flatCorrected ? flatAt(size, p.flatRipple, i) : 1.0;
    const double raw = model[i] * flat;
    double counts;
    if (p.photonNoise && p.gaussianAbove > 0.0 && raw > p.gaussianAbove) {
      counts = raw + std::sqrt(raw / p.gain + readVariance) * rng.fastNormal();
    } else {
      counts = p.photonNoise ? rng.poisson(raw * p.gain) / p.gain : raw;
      if (p.readNoise > 0.0) counts += p.readNoise * rng.normal();
    }
    if (p.flatCorrected) counts = correctedCounts(p, counts, flat, plateau, clipped[i]);
    double v = std::floor(counts + 0.5);
    if (v > full && !p.flatCorrected) {
      v = p.plateauNoise > 0.0 ? std::floor(full * (1.0 + p.plateauNoise * plateau.normal()) + 0.5)
                               : full;
      clipped[i] = 1;
    }
    if (v > kFull) {
      v = kFull;
      clipped[i] = 1;
    }
    plane[i] = static_cast<std::uint16_t>(std::max(v, 0.0));
  }
  return plane;
}

// `count` distinct pixels of the plane, none of them in `taken`.
std::vector<int> pickPixels(const FieldParams& p, Stream stream, int count, std::size_t pixels,
                            const std::vector<int>& taken) {
  Random rng(p.seed, stream);
  std::vector<int> picked;
  while (static_cast<int>(picked.size()) < count) {
    const int at = rng.below(static_cast<int>(pixels));
    if (std::find(picked.begin(), picked.end(), at) != picked.end() ||
        std::find(taken.begin(), taken.end(), at) != taken.end())
      continue;
    picked.push_back(at);
  }
  return picked;
}

// A star's brightest pixels lie within one pixel of its nearest pixel.
bool clippedNear(const std::vector<unsigned char>& clipped, Size size, double cx, double cy) {
  const int nx = static_cast<int>(std::lround(cx));
  const int ny = static_cast<int>(std::lround(cy));
  for (int y = ny - 1; y <= ny + 1; ++y) {
    for (int x = nx - 1; x <= nx + 1; ++x) {
      if (size.inside(x, y) && clipped[static_cast<std::size_t>(y) * size.width + x]) return true;
    }
  }
  return false;
}

std::string checkSize(int width, int height) {
  if (width < 16 || height < 16 || width > 32768 || height > 32768 ||
      static_cast<long long>(width) * height > kMaxFieldPixels)
    return "frames must be 16..32768 pixels a side and at most 8192 x 8192 pixels in all";
  return {};
}

std::string checkRanges(const FieldParams& p) {
  if (p.starCount < 0 || p.starCount > 200000) return "star count must be 0..200000";
  if (!finite(p.sky) || p.sky < 0.0 || p.sky > kFull) return "sky must be 0..65535";
  if (!finite(p.readNoise) || p.readNoise < 0.0) return "read noise must be >= 0";
  if (!finite(p.fwhm) || p.fwhm <= 0.0 || p.fwhm > 30.0) return "FWHM must be > 0 and <= 30";
  if (!finite(p.vBright) || !finite(p.vFaint) || p.vBright >= p.vFaint)
    return "bright magnitude limit must be below the faint one";
  if (!finite(p.lfSlope) || std::abs(p.lfSlope) > 2.0) return "luminosity slope must be -2..2";
  if (!finite(p.bvScatter) || p.bvScatter < 0.0) return "colour scatter must be >= 0";
  if (p.hotPixels < 0 || p.hotPixels > 1000) return "hot pixel count must be 0..1000";
  if (p.blankPixels < 0 || p.blankPixels > 1000) return "blank pixel count must be 0..1000";
  if (!finite(p.fullWell) || p.fullWell < 1.0 || p.fullWell > kFull)
    return "full well must be 1..65535";
  if (!finite(p.flatRipple) || std::abs(p.flatRipple) >= 1.0) return "flat ripple must be -1..1";
  if (!finite(p.gaussianAbove) || p.gaussianAbove < 0.0) return "Gaussian noise limit must be >= 0";
  if (!finite(p.zeroPointB) || !finite(p.zeroPointV)) return "zero points must be finite";
  if (p.deadPixels < 0 || p.deadPixels > 1000) return "dead pixel count must be 0..1000";
  if (!finite(p.plateauNoise) || p.plateauNoise < 0.0 || p.plateauNoise > 0.2)
    return "plateau noise must be 0..0.2";
  if (!finite(p.gain) || p.gain <= 0.0) return "gain must be > 0";
  if (!finite(p.moffatBeta) || (p.moffatBeta != 0.0 && p.moffatBeta <= 1.0))
    return "Moffat beta must be 0 or > 1";
  if (!finite(p.ellipticity) || p.ellipticity < 0.0 || p.ellipticity > 0.5)
    return "ellipticity must be 0..0.5";
  if (p.blends < 0 || p.blends > 1000 || !finite(p.blendRatio) || p.blendRatio <= 0.0 ||
      !finite(p.blendSeparation) || !finite(p.blendLimitV))
    return "blends must be 0..1000 with a positive ratio";
  if (p.giants < 0 || p.giants > 1000) return "giant count must be 0..1000";
  if (std::string why = checkSize(p.width, p.height); !why.empty()) return why;
  return checkSize(greenWidth(p), greenHeight(p));
}

}  // namespace

int greenWidth(const FieldParams& p) { return p.greenWidth > 0 ? p.greenWidth : p.width; }
int greenHeight(const FieldParams& p) { return p.greenHeight > 0 ? p.greenHeight : p.height; }

double mainSequenceColour(double V) {
  // Gently curved, steepest at the faint end like a main sequence in V, B-V.
  const double t = (V - 8.5) / 7.0;
  return -0.1 + 1.5 * (0.8 * t + 0.2 * t * t);
}

double pixelFraction(double fwhm, double dx, double dy) {
  const double sigma = fwhm / kFwhmPerSigma;
  return axisFraction(sigma, dx) * axisFraction(sigma, dy);
}

double imageFraction(const FieldParams& p, double dx, double dy) {
  return p.moffatBeta > 0.0 ? Moffat(p).pixel(dx, dy) : pixelFraction(p.fwhm, dx, dy);
}

FieldParams realisticParams(std::uint64_t seed) {
  FieldParams p;
  p.seed = seed;
  p.starCount = 250;
  p.sky = 200.0;
  p.gain = 6.0;
  p.readNoise = 2.5;
  p.fwhm = 3.0;
  p.moffatBeta = 3.0;
  p.ellipticity = 0.08;
  p.vBright = 9.0;
  p.vFaint = 17.0;
  p.zeroPointB = 24.6;
  p.zeroPointV = 24.5;
  // Bright stars reach 10 pixels out at 15 sky sigmas; closer ones would
  // merge into stars of more pixels than the search takes.
  p.minSeparation = 14.0;
  p.fullWell = 30000.0;
  p.plateauNoise = 0.01;
  p.flatRipple = 0.03;
  p.flatCorrected = true;
  p.blends = 10;
  p.deadPixels = 20;
  p.giants = 6;
  return p;
}

std::string checkFieldParams(const FieldParams& p) {
  if (std::string why = checkRanges(p); !why.empty()) return why;
  if (!finite(p.edgeMargin) || p.edgeMargin < 0.0) return "edge margin must be >= 0";
  if (!finite(p.minSeparation) || p.minSeparation < 0.0) return "separation must be >= 0";
  const Range rx = rangeX(p);
  const Range ry = rangeY(p);
  if (rx.lo >= rx.hi || ry.lo >= ry.hi) return "shift leaves no room for stars in both frames";
  return {};
}

FieldPair generateField(const FieldParams& p) {
  FieldPair out;
  if (!checkFieldParams(p).empty()) return out;
  out.truth = makeStars(p);
  addGiants(p, out.truth);
  addBlends(p, out.truth);
  std::vector<unsigned char> clippedBlue, clippedGreen;
  out.blue = expose(p, renderModel(p, out.truth, false), blueSize(p), false, clippedBlue);
  out.green = expose(p, renderModel(p, out.truth, true), greenSize(p), true, clippedGreen);
  for (TrueStar& s : out.truth) {
    s.saturatedIn[0] = clippedNear(clippedBlue, blueSize(p), s.x, s.y);
    s.saturatedIn[1] = clippedNear(clippedGreen, greenSize(p), s.x + p.shiftX, s.y + p.shiftY);
    s.saturated = s.saturatedIn[0] || s.saturatedIn[1];
  }
  out.hotBlue = pickPixels(p, kBlueHot, p.hotPixels, out.blue.size(), {});
  out.hotGreen = pickPixels(p, kGreenHot, p.hotPixels, out.green.size(), {});
  for (int at : out.hotBlue) out.blue[at] = 65535;
  for (int at : out.hotGreen) out.green[at] = 65535;
  out.blankBlue = pickPixels(p, kBlueBlank, p.blankPixels, out.blue.size(), out.hotBlue);
  out.blankGreen = pickPixels(p, kGreenBlank, p.blankPixels, out.green.size(), out.hotGreen);
  out.deadBlue = pickPixels(p, kBlueDead, p.deadPixels, out.blue.size(), out.hotBlue);
  out.deadGreen = pickPixels(p, kGreenDead, p.deadPixels, out.green.size(), out.hotGreen);
  for (int at : out.deadBlue) out.blue[at] = 0;
  for (int at : out.deadGreen) out.green[at] = 0;
  return out;
}

}  // namespace orelith::gen
