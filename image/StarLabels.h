// Which star a pixel belongs to, as the label planes say.
#pragma once

#include <cstdint>
#include <cstring>

#include "image/Workspace.h"

namespace orelith {

// The star number that pixel (x, y) of `image` is labelled with, or -1 when
// it names no star: outside the image, marked as no star or not visited, a
// number at or beyond the image's star count, or a pixel that no search of
// the image has labelled (outside the rectangle of its last search, or before
// any search since the load). Label planes start at 0, which is also star 0:
// only the pixels the last search wrote may be read as stars.
// Inline: the offset search asks it for every pixel of both images.
inline int starAtPixel(const Workspace& ws, int image, int x, int y) {
  if (image != kBlue && image != kGreen) return -1;
  const SearchRect& r = ws.labelledRect[image];
  if (x < r.left || x >= r.right || y < r.top || y >= r.bottom || !insideImage(ws, image, x, y))
    return -1;
  const int label = labelAt(ws, image, x, y);
  return label < ws.starCount[image] ? label : -1;
}

// Whether the four labels from `at` on all mark no star: one word's test
// that lets a scan of a searched frame pass its sky four pixels at a time.
inline bool fourWithoutStar(const std::uint16_t* at) {
  constexpr std::uint64_t kFour = 0x0001000100010001ULL * kLabelNoStar;
  std::uint64_t word;
  std::memcpy(&word, at, sizeof word);
  return word == kFour;
}

// The search of `image` is about to label the pixels of `r` (clipped).
void noteLabelledRect(Workspace& ws, int image, const SearchRect& r);

// No pixel of `image` holds a label of the current image (after a load).
void forgetLabels(Workspace& ws, int image);

}  // namespace orelith
