// Rules of the workflow that several commands share: which steps the window
// offers now, and the star list refill that offers "Compare images" again.
#pragma once

#include "image/Outcome.h"
#include "image/Workspace.h"
#include "interaction/WindowPort.h"

namespace orelith {

// Whether "Compare images" may act: both images searched, no pairing current
// and no three-pair entry open. The batch tool refuses by the same rule.
bool canCompare(const Workspace& ws);
// Whether "Calculate magnitudes" may act: calibration stars of a current
// pairing.
bool canCalculate(const Workspace& ws);

// Asks the window to rebuild the star list; where comparing is possible,
// "Compare images" becomes available again.
void refillStarList(const Workspace& ws, WindowPort& port);

// The error box of an outcome that has one, owned by the main window.
template <class Status>
void showMessageOf(const Outcome<Status>& outcome, WindowPort& port) {
  if (outcome.message) port.showMessage(*outcome.message, MessageOwner::MainWindow);
}

}  // namespace orelith
