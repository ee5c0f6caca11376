// Finding the stars of one image: connected pixels above the background.
#pragma once

#include "image/WindowPort.h"
#include "image/Workspace.h"

namespace orelith {

enum SearchResult { kSearchOk = 0, kTooManyStars = 1, kTooManyPixels = 2 };

// Collects one star from (x, y) at recursion depth `depth` into record
// StarCount of `image`. kSearchOk, or why the scan must stop.
SearchResult fillStar(Workspace& ws, int image, int x, int y, int depth);

// One pass over the image's search rectangle at its current background,
// numbering stars in row order. No messages.
SearchResult scanImage(Workspace& ws, int image);

// Sets BackgroundLevel to the level that yields the most stars (the highest
// of equal ones), as trying every level from the top down with scanImage
// would. Leaves it unchanged when no level yields a star.
void chooseAutoBackground(Workspace& ws, int image);

// Search stars: the automatic background if chosen, the scan, its messages,
// lg brightness, and the end of pairing and calibration.
void searchStars(Workspace& ws, WindowPort& port, int image);

// The "Search stars" button: the search, then the list refill, "Reset
// selection" greyed and "Save..." enabled, whatever the outcome.
void searchStarsCommand(Workspace& ws, WindowPort& port, int image);

}  // namespace orelith
