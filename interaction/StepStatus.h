// The status bar after a step of the measurement: what the step did (the
// frame loaded, the stars found, the offset and pairs, the fit's RMS) and,
// where the user must act first, what comes next.
#pragma once

#include <string>

#include "image/Workspace.h"
#include "interaction/WindowPort.h"
#include "resources/ControlIds.h"

namespace orelith {

// What a step is judged against: the state before it.
struct StepBefore {
  int loadCount[2];
};
StepBefore beforeStep(const Workspace& ws);

// The line after a click on a control or a menu item, given the state
// before it; empty when it did nothing to report or failed with a message of
// its own.
std::string stepStatus(const Workspace& ws, const StepBefore& before, ControlId control);
std::string stepStatus(const Workspace& ws, const StepBefore& before, MenuId item);
// A frame of `image` was loaded.
std::string loadStatus(const Workspace& ws, int image);

// Writes a non-empty line into status-bar part 0.
void showStepStatus(WindowPort& port, const std::string& line);

}  // namespace orelith
