// Calculate magnitudes: fit a curve per filter through the calibration stars
// and apply it to every paired star.
#pragma once

#include <vector>

#include "image/Outcome.h"
#include "image/Workspace.h"

namespace orelith {

enum class CalculateStatus {
  Ok,
  Failed,              // an earlier pass's results stay
  NoCalibrationStars,  // nothing to fit: nothing changed
  Underdetermined,     // fewer calibration stars than coefficients: nothing changed
};

// Abscissae of the curves in place of the stars' lg brightness, by star
// number of each image: lg of the flux the science measured. A calibration
// star with NaN takes no part in the fit; a paired star with NaN gets NaN
// magnitudes.
struct CurveAbscissae {
  std::vector<double> lg[2];
};

// Blue pass, then green pass. Fewer calibration stars than coefficients (up
// to the 10 the library takes) change nothing, with no message of the
// string table (the caller says why). A failed fit, or a curve that gives
// some paired star no finite magnitude, stops with the message "Minimisation
// was not successful."; what an earlier pass stored stays. With no
// calibration star nothing changes. Success sets PRG_MAGNITUDES.
Outcome<CalculateStatus> calculateMagnitudes(Workspace& ws,
                                             const CurveAbscissae* abscissae = nullptr);

// Calibration stars with an abscissa in both images.
int fittableCalibrationStars(const Workspace& ws, const CurveAbscissae* abscissae);

}  // namespace orelith
