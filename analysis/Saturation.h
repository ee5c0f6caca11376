// Saturated stars told from their profiles. Real detectors stop well below
// the converter's ceiling, and the frame is divided by a flat afterwards, so
// a saturated star shows a plateau of nearly (not exactly) equal values at
// some level nobody wrote down. Three tests, each enough:
//  - a flat top: several pixels within a noise-scaled tolerance of the peak;
//  - a peak well below what the frame's own bright stars of that flux reach;
//  - a peak at or above the frame's saturation level, which is estimated
//    from the stars the first two tests find, or given.
#pragma once

#include <optional>
#include <span>
#include <vector>

namespace orelith {

struct ProfileNoise {
  double sky = 0;       // level of the sky under the star
  double skySigma = 1;  // noise of one sky pixel
  double gain = 1;      // electrons per count
  double hotValue = 65530;
};

// What the tests need of one star.
struct PeakProfile {
  double peak = 0;      // highest value; a lone hot pixel on a faint star left out
  int nearPeak = 0;     // pixels within the plateau tolerance of the peak
  int clipped = 0;      // pixels at or above the hot-pixel value, when they form a plateau
  double flux = 0;      // counts above the sky in the same aperture for every star
  bool bright = false;  // peak at least 50 sky sigmas above the sky: the tests apply
};

// The profile of one star from its pixel values (NaN values are skipped) and
// its flux.
PeakProfile peakProfile(std::span<const double> values, double flux, const ProfileNoise& noise);

struct SaturationResult {
  std::vector<bool> saturated;  // per star
  double level = 0;             // the level of the third test
  bool estimated = false;       // level found in the frame (else given, or the hot-pixel value)
  double peakPerFlux = 0;       // (peak - sky) / flux of the frame's bright stars; 0 unknown
};

// All stars of one frame. `givenLevel` replaces the estimate.
SaturationResult findSaturated(std::span<const PeakProfile> stars, const ProfileNoise& noise,
                               std::optional<double> givenLevel);

}  // namespace orelith
