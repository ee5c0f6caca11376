#include "tests/support/LiteralAutoBackground.h"

#include "analysis/StarSearch.h"

namespace orelith::test {

int literalAutoBackground(Workspace& ws, int image, int lowestLevel) {
  const SearchRect r = clippedToImage(ws, image, ws.searchRect[image]);
  const double before = ws.backgroundLevel[image];
  int maxValue = 0, minValue = 65535, best = -1, bestCount = 0;
  for (int x = r.left; x < r.right; ++x)
    for (int y = r.top; y < r.bottom; ++y) {
      const int v = static_cast<int>(pixelAt(ws, image, x, y));
      if (v > maxValue && maxValue < ws.algorithm.hotPixelValue) maxValue = v;
      if (v < minValue) minValue = v;
    }
  for (int t = maxValue; t > minValue && t >= lowestLevel; --t) {
    ws.backgroundLevel[image] = t;
    if (scanImage(ws, image) == SearchStatus::Ok && ws.starCount[image] > bestCount)
      bestCount = ws.starCount[image], best = t;
  }
  ws.backgroundLevel[image] = best >= 0 ? best : before;
  return static_cast<int>(ws.backgroundLevel[image]);
}

}  // namespace orelith::test
