// Which star a pixel belongs to, as the label planes say.
#pragma once

#include "image/Workspace.h"

namespace orelith {

// The star number that pixel (x, y) of `image` is labelled with, or -1 when
// it names no star: outside the image, marked as no star or not visited, or a
// number at or beyond the image's star count.
int starAtPixel(const Workspace& ws, int image, int x, int y);

}  // namespace orelith
