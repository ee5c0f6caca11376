// The warning flags of every star of both images: the shape flags of the
// search's stars (analysis/StarFlags.h) joined with what each frame's science
// found (saturation from the profiles, blends from the pair fits), and
// FLAG_EXTRAPOLATED, with the sky noise they were judged against.
#pragma once

#include <cstdint>
#include <vector>

#include "analysis/StarFlags.h"
#include "image/Workspace.h"
#include "photometry/FrameScience.h"

namespace orelith {

struct ImageFlags {
  SkyNoise sky{0.0, 0.0};           // zero unless the image was searched
  std::vector<std::uint32_t> star;  // FLAG_... by star number
};

struct FlagTable {
  ImageFlags image[2];

  // 0 for a star the table does not know.
  std::uint32_t of(int which, int k) const {
    const std::vector<std::uint32_t>& s = image[which].star;
    return k >= 0 && k < static_cast<int>(s.size()) ? s[k] : 0;
  }
};

// Sky noise and flags of each searched image, the peak test at the frame's
// saturation level; FLAG_EXTRAPOLATED where a star's lg lies outside its
// image's calibration stars' range.
FlagTable flagStars(const Workspace& ws, const FrameScience frames[2], double gain);

}  // namespace orelith
