#include "image/StarLabels.h"

namespace orelith {

void noteLabelledRect(Workspace& ws, int image, const SearchRect& r) {
  ws.labelledRect[image] = clippedToImage(ws, image, r);
}

void forgetLabels(Workspace& ws, int image) { ws.labelledRect[image] = SearchRect{0, 0, 0, 0}; }

}  // namespace orelith
