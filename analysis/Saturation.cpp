#include "analysis/Saturation.h"

#include <algorithm>
#include <cmath>

namespace orelith {
namespace {

// A peak this many sky sigmas above the sky tells its shape; fainter stars
// are never called saturated by shape.
constexpr double kBrightSigmas = 50.0;
// Plateau tolerance: three times the noise at the peak, plus 1 % for the
// flat field the plateau was divided by and the detector's own scatter.
// A round star centred on a pixel corner has four nearly equal top pixels,
// so a flat top needs four, among the frame's highest peaks.
constexpr double kToleranceSigmas = 3.0;
constexpr double kToleranceShare = 0.01;
constexpr int kFlatTopPixels = 4;
// A peak below this share of what the frame's stars of that flux reach is
// clipped; a star centred on a pixel corner reaches about 0.85 of a centred
// one, a blend of two equal stars about 0.6 at 3 pixels.
constexpr double kDeficitShare = 0.55;
// The shape tests look only at peaks that reach half the frame's highest:
// clipped stars sit at the top, blends and galaxies anywhere.
constexpr double kTopReach = 0.5;
// The level: the lowest peak of the clipped stars that lies within 10 % of
// their median, less 2 %.
constexpr double kLevelBand = 0.10;
constexpr double kLevelMargin = 0.02;
// A single hot pixel on a star counts as its peak only when the next pixel
// reaches half of it: then the star itself is clipped at the ceiling.
constexpr double kCeilingNeighbour = 0.5;

double median(std::vector<double> v) {
  if (v.empty()) return 0;
  const auto mid = v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2);
  std::nth_element(v.begin(), mid, v.end());
  return *mid;
}

double tolerance(double peak, const ProfileNoise& n) {
  const double signal = std::max(0.0, peak - n.sky);
  return kToleranceSigmas * std::sqrt(n.skySigma * n.skySigma + signal / n.gain) +
         kToleranceShare * signal;
}

// Lowest peak of the clipped stars near their median, less a margin.
double estimateLevel(std::span<const PeakProfile> stars, const std::vector<bool>& clipped,
                     double sky) {
  std::vector<double> peaks;
  for (std::size_t i = 0; i < stars.size(); ++i)
    if (clipped[i]) peaks.push_back(stars[i].peak - sky);
  const double mid = median(peaks);
  double low = mid;
  for (double p : peaks)
    if (p >= (1 - kLevelBand) * mid) low = std::min(low, p);
  return sky + (1 - kLevelMargin) * low;
}

}  // namespace

PeakProfile peakProfile(std::span<const double> values, double flux, const ProfileNoise& n) {
  PeakProfile p;
  p.flux = flux;
  double highest = -INFINITY, below = -INFINITY;  // below: highest under the hot value
  int hot = 0;
  for (double v : values) {
    if (std::isnan(v)) continue;
    highest = std::max(highest, v);
    if (v >= n.hotValue) {
      ++hot;
    } else {
      below = std::max(below, v);
    }
  }
  const bool loneHot = hot == 1 && below - n.sky < kCeilingNeighbour * (n.hotValue - n.sky);
  p.clipped = hot >= 2 || (hot == 1 && !loneHot) ? hot : 0;
  p.peak = loneHot ? below : highest;
  if (!std::isfinite(p.peak)) return PeakProfile{};
  const double tol = tolerance(p.peak, n);
  for (double v : values)
    if (!std::isnan(v) && v <= p.peak && v >= p.peak - tol) ++p.nearPeak;
  p.bright = p.peak - n.sky >= kBrightSigmas * n.skySigma;
  return p;
}

SaturationResult findSaturated(std::span<const PeakProfile> stars, const ProfileNoise& n,
                               std::optional<double> givenLevel) {
  SaturationResult r;
  r.saturated.assign(stars.size(), false);
  std::vector<double> ratios;
  double highest = 0;
  for (const PeakProfile& s : stars) {
    if (!s.bright) continue;
    highest = std::max(highest, s.peak - n.sky);
    if (s.nearPeak < kFlatTopPixels && s.clipped == 0 && s.flux > 0)
      ratios.push_back((s.peak - n.sky) / s.flux);
  }
  r.peakPerFlux = median(ratios);
  bool any = false;
  for (std::size_t i = 0; i < stars.size(); ++i) {
    const PeakProfile& s = stars[i];
    if (!s.bright) continue;
    const double height = s.peak - n.sky;
    const bool top = height >= kTopReach * highest;
    const bool flat = (top && s.nearPeak >= kFlatTopPixels) || s.clipped > 0;
    const bool deficit =
        top && r.peakPerFlux > 0 && s.flux > 0 && height / s.flux < kDeficitShare * r.peakPerFlux;
    r.saturated[i] = flat || deficit;
    any = any || r.saturated[i];
  }
  r.estimated = !givenLevel && any;
  r.level = givenLevel ? *givenLevel : any ? estimateLevel(stars, r.saturated, n.sky) : n.hotValue;
  for (std::size_t i = 0; i < stars.size(); ++i)
    if (stars[i].flux > 0 && stars[i].peak >= r.level) r.saturated[i] = true;
  return r;
}

}  // namespace orelith
