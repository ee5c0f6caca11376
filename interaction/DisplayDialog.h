// The "Display configuration" dialog without its window.
#pragma once

#include <string_view>

#include "image/Workspace.h"
#include "interaction/DialogControl.h"
#include "interaction/WindowPort.h"

namespace orelith {

struct DisplayDialog {
  unsigned touched = 0;  // the option bit of each clicked box
  DialogControls<DisplayControl> controls;
};

DisplayDialog openDisplayDialog(const Workspace& ws);
void displayBoxClicked(DisplayDialog& d, DisplayControl box, bool checked);
// The frequency field's text changed: stored at once, bounds 1..24.
void displayFrequencyChanged(DisplayDialog& d, Workspace& ws, WindowPort& port,
                             std::string_view text);
// "Deselect": clears the star selection at once.
void displayDeselect(Workspace& ws, WindowPort& port);
// OK writes the touched boxes; "Auto update" follows the main window's rule;
// a touched "Show flagged stars" redraws both panels.
// Cancel, Escape and the close box write nothing and need no call.
void displayOk(Workspace& ws, WindowPort& port, const DisplayDialog& d);

}  // namespace orelith
