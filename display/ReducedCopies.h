// Copies of a frame reduced 2, 4, 8, ... times, from which a panel zoomed far
// out is drawn: a panel pixel then reads one value instead of the thousands
// of frame pixels it covers.
#pragma once

#include <vector>

#include "image/Workspace.h"

namespace orelith {

class ReducedCopies {
 public:
  struct Level {
    int width = 0, height = 0;
    std::vector<float> values;  // row-major
    float at(int x, int y) const { return values[static_cast<std::size_t>(y) * width + x]; }
  };

  // Level k (from 1) holds in pixel (x, y) the largest value of the frame
  // pixels x 2^k .. (x + 1) 2^k - 1, y likewise, NaN where all of them are:
  // a star stays visible however far out the panel is zoomed. Levels are
  // made down to one no larger than the panel.
  void build(const float* values, int width, int height);
  void clear() { levels_.clear(); }
  bool empty() const { return levels_.empty(); }

  // The coarsest level whose pixels are no larger than `frameStep` frame
  // pixels (0: none, read the frame itself).
  int levelFor(double frameStep) const;
  const Level& level(int k) const { return levels_[static_cast<std::size_t>(k - 1)]; }

 private:
  std::vector<Level> levels_;
};

// The reduced copies of `image`'s frame, made when the panel first needs
// them after a load. A frame's values change only by loading; whoever writes
// them in place (a test) sets a new load count.
const ReducedCopies& reducedCopies(Workspace& ws, int image);

}  // namespace orelith
