// The automatic background finds the level with the most stars without
// scanning every level: one sweep from the top level down adds the pixels in
// order of value to a union-find, which gives at each level the number of
// stars and the largest one. A level fails the search when it has more than
// 1024 stars, a star of more than 512 pixels, or a star of exactly 512
// pixels whose fill reaches depth 512 (other frames: their search limits);
// only that last case needs a real fill, once per such star, since a star
// at the pixel limit cannot change without growing past it. Masked pixels
// (NaN) count as the lowest value, which no level tried lies below.
//
// Frames other than ST-6 frames may hold 65534 stars, which a large frame's
// sky noise alone supplies: the most stars would lie in the noise, a few
// sigmas above the sky. On those frames only levels at least five sky sigmas
// above the sky are tried (a single pixel of noise passes that about once in
// three million), and only the pixels above that floor are sorted and swept:
// a few percent of the frame. ST-6 frames try every level above the lowest
// value.
//
// The sweep needs two words a pixel: the sorted pixels and the union-find.
// Pixels are numbered row by row, as the frame lies in memory, so that the
// sort reads it in order; the sets' sizes at the end of a level do not
// depend on the order its pixels came in.
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "analysis/FillTraversal.h"
#include "analysis/StarSearch.h"

namespace orelith {
namespace {

struct Range {
  int top;             // highest level tried
  int bottom;          // lowest value
  int highest;         // highest value
  int origin;          // the value counted in counts[0]
  std::int64_t total;  // values counted (the pixels not masked)
};

// The values' counts hold every value within 65535 of the first one the pass
// meets; a value beyond lies more than 65535 from another, a span the
// counting sort does not take.
constexpr int kMaxCountedSpan = 65535;
constexpr int kCountedValues = 2 * kMaxCountedSpan + 1;

// Highest and lowest value as the column-wise scan sees them: the maximum
// stops rising once it has reached the hot-pixel value, so it is the first
// value at or above that value in column order (x, then y), or else the
// highest (from 0 up; never anything with a hot-pixel value of 0 or less).
// Read row by row, as the frame lies in memory, counting each value in
// `counts` on the way; the lowest and highest value (from 65535 down and
// from 0 up, as the scan starts them) come from the counts. The sort needs
// the true highest value besides. Values beyond +-2^30 (float frames) or a
// span beyond 65535 give no range: the counting sort could not hold them.
constexpr float kLargestCounted = 0x1p30f;

std::optional<Range> valueRange(const Workspace& ws, int image, const SearchRect& r,
                                std::int32_t* counts) {
  const int hot = ws.algorithm.hotPixelValue;
  int firstHot = 0, hotX = r.right, hotY = r.bottom;
  int origin = 0;
  bool first = true;
  std::fill(counts, counts + kCountedValues, 0);
  const ImageFrame& frame = ws.frame[image];
  for (int y = r.top; y < r.bottom; ++y) {
    const float* row = frame.values.data() + frame.index(0, y);
    for (int x = r.left; x < r.right; ++x) {
      const float f = row[x];
      if (std::isnan(f)) continue;
      if (!(std::abs(f) < kLargestCounted)) return std::nullopt;
      const int v = static_cast<int>(f);
      if (first) {
        origin = v - kMaxCountedSpan;
        first = false;
      }
      const unsigned slot = static_cast<unsigned>(v - origin);
      if (slot >= static_cast<unsigned>(kCountedValues)) return std::nullopt;
      ++counts[slot];
      if (v >= hot && (x < hotX || (x == hotX && y < hotY))) {
        firstHot = v;
        hotX = x;
        hotY = y;
      }
    }
  }
  int minValue = 65535, highest = 0;
  std::int64_t total = 0;
  for (int slot = 0; slot < kCountedValues; ++slot) {
    if (counts[slot] == 0) continue;
    minValue = std::min(minValue, origin + slot);
    highest = std::max(highest, origin + slot);
    total += counts[slot];
  }
  if (highest - minValue > kMaxCountedSpan) return std::nullopt;
  const int maxValue = hot <= 0 ? 0 : hotX < r.right ? firstHot : highest;
  return Range{maxValue, minValue, highest, origin, total};
}

// The lowest level tried. On frames other than ST-6 frames it lies five sky
// sigmas above the sky, measured as the star flags measure it (the median,
// and the median less the 15.87th percentile: the lower half, which stars do
// not touch) but over every value counted, no star being known yet.
int lowestLevelTried(const Workspace& ws, int image, const Range& values,
                     const std::int32_t* counts) {
  if (searchLimits(ws, image).maxStars == kSt6Limits.maxStars || values.total == 0)
    return values.bottom + 1;
  // The smallest value with more than share * total values at or below it.
  auto percentile = [&](double share) {
    const auto target = static_cast<std::int64_t>(share * static_cast<double>(values.total));
    std::int64_t seen = 0;
    int slot = 0;
    while ((seen += counts[slot]) <= target) ++slot;
    return values.origin + slot;
  };
  const int median = percentile(0.5);
  const int sigma = std::max(1, median - percentile(0.15866));
  return std::max(values.bottom + 1, median + 5 * sigma);
}

// A union-find root holds minus its set's size; a pixel not yet added holds
// kNotAdded. In the sorted list the last pixel of each value carries kRunEnd.
constexpr std::int32_t kNotAdded = std::numeric_limits<std::int32_t>::min();
constexpr std::uint32_t kRunEnd = 0x80000000u;
constexpr std::uint32_t kPixelBits = 0x7FFFFFFFu;

class LevelSweep {
 public:
  LevelSweep(Workspace& ws, int image, const SearchRect& r, const Range& values)
      : ws_(ws),
        s_(ws.scratch),
        image_(image),
        r_(r),
        width_(r.right - r.left),
        height_(r.bottom - r.top),
        pixels_(width_ * height_),
        highest_(values.highest),
        lowest_(values.bottom),
        origin_(values.origin),
        reciprocal_(~std::uint64_t{0} / static_cast<std::uint64_t>(width_) + 1),
        parent_(sized(s_.parent, pixels_)),
        pending512_(s_.pending512.data()),
        limits_(searchLimits(ws, image)),
        depthLabels_(sized(s_.depthLabels, ws.frame[image].pixels())) {}

  // The level with the most stars among top..floor, or -1. The levels down
  // to the next pixel's value hold the same stars, and of equal counts the
  // highest level wins: after each level the next one to try is that value
  // less one. Once every pixel above the floor is in, the levels down to
  // the floor hold the same stars too.
  int bestLevel(int top, int floor) {
    sortAbove(floor);
    int best = -1;
    int bestCount = 0;
    for (int t = top; t >= floor; t = valueOf(nextPixel()) - 1) {
      addPixelsAbove(t);
      if (largest_ > limits_.maxStarPixels) break;  // every lower level fails too
      checkStarsAtLimit(t);
      const bool ok = sets_ <= limits_.maxStars && failedAtLimit_ == 0;
      if (ok && sets_ > bestCount) {
        bestCount = sets_;
        best = t;
      }
      if (added_ == sorted_) break;
    }
    return best;
  }

 private:
  // Row of pixel p without a division: the high word of p times 2^64 /
  // width, rounded up, is exact for every p below 2^32 (a rectangle of one
  // column has no such reciprocal).
  int rowOf(int p) const {
    if (width_ == 1) return p;
    __extension__ using Wide = unsigned __int128;
    const Wide product = static_cast<Wide>(static_cast<std::uint64_t>(p)) * reciprocal_;
    return static_cast<int>(product >> 64);
  }
  int columnOf(int p) const { return p - rowOf(p) * width_; }
  int valueOf(int p) const { return value(columnOf(p), rowOf(p)); }
  std::uint32_t entry(int k) const { return static_cast<std::uint32_t>(order_[k]); }
  int nextPixel() const { return static_cast<int>(entry(added_) & kPixelBits); }
  bool added(int p) const { return parent_[p] != kNotAdded; }
  int value(int column, int row) const {
    const float v = pixelAt(ws_, image_, r_.left + column, r_.top + row);
    return std::isnan(v) ? lowest_ : static_cast<int>(v);
  }

  // Counting sort of the rectangle's pixels above `floor`, brightest first,
  // from the values' counts, which the array of stars at the pixel limit
  // holds until then; the same pass clears the union-find.
  void sortAbove(int floor) {
    auto count = [this](int v) -> std::int32_t& { return pending512_[v - origin_]; };
    int sorted = 0;
    for (int v = highest_; v > floor; --v) {
      const int n = count(v);
      count(v) = sorted;
      sorted += n;
    }
    sorted_ = sorted;
    order_ = sized(s_.order, static_cast<std::size_t>(sorted));
    const ImageFrame& frame = ws_.frame[image_];
    for (int row = 0, p = 0; row < height_; ++row) {
      const float* values = frame.values.data() + frame.index(r_.left, r_.top + row);
      for (int column = 0; column < width_; ++column, ++p) {
        parent_[p] = kNotAdded;
        // A masked pixel (NaN) lies above no floor.
        const double f = values[column];
        if (!(f > floor)) continue;
        const int v = static_cast<int>(f);
        if (v > floor) order_[count(v)++] = p;
      }
    }
    // count(v) now ends the pixels of value v.
    for (int v = highest_, begin = 0; v > floor; --v) {
      const int end = count(v);
      if (end > begin) order_[end - 1] = static_cast<std::int32_t>(entry(end - 1) | kRunEnd);
      begin = end;
    }
  }

  int find(int p) {
    std::int32_t* parent = parent_;
    while (parent[p] >= 0) {
      const int up = parent[p];
      if (parent[up] < 0) return up;
      parent[p] = parent[up];  // path halving
      p = parent[up];
    }
    return p;
  }

  // The root of the merged set of roots a and b: the larger set takes the
  // smaller.
  int merge(int a, int b) {
    std::int32_t* parent = parent_;
    if (parent[a] > parent[b]) std::swap(a, b);
    parent[a] += parent[b];
    parent[b] = a;
    --sets_;
    return a;
  }

  // Adds the pixels of value above `level`, a whole value at a time.
  void addPixelsAbove(int level) {
    while (added_ < sorted_ && valueOf(nextPixel()) > level) {
      bool runEnds = false;
      while (!runEnds) {
        runEnds = (entry(added_) & kRunEnd) != 0;
        addPixel(nextPixel());
        ++added_;
      }
    }
  }

  // Sizes only grow while a pixel joins its neighbours, so the set's size
  // once they are joined tells whether it reached 512 or passed it.
  void addPixel(int p) {
    parent_[p] = -1;
    ++sets_;
    int root = p;
    auto join = [&](int q) {
      if (!added(q)) return;
      const int other = find(q);
      if (other != root) root = merge(root, other);
    };
    const int column = columnOf(p);
    if (column > 0) join(p - 1);
    if (column < width_ - 1) join(p + 1);
    if (p >= width_) join(p - width_);
    if (p < pixels_ - width_) join(p + width_);
    const int size = -parent_[root];
    largest_ = std::max(largest_, size);
    if (size == limits_.maxStarPixels) pending512_[pending_++] = root;
  }

  // Stars that reached exactly 512 pixels at this level get their one fill:
  // none of them can have grown since, or the sweep would have stopped.
  void checkStarsAtLimit(int level) {
    for (int k = 0; k < pending_; ++k)
      if (fillReachesLimit(level, firstPixelOf(pending512_[k]))) ++failedAtLimit_;
    pending_ = 0;
  }

  // The set's first pixel in the order the search scans, row by row: where
  // its fill starts.
  int firstPixelOf(int root) {
    for (int p = 0; p < pixels_; ++p)
      if (added(p) && find(p) == root) return p;
    return root;
  }

  bool fillReachesLimit(int level, int first) {
    for (int y = r_.top; y < r_.bottom; ++y)
      for (int x = r_.left; x < r_.right; ++x) depthLabel(x, y) = kLabelUnvisited;
    auto labelOf = [this](int x, int y) -> std::uint16_t& { return depthLabel(x, y); };
    // A pixel taken at depth 512 fails the scan at its first neighbour.
    const int maxDepth = limits_.maxFillDepth;
    auto accept = [maxDepth](int, int, float, int depth) {
      return depth == maxDepth ? SearchStatus::TooManyPixels : SearchStatus::Ok;
    };
    const int x = r_.left + columnOf(first), y = r_.top + rowOf(first);
    if (maxDepth <= kMaxFillDepth)
      return fillTraversal(ws_, image_, r_, level, x, y, 1, labelOf, accept) != SearchStatus::Ok;
    thread_local std::vector<FillVisit> stack;
    return deepFillTraversal(ws_, image_, r_, level, x, y, 1, maxDepth, labelOf, accept, stack) !=
           SearchStatus::Ok;
  }

  std::uint16_t& depthLabel(int x, int y) { return depthLabels_[ws_.frame[image_].index(x, y)]; }

  Workspace& ws_;
  Scratch& s_;
  int image_;
  SearchRect r_;
  int width_;
  int height_;
  int pixels_;
  int highest_;
  int lowest_;
  int origin_;
  std::uint64_t reciprocal_;
  std::int32_t* parent_;
  std::int32_t* order_ = nullptr;
  std::int32_t* pending512_;
  SearchLimits limits_;
  std::uint16_t* depthLabels_;
  int sorted_ = 0;  // the pixels above the floor, which order_ holds
  int added_ = 0;
  int sets_ = 0;
  int largest_ = 0;
  int pending_ = 0;
  int failedAtLimit_ = 0;
};

}  // namespace

void chooseAutoBackground(Workspace& ws, int image) {
  const SearchRect r = clippedToImage(ws, image, ws.searchRect[image]);
  if (r.right <= r.left || r.bottom <= r.top) return;
  // The values' counts borrow the list of stars at the pixel limit, which is
  // not in use until the sweep. That list holds the stars that reach the
  // limit within one level, disjoint sets of that many pixels each.
  const std::size_t pixels = static_cast<std::size_t>(r.right - r.left) * (r.bottom - r.top);
  const std::size_t atLimit = pixels / searchLimits(ws, image).maxStarPixels + 1;
  std::int32_t* counts =
      sized(ws.scratch.pending512, std::max<std::size_t>(atLimit, kCountedValues));
  const std::optional<Range> range = valueRange(ws, image, r, counts);
  if (!range || range->top <= range->bottom) return;
  const int floor = lowestLevelTried(ws, image, *range, counts);
  if (range->top < floor) return;
  LevelSweep sweep(ws, image, r, *range);
  const int best = sweep.bestLevel(range->top, floor);
  if (best >= 0) ws.backgroundLevel[image] = best;
}

}  // namespace orelith
