#include "image/Workspace.h"

#include <algorithm>

namespace orelith {

SearchRect clippedToImage(const SearchRect& r) {
  return {std::max(r.left, 0), std::max(r.top, 0), std::min(r.right, kImageWidth),
          std::min(r.bottom, kImageHeight)};
}

}  // namespace orelith
