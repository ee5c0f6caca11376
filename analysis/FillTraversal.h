// The depth-first fill shared by the star search and the automatic
// background's depth check, so both walk a star in exactly the same order.
#pragma once

#include "image/Workspace.h"

namespace orelith {

inline constexpr int kMaxFillDepth = 512;

// Visits (x, y) at `depth` and, once `accept` took it, its neighbours left,
// right, up, down inside `r`. `labelOf(x, y)` gives the visit label to test
// and mark; `accept(x, y, value, depth)` returns 0 to go on. A visit deeper
// than 512 fails whatever the pixel holds.
template <class LabelOf, class Accept>
int fillTraversal(const Workspace& ws, int image, const SearchRect& r, int level, int x, int y,
                  int depth, LabelOf& labelOf, Accept& accept) {
  if (depth > kMaxFillDepth) return 2;
  std::uint16_t& label = labelOf(x, y);
  if (label != kLabelUnvisited) return 0;
  label = kLabelNoStar;
  const int value = pixelAt(ws, image, x, y);
  if (value <= level) return 0;
  if (int rc = accept(x, y, value, depth)) return rc;
  auto visit = [&](int nx, int ny) {
    return fillTraversal(ws, image, r, level, nx, ny, depth + 1, labelOf, accept);
  };
  if (x > r.left)
    if (int rc = visit(x - 1, y)) return rc;
  if (x < r.right - 1)
    if (int rc = visit(x + 1, y)) return rc;
  if (y > r.top)
    if (int rc = visit(x, y - 1)) return rc;
  if (y < r.bottom - 1)
    if (int rc = visit(x, y + 1)) return rc;
  return 0;
}

}  // namespace orelith
