// Finding the stars of one image: connected pixels above the background.
#pragma once

#include "analysis/FillTraversal.h"
#include "image/Outcome.h"
#include "image/Workspace.h"

namespace orelith {

// Collects one star from (x, y) at recursion depth `depth` into record
// StarCount of `image`. Ok, or why the scan must stop.
SearchStatus fillStar(Workspace& ws, int image, int x, int y, int depth);

// A star's summed light as its lg tells it: on a floating-point frame the
// exact sum, which `brightness` holds rounded to a whole count.
double summedLight(const Workspace& ws, int image, int k);

// One pass over the image's search rectangle at its current background,
// numbering stars in row order.
SearchStatus scanImage(Workspace& ws, int image);

// Sets BackgroundLevel to the level that yields the most stars (the highest
// of equal ones), as trying every level from the top down with scanImage
// would; frames other than ST-6 frames try only levels five sky sigmas or
// more above the sky. Leaves it unchanged when no level yields a star.
void chooseAutoBackground(Workspace& ws, int image);

// Search stars: the automatic background if chosen, the scan, lg brightness,
// and the end of pairing and calibration. A failed scan leaves the image
// unsearched with no stars; the outcome names its message.
Outcome<SearchStatus> searchStars(Workspace& ws, int image);

}  // namespace orelith
