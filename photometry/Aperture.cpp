#include "photometry/Aperture.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <type_traits>
#include <vector>

namespace orelith {
namespace {

constexpr int kMinSkyPixels = 10;
constexpr int kClipRounds = 10;
constexpr double kClipSigmas = 3.0;
constexpr double kStructureRatio = 3.0;
constexpr int kMaxAnnulusPixels = 61 * 61;
constexpr int kCountingSpan = 2048;
// Radii of the first look at each star when the FWHM is not yet known.
constexpr double kProbeRadius = 5.0, kProbeInner = 8.0, kProbeOuter = 12.0;
// Stars enough for the median width; a frame of the search's fixed size
// never holds more, so every one of its stars counts.
constexpr int kWidthSample = 2048;
static_assert(kWidthSample >= kMaxStars);
// Used when no star of an image tells its width.
constexpr double kFallbackFwhm = 2.5;

// Integral of sqrt(r^2 - x^2) - h over x, up to a constant.
double segment(double x, double h, double r) {
  return 0.5 * (x * std::sqrt(std::max(0.0, r * r - x * x)) + r * r * std::asin(x / r)) - h * x;
}

// Circle area with x0 < x < x1 and y > h, for h >= 0.
double areaAbove(double x0, double x1, double h, double r) {
  if (h >= r) return 0.0;
  const double s = std::sqrt(r * r - h * h);
  return segment(std::clamp(x1, -s, s), h, r) - segment(std::clamp(x0, -s, s), h, r);
}

struct SkyEstimate {
  double level, sigma;
  int kept;
  double levelVariance = -1;  // of `level` from its quarters; -1: not told
};

// Median of the sorted values[lo, hi) and their standard deviation from the
// prefix sums, narrowed to median +- 3 sigma until nothing changes.
template <typename Value>
SkyEstimate clippedSky(const Value* values, int n) {
  double sum[kMaxAnnulusPixels + 1], square[kMaxAnnulusPixels + 1];
  sum[0] = square[0] = 0.0;
  for (int i = 0; i < n; ++i) {
    sum[i + 1] = sum[i] + values[i];
    square[i + 1] = square[i] + static_cast<double>(values[i]) * values[i];
  }
  int lo = 0, hi = n;
  SkyEstimate e{0.0, 0.0, 0};
  for (int round = 0; round < kClipRounds && hi > lo; ++round) {
    const int m = lo + (hi - lo) / 2;
    e.level = (hi - lo) % 2 ? values[m] : 0.5 * (double{values[m - 1]} + values[m]);
    const double count = hi - lo, mean = (sum[hi] - sum[lo]) / count;
    e.sigma = std::sqrt(std::max(0.0, (square[hi] - square[lo]) / count - mean * mean));
    e.kept = hi - lo;
    const double low = e.level - kClipSigmas * e.sigma, high = e.level + kClipSigmas * e.sigma;
    const int newLo = static_cast<int>(std::lower_bound(values, values + n, low) - values);
    const int newHi = static_cast<int>(std::upper_bound(values, values + n, high) - values);
    if (newLo == lo && newHi == hi) break;
    lo = newLo;
    hi = newHi;
  }
  return e;
}

// Sky pixels lie at or below the detection level, so whole-number values
// spread narrowly and counting sorts them in one pass; std::sort takes the
// rare wide case and values with fractions (among them values freed of
// neighbours' light).
void sortValues(double* values, int n) { std::sort(values, values + n); }

void sortValues(float* values, int n) {
  if (n == 0) return;
  const auto [lo, hi] = std::minmax_element(values, values + n);
  const bool whole = std::all_of(values, values + n, [](float v) { return v == std::floor(v); });
  if (!whole || double{*hi} - *lo + 1 > kCountingSpan) {
    std::sort(values, values + n);
    return;
  }
  const auto base = static_cast<int>(*lo), span = static_cast<int>(*hi) - base + 1;
  int counts[kCountingSpan];
  std::fill_n(counts, span, 0);
  for (int i = 0; i < n; ++i) ++counts[static_cast<int>(values[i]) - base];
  int at = 0;
  for (int v = 0; v < span; ++v)
    for (int c = 0; c < counts[v]; ++c) values[at++] = static_cast<float>(base + v);
}

// What NeighbourLight::add spreads onto (x, y): centre samples, so that a
// star's own share is taken off exactly as it was put on.
double sourceLight(const PsfShape& shape, const NeighbourLight::Source& s, int x, int y) {
  const double dx = x - s.x, dy = y - s.y;
  if (dx * dx + dy * dy > s.radius * s.radius) return 0;
  return s.flux * psfPixel(shape, dx, dy, 1);
}

bool coveredByStar(const Workspace& ws, int image, const SearchRect& r, int x, int y) {
  if (x < r.left || x >= r.right || y < r.top || y >= r.bottom) return false;
  return labelAt(ws, image, x, y) < kLabelNoStar;
}

// Variance of the sky level from the medians of the annulus's four quarters
// (values within three sigma of the level): a sky with structure, such as
// light that no star model took away, varies more than its pixels' noise
// tells.
double quarterVariance(std::vector<double> (&quarters)[4], const SkyEstimate& e) {
  std::vector<double> all;
  for (const auto& q : quarters) all.insert(all.end(), q.begin(), q.end());
  if (all.empty()) return -1;
  std::nth_element(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(all.size() / 2),
                   all.end());
  const double level = all[all.size() / 2];
  double medians[4];
  for (int q = 0; q < 4; ++q) {
    std::vector<double>& v = quarters[q];
    std::erase_if(v, [&](double x) { return std::abs(x - level) > kClipSigmas * e.sigma; });
    if (v.size() < kMinSkyPixels) return -1;
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
    medians[q] = v[v.size() / 2];
  }
  const double mean = (medians[0] + medians[1] + medians[2] + medians[3]) / 4;
  double sum = 0;
  for (double m : medians) sum += (m - mean) * (m - mean);
  return sum / 3 / 4;
}

// A pixel that measured something: not NaN, below the hot-pixel value and
// not far below the sky (a dead pixel).
bool measured(double v, const ApertureSettings& s) { return v >= s.badBelow && v < s.hotValue; }

// The annulus pixels of one kind: the frame's values, or values less the
// neighbours' light.
template <typename Value>
SkyEstimate annulusSky(const Workspace& ws, int image, double cx, double cy,
                       const ApertureSettings& s, const NeighbourLight* light, int self) {
  const SearchRect rect = clippedToImage(ws, image, ws.searchRect[image]);
  Value values[kMaxAnnulusPixels];
  std::vector<double> quarters[4];
  int n = 0;
  const double outer = std::min(s.outer, kMaxAnnulusRadius);
  const int x0 = std::max(0, static_cast<int>(std::floor(cx - outer)));
  const int x1 = std::min(ws.frame[image].width - 1, static_cast<int>(std::ceil(cx + outer)));
  const int y0 = std::max(0, static_cast<int>(std::floor(cy - outer)));
  const int y1 = std::min(ws.frame[image].height - 1, static_cast<int>(std::ceil(cy + outer)));
  // Row by row, as the frame lies in memory; the values are sorted and the
  // quarters' medians taken, so the order they come in does not matter.
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      const double d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
      if (d2 < s.inner * s.inner || d2 >= outer * outer) continue;
      if (coveredByStar(ws, image, rect, x, y)) continue;
      const double v = pixelAt(ws, image, x, y);
      if (!measured(v, s)) continue;
      values[n++] = static_cast<Value>(light != nullptr ? v - light->others(x, y, self) : v);
      // The star's own halo, the same at every angle but for its shape,
      // leaves the quarters too.
      if constexpr (std::is_same_v<Value, double>)
        quarters[(x >= cx ? 1 : 0) + (y >= cy ? 2 : 0)].push_back(v - light->others(x, y, -1));
    }
  }
  sortValues(values, n);
  SkyEstimate e = clippedSky(values, n);
  if constexpr (std::is_same_v<Value, double>) e.levelVariance = quarterVariance(quarters, e);
  if (e.kept < kMinSkyPixels) {
    // Too few clean pixels to tell the scatter: the noise the detector
    // model gives for that sky.
    const double rn = s.readNoise / s.gain;
    e.sigma = std::sqrt(std::max(0.0, e.level) / s.gain + rn * rn);
  }
  return e;
}

// The faint stars' signal to noise is best with an aperture diameter near
// 2 FWHM; the peak-based width estimate runs a little wide, hence 0.85.
ApertureSettings apertureFor(const ApertureSettings& chosen, double fwhm) {
  ApertureSettings a = chosen;
  if (a.radius <= 0) a.radius = 0.85 * fwhm;
  if (chosen.inner <= 0 || chosen.outer <= 0) {
    a.inner = std::max(a.radius + 1.0, 3.0 * fwhm);
    a.outer = std::max(a.inner + 3.0, 5.0 * fwhm);
  }
  return a;
}

}  // namespace

double circleRectOverlap(double x0, double x1, double y0, double y1, double r) {
  if (r <= 0.0) return 0.0;
  if (x0 > x1) std::swap(x0, x1);
  if (y0 > y1) std::swap(y0, y1);
  if (y1 <= 0.0) return circleRectOverlap(x0, x1, -y1, -y0, r);
  if (y0 < 0.0)
    return circleRectOverlap(x0, x1, 0.0, -y0, r) + circleRectOverlap(x0, x1, 0.0, y1, r);
  return areaAbove(x0, x1, y0, r) - areaAbove(x0, x1, y1, r);
}

void starCentroid(const Workspace& ws, int image, int number, double& x, double& y) {
  const StarRecord& s = star(ws, image, number);
  const double level = hasBit(ws.optionFlags, OPT_NO_BG_SUBTRACT) ? 0 : ws.backgroundLevel[image];
  double sw = 0.0, sx = 0.0, sy = 0.0;
  for (const PixelPos p : starPixels(ws, image, number)) {
    const double w = std::max(1.0, pixelAt(ws, image, p.x, p.y) - level);
    sw += w;
    sx += w * p.x;
    sy += w * p.y;
  }
  x = sw > 0.0 ? sx / sw : s.x;
  y = sw > 0.0 ? sy / sw : s.y;
}

namespace {

// The pixels a source spreads its light onto: the square about it, within
// the frame.
struct Reach {
  int x0, x1, y0, y1;
  Reach(const NeighbourLight::Source& s, int width, int height)
      : x0(std::max(0, static_cast<int>(std::floor(s.x - s.radius)))),
        x1(std::min(width - 1, static_cast<int>(std::ceil(s.x + s.radius)))),
        y0(std::max(0, static_cast<int>(std::floor(s.y - s.radius)))),
        y1(std::min(height - 1, static_cast<int>(std::ceil(s.y + s.radius)))) {}
  bool holds(int x, int y) const { return x >= x0 && x <= x1 && y >= y0 && y <= y1; }
};

}  // namespace

void NeighbourLight::start(const PsfShape& s, int w, int h, bool plane,
                           std::vector<double>&& store) {
  shape = s;
  width = w;
  height = h;
  active = true;
  sources.clear();
  total.clear();
  cells.clear();
  if (plane) {
    total = std::move(store);
    total.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0.0);
  } else {
    cellsWide = (w + kCell - 1) / kCell;
    cells.resize(static_cast<std::size_t>(cellsWide) *
                 static_cast<std::size_t>((h + kCell - 1) / kCell));
  }
}

void NeighbourLight::add(const Source& s) {
  const int number = static_cast<int>(sources.size());
  sources.push_back(s);
  const Reach r(s, width, height);
  if (total.empty()) {
    for (int cy = r.y0 / kCell; cy <= r.y1 / kCell; ++cy)
      for (int cx = r.x0 / kCell; cx <= r.x1 / kCell; ++cx)
        cells[static_cast<std::size_t>(cy * cellsWide + cx)].push_back(number);
    return;
  }
  for (int y = r.y0; y <= r.y1; ++y)
    for (int x = r.x0; x <= r.x1; ++x)
      total[static_cast<std::size_t>(y * width + x)] += sourceLight(shape, s, x, y);
}

double NeighbourLight::others(int x, int y, int self) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return 0;
  double l = 0;
  if (total.empty()) {
    // The plane's sum: from 0, the sources that reach the pixel in the order added.
    for (int k : cells[static_cast<std::size_t>(y / kCell * cellsWide + x / kCell)]) {
      const Source& s = sources[static_cast<std::size_t>(k)];
      if (Reach(s, width, height).holds(x, y)) l += sourceLight(shape, s, x, y);
    }
  } else {
    l = total[static_cast<std::size_t>(y * width + x)];
  }
  if (self >= 0 && self < static_cast<int>(sources.size()))
    l -= sourceLight(shape, sources[static_cast<std::size_t>(self)], x, y);
  return l;
}

namespace {

SkyEstimate skyAbout(const Workspace& ws, int image, double cx, double cy,
                     const ApertureSettings& s, const NeighbourLight* light, int self) {
  return light != nullptr ? annulusSky<double>(ws, image, cx, cy, s, light, self)
                          : annulusSky<float>(ws, image, cx, cy, s, light, self);
}

// The aperture's sum and errors over the sky already measured about it.
ApertureResult sumAperture(const Workspace& ws, int image, double cx, double cy,
                           const ApertureSettings& s, const NeighbourLight* light, int self,
                           const SkyEstimate& sky) {
  ApertureResult out{};
  out.x = cx;
  out.y = cy;
  const double r = std::min(s.radius, kMaxApertureRadius);
  double area = 0.0, sum = 0.0;
  const int reach = static_cast<int>(std::ceil(r)) + 1;
  const int nx = static_cast<int>(std::lround(cx)), ny = static_cast<int>(std::lround(cy));
  const double inside = (r - std::numbers::sqrt2 / 2) * (r - std::numbers::sqrt2 / 2);
  const double outside = (r + std::numbers::sqrt2 / 2) * (r + std::numbers::sqrt2 / 2);
  for (int x = nx - reach; x <= nx + reach; ++x) {
    for (int y = ny - reach; y <= ny + reach; ++y) {
      const double dx = x - cx, dy = y - cy, d2 = dx * dx + dy * dy;
      if (d2 >= outside) continue;
      const double w = d2 <= inside && r >= std::numbers::sqrt2 / 2
                           ? 1.0
                           : circleRectOverlap(dx - 0.5, dx + 0.5, dy - 0.5, dy + 0.5, r);
      if (w <= 0.0) continue;
      if (!insideImage(ws, image, x, y)) {
        out.clipped = true;
        continue;
      }
      const double v = pixelAt(ws, image, x, y);
      if (!measured(v, s)) {
        ++out.badPixels;
        continue;
      }
      area += w;
      sum += w * (light != nullptr ? v - light->others(x, y, self) : v);
    }
  }
  out.sky = sky.level;
  out.skySigma = sky.sigma;
  out.skyPixels = sky.kept;
  out.flux = sum - area * sky.level;
  const double skyVar = sky.sigma * sky.sigma;
  // The quarters' variance of three degrees of freedom counts only where it
  // clearly exceeds what the pixels' noise gives.
  double meanVar = sky.kept > 0 ? std::numbers::pi / 2 * skyVar / sky.kept : skyVar;
  if (sky.levelVariance > kStructureRatio * meanVar) meanVar = sky.levelVariance;
  out.fluxError =
      std::sqrt(std::max(0.0, out.flux) / s.gain + area * skyVar + area * area * meanVar);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  out.mag = out.flux > 0.0 ? -2.5 * std::log10(out.flux) : nan;
  out.magError = out.flux > 0.0 ? kMagPerLn * out.fluxError / out.flux : nan;
  return out;
}

}  // namespace

ApertureResult measureAperture(const Workspace& ws, int image, double cx, double cy,
                               const ApertureSettings& s, const NeighbourLight* light, int self) {
  return sumAperture(ws, image, cx, cy, s, light, self,
                     skyAbout(ws, image, cx, cy, s, light, self));
}

double estimateFwhm(const Workspace& ws, int image, double fallback) {
  const ApertureSettings probe{kProbeRadius, kProbeInner, kProbeOuter, 1.0, 0.0};
  const int count = std::max(ws.starCount[image], 0);
  // A frame of many stars tells its width from every k-th of them, about
  // kWidthSample stars across the frame: their median is as sure as all
  // stars' (and the probe's sky is most of the science's time on a large
  // frame).
  const int stride = (count + kWidthSample - 1) / kWidthSample;
  std::vector<double> widths(static_cast<std::size_t>(count));
  std::size_t n = 0;
  for (int k = 0; k < count; k += std::max(stride, 1)) {
    const StarRecord& s = star(ws, image, k);
    if (s.marks & (MARK_HOT | MARK_LARGE)) continue;
    double x, y;
    starCentroid(ws, image, k, x, y);
    // Only stars well clear of the noise tell their width; most are not,
    // and their sky alone tells.
    const SkyEstimate sky = skyAbout(ws, image, x, y, probe, nullptr, -1);
    const double peak = pixelAt(ws, image, s.x, s.y) - sky.level;
    if (peak < 20.0 * sky.sigma) continue;
    const ApertureResult a = sumAperture(ws, image, x, y, probe, nullptr, -1, sky);
    if (a.clipped || a.flux <= peak) continue;
    widths[n++] = 2.3548200450309493 * std::sqrt(a.flux / (2.0 * std::numbers::pi * peak));
  }
  if (n == 0) return fallback;
  std::nth_element(widths.begin(), widths.begin() + n / 2, widths.begin() + n);
  return widths[n / 2];
}

const ApertureResult& ApertureTable::of(int which, int k) const {
  static const ApertureResult none{};
  const std::vector<ApertureResult>& s = image[which].star;
  return k >= 0 && k < static_cast<int>(s.size()) ? s[k] : none;
}

ApertureTable measureApertures(const Workspace& ws, const ApertureSettings& chosen) {
  ApertureTable table;
  for (int image : {kBlue, kGreen}) {
    ImageApertures& info = table.image[image];
    info.star.resize(static_cast<std::size_t>(ws.starCount[image]));
    if (!hasBit(ws.progressFlags, kSearchedBit[image])) continue;
    info.fwhm = estimateFwhm(ws, image, kFallbackFwhm);
    info.settings = apertureFor(chosen, info.fwhm);
    for (int k = 0; k < ws.starCount[image]; ++k) {
      double x, y;
      starCentroid(ws, image, k, x, y);
      info.star[k] = measureAperture(ws, image, x, y, info.settings);
    }
  }
  return table;
}

}  // namespace orelith
