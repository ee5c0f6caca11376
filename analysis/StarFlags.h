// Warning flags of one found star beyond the search's own marks: clipped
// peaks, stars cut by a border, and two stars found as one.
#pragma once

#include <cstdint>

#include "image/Workspace.h"

namespace orelith {

enum StarFlagBits : std::uint32_t {
  FLAG_SATURATED = 0x1,     // a peak at the saturation value, or a flat top
  FLAG_EDGE = 0x2,          // touches the image or search-rectangle border
  FLAG_EXTRAPOLATED = 0x4,  // outside the calibration stars' range (set by photometry)
  FLAG_BLENDED = 0x8,       // a second peak well above the noise
  FLAG_BAD_PIXELS = 0x10,   // its aperture holds dead or hot pixels (set by photometry)
};

// Sky of one image from the pixels of its search rectangle that belong to no
// star: the median, and the noise from the lower half of the distribution,
// which the detection level does not cut. A rectangle of more than 4 million
// pixels gives every k-th row's.
struct SkyNoise {
  double level;
  double sigma;
};

SkyNoise measureSkyNoise(const Workspace& ws, int image);

struct FlagLimits {
  double saturation;  // peak value that counts as saturated
  SkyNoise sky;       // of the star's image
  double gain = 1;    // electrons per count, for the photon noise of a peak
};

// FLAG_SATURATED, FLAG_EDGE and FLAG_BLENDED of star `number` of `image`;
// `secondPeak`, where 0 or 1, is what hasSecondPeak already said of it.
std::uint32_t starShapeFlags(const Workspace& ws, int image, int number, const FlagLimits& limits,
                             int secondPeak = -1);

// Whether the star holds a second local maximum whose height above the saddle
// joining it to the higher one exceeds five times the noise of that
// difference.
bool hasSecondPeak(const Workspace& ws, int image, int number, const FlagLimits& limits);

}  // namespace orelith
