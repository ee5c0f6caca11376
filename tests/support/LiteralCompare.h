// The automatic comparison as first described: 121 full matches over the
// blue rectangle, the first strictly larger count wins, and a last match at
// the chosen offset leaves the pairing.
#pragma once

#include "image/Workspace.h"

namespace orelith::test {

// One full match at the current offset; returns the overlap count.
int literalMatch(Workspace& ws);

// Sets the offset ((0, 0) when nothing overlaps), the partners and the
// overlap count; returns the largest count.
int literalAutomaticCompare(Workspace& ws);

}  // namespace orelith::test
