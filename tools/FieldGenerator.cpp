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
  kGreenBlank
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

// An uncorrected flat field scales sky and stars alike: a slow ripple of
// periods near 128 pixels.
void applyFlat(std::vector<double>& model, Size size, double ripple) {
  if (ripple == 0.0) return;
  constexpr double kTurn = 2.0 * std::numbers::pi;
  for (int y = 0; y < size.height; ++y) {
    const double fy = std::cos(kTurn * y / 113.0);
    for (int x = 0; x < size.width; ++x)
      model[static_cast<std::size_t>(y) * size.width + x] *=
          1.0 + ripple * fy * std::cos(kTurn * x / 131.0);
  }
}

// The noise-free frame: sky plus every star, in counts.
std::vector<double> renderModel(const FieldParams& p, const std::vector<TrueStar>& stars,
                                bool green) {
  const Size size = green ? greenSize(p) : blueSize(p);
  std::vector<double> model(size.pixels(), p.sky);
  const double sigma = p.fwhm / kFwhmPerSigma;
  for (const TrueStar& s : stars) {
    if (green) {
      addStar(model, size, sigma, s.x + p.shiftX, s.y + p.shiftY, s.greenFlux);
    } else {
      addStar(model, size, sigma, s.x, s.y, s.blueFlux);
    }
  }
  applyFlat(model, size, p.flatRipple);
  return model;
}

// Photon and read noise, rounding and the full well's plateau; `clipped`
// marks the pixels the well cut.
std::vector<std::uint16_t> expose(const FieldParams& p, const std::vector<double>& model,
                                  Stream stream, std::vector<unsigned char>& clipped) {
  Random rng(p.seed, stream);
  std::vector<std::uint16_t> plane(model.size());
  clipped.assign(model.size(), 0);
  const double full = std::floor(p.fullWell);
  const double readVariance = p.readNoise * p.readNoise;
  for (std::size_t i = 0; i < model.size(); ++i) {
    double counts;
    if (p.photonNoise && p.gaussianAbove > 0.0 && model[i] > p.gaussianAbove) {
      counts = model[i] + std::sqrt(model[i] + readVariance) * rng.fastNormal();
    } else {
      counts = p.photonNoise ? rng.poisson(model[i]) : model[i];
      if (p.readNoise > 0.0) counts += p.readNoise * rng.normal();
    }
    double v = std::floor(counts + 0.5);
    if (v > full) {
      v = full;
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
  std::vector<unsigned char> clippedBlue, clippedGreen;
  out.blue = expose(p, renderModel(p, out.truth, false), kBlueNoise, clippedBlue);
  out.green = expose(p, renderModel(p, out.truth, true), kGreenNoise, clippedGreen);
  for (TrueStar& s : out.truth) {
    s.saturated = clippedNear(clippedBlue, blueSize(p), s.x, s.y) ||
                  clippedNear(clippedGreen, greenSize(p), s.x + p.shiftX, s.y + p.shiftY);
  }
  out.hotBlue = pickPixels(p, kBlueHot, p.hotPixels, out.blue.size(), {});
  out.hotGreen = pickPixels(p, kGreenHot, p.hotPixels, out.green.size(), {});
  for (int at : out.hotBlue) out.blue[at] = 65535;
  for (int at : out.hotGreen) out.green[at] = 65535;
  out.blankBlue = pickPixels(p, kBlueBlank, p.blankPixels, out.blue.size(), out.hotBlue);
  out.blankGreen = pickPixels(p, kGreenBlank, p.blankPixels, out.green.size(), out.hotGreen);
  return out;
}

}  // namespace orelith::gen
