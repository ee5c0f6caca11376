// Steps of the workflow shared by several commands.
#pragma once

#include "image/WindowPort.h"
#include "image/Workspace.h"

namespace orelith {

// Ends pairing and calibration: every listed calibration star loses its mark,
// the list empties, the compared, calibration and magnitude bits clear, and
// no star (of the current counts) keeps a partner. Runs after every load and every search.
void endCalibrationStage(Workspace& ws);

// Asks the window to rebuild the star list; with both images searched and no
// pairing current, "Compare images" becomes available again.
void refillStarList(Workspace& ws, WindowPort& port);

}  // namespace orelith
