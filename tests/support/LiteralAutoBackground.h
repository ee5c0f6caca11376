// The automatic background as first described: a full scan at every level
// from the top down, keeping the first level with strictly more stars.
#pragma once

#include "image/Workspace.h"

namespace orelith::test {

// Sets and returns the chosen level; leaves the level as it was when no
// level yields a star.
int literalAutoBackground(Workspace& ws, int image);

}  // namespace orelith::test
