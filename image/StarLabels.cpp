#include "image/StarLabels.h"

namespace orelith {

int starAtPixel(const Workspace& ws, int image, int x, int y) {
  if (image != kBlue && image != kGreen) return -1;
  const SearchRect& r = ws.labelledRect[image];
  if (x < r.left || x >= r.right || y < r.top || y >= r.bottom || !insideImage(x, y)) return -1;
  const int label = labelAt(ws, image, x, y);
  return label < ws.starCount[image] ? label : -1;
}

void noteLabelledRect(Workspace& ws, int image, const SearchRect& r) {
  ws.labelledRect[image] = clippedToImage(r);
}

void forgetLabels(Workspace& ws, int image) { ws.labelledRect[image] = SearchRect{0, 0, 0, 0}; }

}  // namespace orelith
