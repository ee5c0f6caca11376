// The offset between two frames from their star lists alone: the frames may
// differ in size and lie far apart, where the pixel overlap search cannot
// reach.
#pragma once

#include <span>

namespace orelith {

// A star of one frame: its position there and a brightness to rank it by.
struct ListedStar {
  double x, y;
  double flux;
};

struct PatternMatch {
  bool found = false;
  int dx = 0, dy = 0;  // green pixel (x + dx, y + dy) shows blue pixel (x, y)
  int matched = 0;     // checked blue stars with a green star within 1.5 pixels there
};

// Every pair of a bright blue and a bright green star votes for the offset
// that would put one on the other; the true offset gathers a vote from each
// star both lists share, a chance one from few. The best offsets are then
// checked on up to 200 stars of each list. Offsets beyond maxShiftX /
// maxShiftY are not considered. Found when at least six stars agree and
// twice as many as at any other offset.
PatternMatch matchStarPatterns(std::span<const ListedStar> blue, std::span<const ListedStar> green,
                               int maxShiftX, int maxShiftY);

}  // namespace orelith
