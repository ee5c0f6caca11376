// Calculate magnitudes: fit a curve per filter through the calibration stars
// and apply it to every paired star.
#pragma once

#include "image/WindowPort.h"
#include "image/Workspace.h"

namespace orelith {

enum CalculateStatus : int {
  kCalculateOk = 0,
  kCalculateFailed = 1,              // message 15 shown; an earlier pass's results stay
  kCalculateNoCalibrationStars = 2,  // nothing to fit: nothing changed, no message
};

// Blue pass, then green pass. A failed fit, or a curve that gives some paired
// star no finite magnitude, shows message 15 and stops; what an earlier pass
// stored stays. With no calibration star nothing changes.
CalculateStatus calculateMagnitudes(Workspace& ws, WindowPort& port);

// The "Calculate magnitudes" button: the calculation, then, whatever its
// outcome, the list refill and a repaint of each panel showing its curve.
// With no calibration star it does nothing at all.
void calculateMagnitudesCommand(Workspace& ws, WindowPort& port);

}  // namespace orelith
