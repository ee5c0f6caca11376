// The automatic comparison as first described: 121 full matches over the blue rectangle, the first
// strictly larger count wins, and a last match at the chosen offset leaves the pairing; where that
// pairing has a one-sided link, the stars overlapping it pair by largest overlap.
#pragma once

#include "image/Workspace.h"

namespace orelith::test {

// One full match at the current offset, partners one to one unless not; the overlap count.
int literalMatch(Workspace& ws, bool oneToOne = true);

// Sets the offset ((0, 0) if nothing overlaps), partners, overlap count; the largest count.
int literalAutomaticCompare(Workspace& ws);

}  // namespace orelith::test
