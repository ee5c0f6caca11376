#include "tests/support/LiteralCompare.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>
#include <vector>

namespace orelith::test {
namespace {

using Link = std::pair<int, int>;  // (blue, green)

// Where a link is one-sided, each group of stars joined by overlaps pairs by largest overlap,
// the later met first among equal ones; groups whose links are all mutual stay.
void makeOneToOne(Workspace& ws, const std::vector<Link>& met) {
  std::map<Link, std::pair<int, int>> overlap;  // pixels, last met
  for (int i = 0; i < static_cast<int>(met.size()); ++i)
    overlap[met[i]] = {overlap[met[i]].first + 1, i};
  std::set<Link> left(met.begin(), met.end());
  while (!left.empty()) {
    std::set<Link> group{*left.begin()};
    for (bool grew = true; grew;) {
      grew = false;
      for (const Link& l : left)
        for (const Link& g : group)
          if ((l.first == g.first || l.second == g.second) && group.insert(l).second) grew = true;
    }
    bool mutual = true;
    for (const Link& l : group) {
      left.erase(l);
      const int pb = star(ws, kBlue, l.first).partner, pg = star(ws, kGreen, l.second).partner;
      mutual = mutual && star(ws, kGreen, pb).partner == l.first &&
               star(ws, kBlue, pg).partner == l.second;
    }
    if (mutual) continue;
    for (const Link& l : group)
      star(ws, kBlue, l.first).partner = star(ws, kGreen, l.second).partner = -1;
    std::vector<Link> order(group.begin(), group.end());
    std::sort(order.begin(), order.end(),
              [&](const Link& a, const Link& b) { return overlap[a] > overlap[b]; });
    for (const Link& l : order) {
      StarRecord &b = star(ws, kBlue, l.first), &g = star(ws, kGreen, l.second);
      if (b.partner >= 0 || g.partner >= 0) continue;
      b.partner = static_cast<std::int16_t>(l.second);
      g.partner = static_cast<std::int16_t>(l.first);
    }
  }
}

// A label names a star only inside the rectangle the last search labelled, below the star count.
int literalStarAt(const Workspace& ws, int image, int x, int y) {
  const SearchRect& r = ws.labelledRect[image];
  if (x < r.left || x >= r.right || y < r.top || y >= r.bottom) return -1;
  const int label = labelAt(ws, image, x, y);
  return label < ws.starCount[image] ? label : -1;
}

}  // namespace

// Transcription of the match: every pixel of the blue rectangle, row by row from the top left.
int literalMatch(Workspace& ws, bool oneToOne) {
  for (int image : {kBlue, kGreen})
    for (int n = 0; n < ws.starCount[image]; ++n) star(ws, image, n).partner = -1;
  const SearchRect &b = ws.searchRect[kBlue], &g = ws.searchRect[kGreen];
  if (b.top >= b.bottom) return 0;
  std::vector<Link> met;
  for (int y = b.top; y < b.bottom; ++y)
    for (int x = b.left; x < b.right; ++x) {
      const int gx = x + ws.offsetX, gy = y + ws.offsetY;
      if (!insideImage(ws, kBlue, x, y) || !insideImage(ws, kGreen, gx, gy)) continue;
      if (gx < g.left || gx >= g.right || gy < g.top || gy >= g.bottom) continue;
      const int bl = literalStarAt(ws, kBlue, x, y);
      const int gl = literalStarAt(ws, kGreen, gx, gy);
      if (bl < 0 || gl < 0) continue;
      star(ws, kBlue, bl).partner = static_cast<std::int16_t>(gl);
      star(ws, kGreen, gl).partner = static_cast<std::int16_t>(bl);
      met.emplace_back(bl, gl);
    }
  if (oneToOne) makeOneToOne(ws, met);
  return static_cast<int>(met.size());
}

// Transcription of the automatic comparison: 121 full matches, the first strictly larger count
// wins, (0, 0) when nothing overlaps; a last match.
int literalAutomaticCompare(Workspace& ws) {
  int best = 0, bestDx = 0, bestDy = 0;
  for (int dx = -5; dx <= 5; ++dx)
    for (int dy = -5; dy <= 5; ++dy) {
      ws.offsetX = dx, ws.offsetY = dy;
      const int count = literalMatch(ws, false);
      if (count > best) best = count, bestDx = dx, bestDy = dy;
    }
  ws.offsetX = bestDx, ws.offsetY = bestDy;
  ws.overlapCount = literalMatch(ws);
  return best;
}

}  // namespace orelith::test
