// The "Star properties" dialog without its window: a model of its controls
// and what opening it, its check boxes, its edits and its OK do. The window
// draws the dialog from `controls` after each event.
#pragma once

#include <string_view>

#include "image/Workspace.h"
#include "interaction/DialogControl.h"
#include "interaction/WindowPort.h"
#include "photometry/StarProperties.h"

namespace orelith {

// One open dialog: its information text, the V and B-V edits and the
// "Calibration star" and "Ignore star" boxes.
struct StarPropertiesDialog {
  int blueStar = -1;
  int greenStar = -1;
  float enteredV = 0.0f;
  float enteredBMinusV = 0.0f;
  bool calibrationRequested = false;  // mirrors "Calibration star"
  DialogControls<StarPropertiesControl> controls;
};

// The dialog on the selected pair, as it opens; its flags and errors are
// the window's to fill in (WindowPort::scienceNotes).
StarPropertiesDialog openStarProperties(const Workspace& ws);

// The text of the V edit or the B-V edit changed.
void starPropertiesTextChanged(StarPropertiesDialog& d, StarPropertiesControl control,
                               std::string_view text);

// A click on "Calibration star" or "Ignore star"; `checked` is the new state.
void starPropertiesCalibrationClicked(StarPropertiesDialog& d, bool checked);
void starPropertiesIgnoreClicked(StarPropertiesDialog& d, bool checked);

// OK: true when the dialog closes, false when its message (owned by the
// dialog) keeps it open. The first calibration star makes "Calculate
// magnitudes" and the curve views available, withdrawing the last takes them
// away. Cancel changes nothing and needs no call.
bool starPropertiesOk(Workspace& ws, WindowPort& port, StarPropertiesDialog& d);

}  // namespace orelith
