// Calculate magnitudes: fit a curve per filter through the calibration stars
// and apply it to every paired star.
#pragma once

#include "image/WindowPort.h"
#include "image/Workspace.h"

namespace orelith {

// Blue pass, then green pass. A failed fit shows message 15 and stops; what
// an earlier pass stored stays. 0 on success, 1 after a failure.
int calculateMagnitudes(Workspace& ws, WindowPort& port);

// The "Calculate magnitudes" button: the calculation, then, whatever its
// outcome, the list refill and a repaint of each panel showing its curve.
void calculateMagnitudesCommand(Workspace& ws, WindowPort& port);

}  // namespace orelith
