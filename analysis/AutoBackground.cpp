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
  int top;      // highest level tried
  int bottom;   // lowest value
  int highest;  // highest value
};

// Highest and lowest value as the column-wise scan sees them: the maximum
// stops rising once it has reached the hot-pixel value, so it is the first
// value at or above that value in column order (x, then y), or else the
// highest (from 0 up; never anything with a hot-pixel value of 0 or less).
// Read row by row, as the frame lies in memory. The sort needs the true
// highest value besides. Values beyond +-2^30 (float frames) give no range:
// the counting sort could not hold them anyway.
constexpr double kLargestCounted = 1 << 30;

std::optional<Range> valueRange(const Workspace& ws, int image, const SearchRect& r) {
  int minValue = 65535;
  int highest = 0;
  const int hot = ws.algorithm.hotPixelValue;
  int firstHot = 0, hotX = r.right, hotY = r.bottom;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) {
      const float f = pixelAt(ws, image, x, y);
      if (std::isnan(f)) continue;
      if (!(std::abs(f) < kLargestCounted)) return std::nullopt;
      const int v = static_cast<int>(f);
      if (v >= hot && (x < hotX || (x == hotX && y < hotY))) {
        firstHot = v;
        hotX = x;
        hotY = y;
      }
      minValue = std::min(minValue, v);
      highest = std::max(highest, v);
    }
  }
  const int maxValue = hot <= 0 ? 0 : hotX < r.right ? firstHot : highest;
  return Range{maxValue, minValue, highest};
}

// A union-find root holds minus its set's size; a pixel not yet added holds
// kNotAdded. In the sorted list the last pixel of each value carries kRunEnd.
constexpr std::int32_t kNotAdded = std::numeric_limits<std::int32_t>::min();
constexpr long long kMaxCountedSpan = 65535;
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
        reciprocal_(~std::uint64_t{0} / static_cast<std::uint64_t>(width_) + 1),
        parent_(sized(s_.parent, std::max<std::size_t>(pixels_, 65538))),
        order_(sized(s_.order, pixels_)),
        pending512_(sized(s_.pending512, pixels_)),
        limits_(searchLimits(ws, image)),
        depthLabels_(sized(s_.depthLabels, ws.frame[image].pixels())) {}

  // The level with the most stars among top..bottom+1, or -1. The levels
  // down to the next pixel's value hold the same stars, and of equal counts
  // the highest level wins: after each level the next one to try is that
  // value less one.
  int bestLevel(Range levels) {
    sortByValue();
    int best = -1;
    int bestCount = 0;
    for (int t = levels.top; t > levels.bottom; t = valueOf(nextPixel()) - 1) {
      addPixelsAbove(t);
      if (largest_ > limits_.maxStarPixels) break;  // every lower level fails too
      checkStarsAtLimit(t);
      const bool ok = sets_ <= limits_.maxStars && failedAtLimit_ == 0;
      if (ok && sets_ > bestCount) {
        bestCount = sets_;
        best = t;
      }
      if (added_ == pixels_) break;
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

  // Counting sort of the rectangle's pixels, brightest first. The counts of
  // the values the rectangle holds (65537 at most) borrow the union-find's
  // array, which is not in use yet.
  void sortByValue() {
    std::int32_t* start = parent_;
    const int span = highest_ - lowest_;
    std::fill(start, start + span + 2, 0);
    for (int row = 0; row < height_; ++row)
      for (int column = 0; column < width_; ++column) ++start[highest_ - value(column, row) + 1];
    for (int k = 1; k <= span; ++k) start[k] += start[k - 1];
    for (int row = 0, p = 0; row < height_; ++row)
      for (int column = 0; column < width_; ++column, ++p)
        order_[start[highest_ - value(column, row)]++] = p;
    // start[k] now ends the pixels of value highest - k.
    for (int k = 0; k <= span; ++k)
      if (start[k] > (k == 0 ? 0 : start[k - 1]))
        order_[start[k] - 1] = static_cast<std::int32_t>(entry(start[k] - 1) | kRunEnd);
    std::fill(parent_, parent_ + pixels_, kNotAdded);
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
    while (added_ < pixels_ && valueOf(nextPixel()) > level) {
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
  std::uint64_t reciprocal_;
  std::int32_t* parent_;
  std::int32_t* order_;
  std::int32_t* pending512_;
  SearchLimits limits_;
  std::uint16_t* depthLabels_;
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
  const std::optional<Range> range = valueRange(ws, image, r);
  if (!range) return;
  const Range levels = *range;
  if (levels.top <= levels.bottom) return;
  // The values' counts borrow the union-find's array.
  if (static_cast<long long>(levels.highest) - levels.bottom > kMaxCountedSpan) return;
  LevelSweep sweep(ws, image, r, levels);
  const int best = sweep.bestLevel(levels);
  if (best >= 0) ws.backgroundLevel[image] = best;
}

}  // namespace orelith
