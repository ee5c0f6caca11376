// The automatic background as first described: a full scan at every level
// from the top down, keeping the first level with strictly more stars.
#pragma once

#include <limits>

#include "image/Workspace.h"

namespace orelith::test {

// Sets and returns the chosen level; leaves the level as it was when no
// level yields a star. Levels below `lowestLevel` are not tried.
int literalAutoBackground(Workspace& ws, int image,
                          int lowestLevel = std::numeric_limits<int>::min());

}  // namespace orelith::test
