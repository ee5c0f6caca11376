// The depth-first fill shared by the star search and the automatic
// background's depth check, so both walk a star in exactly the same order.
#pragma once

#include "image/Workspace.h"

namespace orelith {

inline constexpr int kMaxFillDepth = 512;

// How a search, or one fill of it, ended: Ok goes on; the others stop the scan.
enum class SearchStatus { Ok, TooManyStars, TooManyPixels };

// Visits (x, y) at `depth` and, once `accept` took it, its neighbours left,
// right, up, down inside `r`. `labelOf(x, y)` gives the visit label to test
// and mark; `accept(x, y, value, depth)` returns 0 to go on. A visit deeper
// than 512 fails whatever the pixel holds.
template <class LabelOf, class Accept>
SearchStatus fillTraversal(const Workspace& ws, int image, const SearchRect& r, int level, int x,
                           int y, int depth, LabelOf& labelOf, Accept& accept) {
  constexpr SearchStatus kOk = SearchStatus::Ok;
  if (depth > kMaxFillDepth) return SearchStatus::TooManyPixels;
  std::uint16_t& label = labelOf(x, y);
  if (label != kLabelUnvisited) return kOk;
  label = kLabelNoStar;
  const float value = pixelAt(ws, image, x, y);
  if (double{value} <= level) return kOk;
  if (SearchStatus rc = accept(x, y, value, depth); rc != kOk) return rc;
  auto visit = [&](int nx, int ny) {
    return fillTraversal(ws, image, r, level, nx, ny, depth + 1, labelOf, accept);
  };
  if (x > r.left)
    if (SearchStatus rc = visit(x - 1, y); rc != kOk) return rc;
  if (x < r.right - 1)
    if (SearchStatus rc = visit(x + 1, y); rc != kOk) return rc;
  if (y > r.top)
    if (SearchStatus rc = visit(x, y - 1); rc != kOk) return rc;
  if (y < r.bottom - 1)
    if (SearchStatus rc = visit(x, y + 1); rc != kOk) return rc;
  return kOk;
}

}  // namespace orelith
