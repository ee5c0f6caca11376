// The automatic background finds the level with the most stars without
// scanning every level: one sweep from the top level down adds the pixels in
// order of value to a union-find, which gives at each level the number of
// stars and the largest one. A level fails the search when it has more than
// 1024 stars, a star of more than 512 pixels, or a star of exactly 512
// pixels whose fill reaches depth 512; only that last case needs a real fill,
// once per such star, since a star of 512 pixels cannot change without
// growing past the limit.
#include <algorithm>

#include "analysis/FillTraversal.h"
#include "analysis/StarSearch.h"

namespace orelith {
namespace {

struct Range {
  int top;
  int bottom;
};

// Highest and lowest value as the column-wise scan sees them: the maximum
// stops rising once it has reached the hot-pixel value.
Range valueRange(const Workspace& ws, int image, const SearchRect& r) {
  int maxValue = 0;
  int minValue = 65535;
  const int hot = ws.algorithm.hotPixelValue;
  for (int x = r.left; x < r.right; ++x) {
    for (int y = r.top; y < r.bottom; ++y) {
      const int v = pixelAt(ws, image, x, y);
      if (v > maxValue && maxValue < hot) maxValue = v;
      minValue = std::min(minValue, v);
    }
  }
  return {maxValue, minValue};
}

class LevelSweep {
 public:
  LevelSweep(Workspace& ws, int image, const SearchRect& r)
      : ws_(ws),
        s_(ws.scratch),
        image_(image),
        r_(r),
        width_(r.right - r.left),
        reciprocal_(((std::uint64_t{1} << 40) + static_cast<std::uint64_t>(width_) - 1) /
                    static_cast<std::uint64_t>(width_)) {}

  // The level with the most stars among top..bottom+1, or -1.
  int bestLevel(Range levels) {
    sortByValue();
    int best = -1;
    int bestCount = 0;
    for (int t = levels.top; t > levels.bottom; --t) {
      addPixelsAbove(t);
      if (largest_ > kMaxStarPixels) break;  // every lower level fails too
      checkStarsAtLimit(t);
      const bool ok = sets_ <= kMaxStars && failedAtLimit_ == 0;
      if (ok && sets_ > bestCount) {
        bestCount = sets_;
        best = t;
      }
    }
    return best;
  }

 private:
  int pixelCount() const { return width_ * (r_.bottom - r_.top); }
  int valueAt(int column, int row) const {
    return pixelAt(ws_, image_, r_.left + column, r_.top + row);
  }
  // Row of pixel p without a division: (p * reciprocal) >> 40 is exact for
  // every p of the image and every width up to 375.
  int rowOf(int p) const {
    return static_cast<int>((static_cast<std::uint64_t>(p) * reciprocal_) >> 40);
  }

  // Counting sort of the rectangle's pixels, brightest first; afterwards
  // levelStart[65535 - v] counts the pixels of value v and above.
  void sortByValue() {
    std::int32_t* start = s_.levelStart;
    std::fill(start, start + 65537, 0);
    const int h = r_.bottom - r_.top;
    for (int row = 0; row < h; ++row)
      for (int column = 0; column < width_; ++column) ++start[65535 - valueAt(column, row) + 1];
    for (int k = 1; k <= 65536; ++k) start[k] += start[k - 1];
    for (int row = 0, p = 0; row < h; ++row)
      for (int column = 0; column < width_; ++column, ++p)
        s_.order[start[65535 - valueAt(column, row)]++] = p;
    std::fill(s_.parent, s_.parent + pixelCount(), -1);
  }

  int find(int p) {
    while (s_.parent[p] != p) {
      s_.parent[p] = s_.parent[s_.parent[p]];
      p = s_.parent[p];
    }
    return p;
  }

  void unite(int a, int b) {
    a = find(a);
    b = find(b);
    if (a == b) return;
    if (s_.setSize[a] < s_.setSize[b]) std::swap(a, b);
    s_.parent[b] = a;
    s_.setSize[a] += s_.setSize[b];
    s_.firstPixel[a] = std::min(s_.firstPixel[a], s_.firstPixel[b]);
    --sets_;
    noteSize(a);
  }

  void noteSize(int root) {
    largest_ = std::max(largest_, s_.setSize[root]);
    if (s_.setSize[root] == kMaxStarPixels) s_.pending512[pending_++] = root;
  }

  void addPixelsAbove(int level) {
    const int above = level >= 65535 ? 0 : s_.levelStart[65534 - level];
    while (added_ < above) addPixel(s_.order[added_++]);
  }

  void addPixel(int p) {
    s_.parent[p] = p;
    s_.setSize[p] = 1;
    s_.firstPixel[p] = p;
    s_.rootChecked[p] = 0;
    ++sets_;
    noteSize(p);
    const int row = rowOf(p);
    const int x = p - row * width_;
    const int h = r_.bottom - r_.top;
    if (x > 0 && s_.parent[p - 1] >= 0) unite(p, p - 1);
    if (x < width_ - 1 && s_.parent[p + 1] >= 0) unite(p, p + 1);
    if (p >= width_ && s_.parent[p - width_] >= 0) unite(p, p - width_);
    if (row < h - 1 && s_.parent[p + width_] >= 0) unite(p, p + width_);
  }

  // Stars that reached exactly 512 pixels at this level get their one fill.
  void checkStarsAtLimit(int level) {
    for (int k = 0; k < pending_; ++k) {
      const int root = find(s_.pending512[k]);
      if (s_.setSize[root] != kMaxStarPixels || s_.rootChecked[root]) continue;
      s_.rootChecked[root] = 1;
      if (fillReachesLimit(level, s_.firstPixel[root])) ++failedAtLimit_;
    }
    pending_ = 0;
  }

  bool fillReachesLimit(int level, int first) {
    for (int y = r_.top; y < r_.bottom; ++y)
      for (int x = r_.left; x < r_.right; ++x) depthLabel(x, y) = kLabelUnvisited;
    auto labelOf = [this](int x, int y) -> std::uint16_t& { return depthLabel(x, y); };
    // A pixel taken at depth 512 fails the scan at its first neighbour.
    auto accept = [](int, int, int, int depth) { return depth == kMaxFillDepth ? 2 : 0; };
    const int row = rowOf(first);
    return fillTraversal(ws_, image_, r_, level, r_.left + first - row * width_, r_.top + row, 1,
                         labelOf, accept) != 0;
  }

  std::uint16_t& depthLabel(int x, int y) { return s_.depthLabels[y * kImageWidth + x]; }

  Workspace& ws_;
  Scratch& s_;
  int image_;
  SearchRect r_;
  int width_;
  std::uint64_t reciprocal_;
  int added_ = 0;
  int sets_ = 0;
  int largest_ = 0;
  int pending_ = 0;
  int failedAtLimit_ = 0;
};

}  // namespace

void chooseAutoBackground(Workspace& ws, int image) {
  const SearchRect r = clippedToImage(ws.searchRect[image]);
  if (r.right <= r.left || r.bottom <= r.top) return;
  const Range levels = valueRange(ws, image, r);
  if (levels.top <= levels.bottom) return;
  LevelSweep sweep(ws, image, r);
  const int best = sweep.bestLevel(levels);
  if (best >= 0) ws.backgroundLevel[image] = best;
}

}  // namespace orelith
