// Calculate magnitudes: fit a curve per filter through the calibration stars
// and apply it to every paired star.
#pragma once

#include "image/Outcome.h"
#include "image/Workspace.h"

namespace orelith {

enum class CalculateStatus {
  Ok,
  Failed,              // an earlier pass's results stay
  NoCalibrationStars,  // nothing to fit: nothing changed
};

// Blue pass, then green pass. A failed fit, or a curve that gives some paired
// star no finite magnitude, stops with the message "Minimisation was not
// successful."; what an earlier pass stored stays. With no calibration star
// nothing changes. Success sets PRG_MAGNITUDES.
Outcome<CalculateStatus> calculateMagnitudes(Workspace& ws);

}  // namespace orelith
