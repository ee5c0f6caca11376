#include "tests/support/LiteralCompare.h"

namespace orelith::test {
namespace {

// A label names a star only inside the rectangle the image's last search
// labelled, and only below its star count.
int literalStarAt(const Workspace& ws, int image, int x, int y) {
  const SearchRect& r = ws.labelledRect[image];
  if (x < r.left || x >= r.right || y < r.top || y >= r.bottom) return -1;
  const int label = labelAt(ws, image, x, y);
  return label < ws.starCount[image] ? label : -1;
}

}  // namespace

// Transcription of the match: every pixel of the blue rectangle, rows from the
// top, columns from the left.
int literalMatch(Workspace& ws) {
  for (int n = 0; n < ws.starCount[kBlue]; ++n) star(ws, kBlue, n).partner = -1;
  for (int n = 0; n < ws.starCount[kGreen]; ++n) star(ws, kGreen, n).partner = -1;
  const SearchRect& b = ws.searchRect[kBlue];
  const SearchRect& g = ws.searchRect[kGreen];
  if (b.top >= b.bottom) return 0;
  int count = 0;
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
      ++count;
    }
  return count;
}

// Transcription of the automatic comparison: 121 full matches, the first
// strictly larger count wins, (0, 0) when nothing overlaps; a last match.
int literalAutomaticCompare(Workspace& ws) {
  int best = 0, bestDx = 0, bestDy = 0;
  for (int dx = -5; dx <= 5; ++dx)
    for (int dy = -5; dy <= 5; ++dy) {
      ws.offsetX = dx;
      ws.offsetY = dy;
      const int count = literalMatch(ws);
      if (count > best) {
        best = count;
        bestDx = dx;
        bestDy = dy;
      }
    }
  ws.offsetX = bestDx;
  ws.offsetY = bestDy;
  ws.overlapCount = literalMatch(ws);
  return best;
}

}  // namespace orelith::test
