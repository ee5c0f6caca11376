// How the results beside the calibrated magnitudes are computed
// (photometry/Science.h): the batch tool's science options, and in the
// window the "Photometry configuration" dialog's state. Both refuse the same
// values, by the bounds and the check below.
#pragma once

namespace orelith {

struct ScienceSettings {
  int saturation = 0;     // peak value flagged as saturated; 0: found in each frame
  bool aperture = false;  // aperture photometry; else the summed brightness
  double radius = 0;      // aperture radius; 0: from the curve of growth
  double inner = 0;       // sky annulus; 0 0: three to five FWHM
  double outer = 0;
  double gain = 1.0;         // electrons per count
  double readNoise = 0.0;    // electrons
  bool transform = false;    // fit and apply the standard transformation
  bool keepFlagged = false;  // flagged calibration stars as measured
};

// The values a setting may take, both ends included.
struct ScienceBound {
  double low;
  double high;
  bool holds(double v) const { return v >= low && v <= high; }
};

// A chosen saturation level (0 leaves it to each frame).
inline constexpr ScienceBound kSaturationBound{1, 65535};
// A chosen aperture radius in pixels (0 leaves it to the curve of growth);
// beyond 20 pixels an aperture holds more neighbours than star.
inline constexpr double kMaxApertureRadius = 20.0;
inline constexpr ScienceBound kApertureRadiusBound{0.5, kMaxApertureRadius};
// The sky annulus's radii; both 0 leave it to the stars' width. The inner
// radius must be above 0 and below the outer one.
inline constexpr double kMaxAnnulusRadius = 30.0;
inline constexpr ScienceBound kAnnulusBound{0.0, kMaxAnnulusRadius};
inline constexpr ScienceBound kGainBound{0.01, 1000.0};
inline constexpr ScienceBound kReadNoiseBound{0.0, 1000.0};

enum class ScienceProblem {
  None,
  Saturation,
  ApertureRadius,
  AnnulusOrder,  // not 0 < inner < outer <= 30
  AnnulusInsideAperture,
  Gain,
  ReadNoise,
};

// The first setting of `s` outside its bounds, in the order of the fields
// above, or None. The automatic values (0) pass.
ScienceProblem checkScienceSettings(const ScienceSettings& s);

}  // namespace orelith
