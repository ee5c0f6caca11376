#include "analysis/StarFlags.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

namespace orelith {
namespace {

// A flat top needs this many pixels at the maximum, and a peak this many sky
// sigmas above the sky, so that chance ties of a faint star do not count.
constexpr int kFlatTopPixels = 3;
constexpr double kFlatTopSigmas = 50.0;
constexpr double kBlendSigmas = 5.0;

// A pixel in whole counts, as the sky is counted on an integer frame; a
// value beyond two billion is held there, where a conversion would be
// undefined.
int wholeValue(float v) { return static_cast<int>(std::clamp(v, -2.0e9f, 2.0e9f)); }

// A pixel as the flags compare it: in whole counts on an integer frame, as
// it is on a floating-point frame, whose values may all lie within a count
// (electrons a second).
double flagValue(const Workspace& ws, int image, int x, int y) {
  const float v = pixelAt(ws, image, x, y);
  return ws.floatFrame[image] ? double{v} : wholeValue(v);
}

// Sky values (pixels of the rectangle that belong to no star) counted within
// a window of 4096 values; those below it are only counted. A window
// anchored at the background level holds both wanted ranks of any usual sky,
// so one pass and 16 KB take the place of a table of all 65536 values.
constexpr int kSkyWindow = 4096;

struct SkyWindow {
  int base;  // the window holds base .. base + 4095
  std::uint64_t below;
  std::uint64_t total;
  std::uint32_t count[kSkyWindow];
};

// Beyond 4 million pixels the sky is taken from every k-th row, which tells
// its percentiles as well as every row; a frame of the ST-6 size counts all.
int skyRowStep(const SearchRect& r) {
  constexpr std::int64_t kMaxValues = 4'000'000;
  const std::int64_t area = std::int64_t{r.right - r.left} * (r.bottom - r.top);
  return static_cast<int>(std::max<std::int64_t>(1, area / kMaxValues + 1));
}

void countSky(const Workspace& ws, int image, const SearchRect& r, int base, SkyWindow& w) {
  w.base = base;
  std::fill(std::begin(w.count), std::end(w.count), 0u);
  std::uint64_t below = 0, total = 0;
  // Row by row, as the frame lies in memory: a column walk misses the cache
  // on every pixel of a wide frame. The counts do not depend on the order.
  const int step = skyRowStep(r);
  for (int y = r.top; y < r.bottom; y += step) {
    for (int x = r.left; x < r.right; ++x) {
      if (labelAt(ws, image, x, y) != kLabelNoStar) continue;
      const float f = pixelAt(ws, image, x, y);
      if (std::isnan(f)) continue;  // masked: no sky
      const int v = wholeValue(f);
      ++total;
      // One unsigned test keeps both sides of the window off the usual path.
      const auto d = static_cast<unsigned>(v - base);
      if (d < kSkyWindow) {
        ++w.count[d];
      } else if (v < base) {
        ++below;
      }
    }
  }
  w.below = below;
  w.total = total;
}

// The smallest sky value with more than `target` values at or below it;
// moves the window until it holds that value.
int skyValueAtRank(const Workspace& ws, int image, const SearchRect& r, std::uint64_t target,
                   SkyWindow& w) {
  for (;;) {
    std::uint64_t seen = w.below;
    if (seen <= target) {
      for (int d = 0; d < kSkyWindow; ++d) {
        seen += w.count[d];
        if (seen > target) return w.base + d;
      }
    }
    countSky(ws, image, r, seen > target ? w.base - kSkyWindow : w.base + kSkyWindow, w);
  }
}

bool touchesBorder(std::span<const PixelPos> pixels, const SearchRect& r) {
  for (const PixelPos p : pixels) {
    if (p.x == r.left || p.x == r.right - 1 || p.y == r.top || p.y == r.bottom - 1) return true;
  }
  return false;
}

bool saturated(const Workspace& ws, int image, std::span<const PixelPos> pixels,
               const FlagLimits& limits) {
  double peak = -INFINITY;
  int atPeak = 0;
  for (const PixelPos p : pixels) {
    const double v = flagValue(ws, image, p.x, p.y);
    if (v > peak) {
      peak = v;
      atPeak = 0;
    }
    if (v == peak) ++atPeak;
  }
  if (peak >= limits.saturation) return true;
  return atPeak >= kFlatTopPixels && peak - limits.sky.level >= kFlatTopSigmas * limits.sky.sigma;
}

// A star whose bounding box with a border of one pixel has at most this many
// pixels finds its neighbours in a grid over that box; a larger one among
// its pixels sorted by row-major key.
constexpr int kGridCells = 2048;

// Star pixels by value, highest first, and a lookup from position to pixel.
// The per-pixel arrays grow to the largest star met and are kept.
struct PeakSearch {
  int count = 0;
  std::vector<int> order;
  std::vector<int> parent;
  std::vector<int> top;  // highest pixel of each component root
  std::vector<double> value;
  std::vector<char> done;
  // Grid cell (x - gridLeft) + (y - gridTop) * gridWidth holds the pixel at
  // (x, y) or -1; gridWidth 0 when the keys are used instead.
  int gridLeft = 0, gridTop = 0, gridWidth = 0;
  int frameWidth = kImageWidth;  // row length of the keys
  std::int32_t grid[kGridCells];
  std::vector<int> key;  // sorted ascending, with the matching pixel index
  std::vector<int> keyIndex;

  int find(int i) {
    while (parent[i] != i) i = parent[i] = parent[parent[i]];
    return i;
  }
  int indexOf(int x, int y) const {
    if (gridWidth > 0) return grid[(y - gridTop) * gridWidth + (x - gridLeft)];
    if (x < 0 || x >= frameWidth) return -1;  // the key would wrap into another row
    const int k = y * frameWidth + x;
    const int* begin = key.data();
    const int* at = std::lower_bound(begin, begin + count, k);
    return at != begin + count && *at == k ? keyIndex[static_cast<std::size_t>(at - begin)] : -1;
  }
};

// The grid over the bounding box and its border, or false when it is too big.
bool buildGrid(std::span<const PixelPos> pixels, PeakSearch& ps) {
  int left = 65535, right = -1, top = 65535, bottom = -1;
  for (const PixelPos p : pixels) {
    left = std::min<int>(left, p.x);
    right = std::max<int>(right, p.x);
    top = std::min<int>(top, p.y);
    bottom = std::max<int>(bottom, p.y);
  }
  const int width = right - left + 3, height = bottom - top + 3;
  if (std::int64_t{width} * height > kGridCells) return false;
  const int cells = width * height;
  ps.gridLeft = left - 1;
  ps.gridTop = top - 1;
  ps.gridWidth = width;
  std::fill(ps.grid, ps.grid + cells, std::int16_t{-1});
  for (int i = 0; i < ps.count; ++i)
    ps.grid[(pixels[i].y - ps.gridTop) * width + (pixels[i].x - ps.gridLeft)] =
        static_cast<std::int32_t>(i);
  return true;
}

void sortKeys(std::span<const PixelPos> pixels, PeakSearch& ps) {
  ps.gridWidth = 0;
  auto keyOf = [&](int i) { return pixels[i].y * ps.frameWidth + pixels[i].x; };
  for (int i = 0; i < ps.count; ++i) ps.key[i] = i;
  std::sort(ps.key.begin(), ps.key.begin() + ps.count,
            [&](int a, int b) { return keyOf(a) < keyOf(b); });
  for (int i = 0; i < ps.count; ++i) {
    ps.keyIndex[i] = ps.key[i];
    ps.key[i] = keyOf(ps.keyIndex[i]);
  }
}

void prepare(const Workspace& ws, int image, std::span<const PixelPos> pixels, PeakSearch& ps) {
  ps.count = static_cast<int>(pixels.size());
  if (ps.order.size() < pixels.size()) {
    for (auto* v : {&ps.order, &ps.parent, &ps.top, &ps.key, &ps.keyIndex})
      v->resize(pixels.size());
    ps.value.resize(pixels.size());
    ps.done.resize(pixels.size());
  }
  ps.frameWidth = ws.frame[image].width;
  for (int i = 0; i < ps.count; ++i) {
    ps.order[i] = i;
    ps.parent[i] = i;
    ps.top[i] = i;
    ps.done[i] = false;
    ps.value[i] = flagValue(ws, image, pixels[i].x, pixels[i].y);
  }
  std::sort(ps.order.begin(), ps.order.begin() + ps.count,
            [&](int a, int b) { return ps.value[a] > ps.value[b]; });
  if (!buildGrid(pixels, ps)) sortKeys(pixels, ps);
}

// A floating-point frame's sky in its own values, from the same ranks and
// rows: its noise may be a small fraction of a count.
SkyNoise floatSkyNoise(const Workspace& ws, int image, const SearchRect& r) {
  const int step = skyRowStep(r);
  std::vector<float> sky;
  for (int y = r.top; y < r.bottom; y += step)
    for (int x = r.left; x < r.right; ++x) {
      const float v = pixelAt(ws, image, x, y);
      if (labelAt(ws, image, x, y) == kLabelNoStar && !std::isnan(v)) sky.push_back(v);
    }
  if (sky.empty()) return {ws.backgroundLevel[image], 1.0};
  auto percentile = [&](double share) {
    const auto at =
        sky.begin() + static_cast<std::ptrdiff_t>(share * static_cast<double>(sky.size()));
    std::nth_element(sky.begin(), at, sky.end());
    return double{*at};
  };
  const double median = percentile(0.5), low = percentile(0.15866);
  // A sky without spread (a constant, a frame made up) has the noise of a
  // float's last digit, or of one count where that is none.
  double sigma = median - low;
  if (sigma <= 0)
    sigma = std::numeric_limits<float>::epsilon() * std::max(std::abs(median), std::abs(low));
  return {median, sigma > 0 ? sigma : 1.0};
}

}  // namespace

SkyNoise measureSkyNoise(const Workspace& ws, int image) {
  const SearchRect r = clippedToImage(ws, image, ws.searchRect[image]);
  if (ws.floatFrame[image]) return floatSkyNoise(ws, image, r);
  SkyWindow w;
  // An integer frame's sky counts in whole values; the window ends at the
  // whole value at or below the level.
  const double level = ws.backgroundLevel[image];
  const int top = static_cast<int>(std::clamp(std::floor(level), -1.0e9, 1.0e9));
  countSky(ws, image, r, top - (kSkyWindow - 1), w);
  if (w.total == 0) return {level, 1.0};
  // The value below which share * total of the sky values lie.
  auto percentile = [&](double share) {
    const auto target = static_cast<std::uint64_t>(share * static_cast<double>(w.total));
    return skyValueAtRank(ws, image, r, target, w);
  };
  const int median = percentile(0.5);
  const int low = percentile(0.15866);
  return {static_cast<double>(median), std::max(1.0, static_cast<double>(median - low))};
}

// Pixels join in falling order (a watershed); where two components meet, the
// lower one's peak stands above that level by its prominence.
bool hasSecondPeak(const Workspace& ws, int image, int number, const FlagLimits& limits) {
  const std::span<const PixelPos> pixels = starPixels(ws, image, number);
  const double skyVar = limits.sky.sigma * limits.sky.sigma;
  // No prominence exceeds the star's whole depth, and no noise below is
  // smaller than that of the sky alone: a star too shallow for that bound,
  // as most faint ones are, needs no watershed.
  double lowest = INFINITY, highest = -INFINITY;
  for (const PixelPos p : pixels) {
    const double v = flagValue(ws, image, p.x, p.y);
    lowest = std::min(lowest, v);
    highest = std::max(highest, v);
  }
  if (limits.gain > 0 && highest - lowest <= kBlendSigmas * std::sqrt(2.0 * skyVar)) return false;
  thread_local PeakSearch ps;
  prepare(ws, image, pixels, ps);
  for (int n = 0; n < ps.count; ++n) {
    const int i = ps.order[n];
    ps.done[i] = true;
    for (int dy = -1; dy <= 1; ++dy) {
      for (int dx = -1; dx <= 1; ++dx) {
        const int j = ps.indexOf(pixels[i].x + dx, pixels[i].y + dy);
        if (j < 0 || j == i || !ps.done[j]) continue;
        int a = ps.find(i), b = ps.find(j);
        if (a == b) continue;
        if (a != i) {
          const double lowTop = std::min(ps.value[ps.top[a]], ps.value[ps.top[b]]);
          const double signal = std::max(0.0, lowTop - limits.sky.level) / limits.gain;
          const double noise = std::sqrt(2.0 * (skyVar + signal));
          if (lowTop - ps.value[i] > kBlendSigmas * noise) return true;
        }
        if (a == i || ps.value[ps.top[b]] >= ps.value[ps.top[a]]) std::swap(a, b);
        ps.parent[b] = a;
      }
    }
  }
  return false;
}

std::uint32_t starShapeFlags(const Workspace& ws, int image, int number, const FlagLimits& limits,
                             int secondPeak) {
  const std::span<const PixelPos> pixels = starPixels(ws, image, number);
  std::uint32_t flags = 0;
  if (saturated(ws, image, pixels, limits)) flags |= FLAG_SATURATED;
  if (touchesBorder(pixels, clippedToImage(ws, image, ws.searchRect[image]))) flags |= FLAG_EDGE;
  if (secondPeak < 0 ? hasSecondPeak(ws, image, number, limits) : secondPeak == 1)
    flags |= FLAG_BLENDED;
  return flags;
}

}  // namespace orelith
