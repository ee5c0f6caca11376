#include "image/StarLabels.h"

namespace orelith {

int starAtPixel(const Workspace& ws, int image, int x, int y) {
  if ((image != kBlue && image != kGreen) || !insideImage(x, y)) return -1;
  const int label = labelAt(ws, image, x, y);
  if (label >= kLabelNoStar || label >= ws.starCount[image]) return -1;
  return label;
}

}  // namespace orelith
