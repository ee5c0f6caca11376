// How the results beside the calibrated magnitudes are computed
// (photometry/Science.h): the batch tool's science options, and in the
// window the "Photometry configuration" dialog's state.
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

}  // namespace orelith
