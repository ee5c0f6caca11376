// The depth-first fill shared by the star search and the automatic
// background's depth check, so both walk a star in exactly the same order.
#pragma once

#include <vector>

#include "image/Workspace.h"

namespace orelith {

inline constexpr int kMaxFillDepth = 512;

// How a search, or one fill of it, ended: Ok goes on; the others stop the scan.
enum class SearchStatus { Ok, TooManyStars, TooManyPixels };

// Whether a pixel's value lies above the level: a masked pixel (NaN) never
// does.
inline bool aboveLevel(float value, double level) { return double{value} > level; }

// Visits (x, y) at `depth` and, once `accept` took it, its neighbours left,
// right, up, down inside `r`. `labelOf(x, y)` gives the visit label to test
// and mark; `accept(x, y, value, depth)` returns 0 to go on. A visit deeper
// than 512 fails whatever the pixel holds.
template <class LabelOf, class Accept>
SearchStatus fillTraversal(const Workspace& ws, int image, const SearchRect& r, double level, int x,
                           int y, int depth, LabelOf& labelOf, Accept& accept) {
  constexpr SearchStatus kOk = SearchStatus::Ok;
  if (depth > kMaxFillDepth) return SearchStatus::TooManyPixels;
  std::uint16_t& label = labelOf(x, y);
  if (label != kLabelUnvisited) return kOk;
  label = kLabelNoStar;
  const float value = pixelAt(ws, image, x, y);
  if (!aboveLevel(value, level)) return kOk;
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

// The same walk, in the same order and with the same depths, for fills
// deeper than the call stack should go (stars of many thousand pixels): the
// pending neighbours live on `stack` instead. A visit deeper than `maxDepth`
// fails.
struct FillVisit {
  int x, y, depth;
  int next;  // the neighbour to visit next: 0 left, 1 right, 2 up, 3 down
};

template <class LabelOf, class Accept>
SearchStatus deepFillTraversal(const Workspace& ws, int image, const SearchRect& r, double level,
                               int x, int y, int depth, int maxDepth, LabelOf& labelOf,
                               Accept& accept, std::vector<FillVisit>& stack) {
  constexpr SearchStatus kOk = SearchStatus::Ok;
  // Enters one pixel; true when it joined the star and its neighbours wait.
  auto enter = [&](int px, int py, int d, SearchStatus& rc) {
    rc = kOk;
    if (d > maxDepth) {
      rc = SearchStatus::TooManyPixels;
      return false;
    }
    std::uint16_t& label = labelOf(px, py);
    if (label != kLabelUnvisited) return false;
    label = kLabelNoStar;
    const float value = pixelAt(ws, image, px, py);
    if (!aboveLevel(value, level)) return false;
    rc = accept(px, py, value, d);
    return rc == kOk;
  };
  stack.clear();
  SearchStatus rc = kOk;
  if (!enter(x, y, depth, rc)) return rc;
  stack.push_back({x, y, depth, 0});
  while (!stack.empty()) {
    FillVisit& v = stack.back();
    int nx = v.x, ny = v.y;
    bool found = false;
    while (!found && v.next < 4) {
      switch (v.next++) {
        case 0:
          found = v.x > r.left, nx = v.x - 1, ny = v.y;
          break;
        case 1:
          found = v.x < r.right - 1, nx = v.x + 1, ny = v.y;
          break;
        case 2:
          found = v.y > r.top, nx = v.x, ny = v.y - 1;
          break;
        default:
          found = v.y < r.bottom - 1, nx = v.x, ny = v.y + 1;
          break;
      }
    }
    if (!found) {
      stack.pop_back();
      continue;
    }
    const int d = v.depth + 1;
    if (enter(nx, ny, d, rc))
      stack.push_back({nx, ny, d, 0});  // v is invalid from here
    else if (rc != kOk)
      return rc;
  }
  return kOk;
}

}  // namespace orelith
