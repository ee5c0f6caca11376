// The "Star properties" dialog without its window: a model of its controls
// and what opening it, its check boxes, its edits and its OK do. The window
// draws the dialog from `controls` after each event.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "image/DialogControl.h"
#include "image/WindowPort.h"
#include "image/Workspace.h"

namespace orelith {

// One open dialog. `controls` holds 1023 (information text), 1019 (V edit),
// 1020 (B-V edit), 1025 ("Calibration star") and 1026 ("Ignore star").
struct StarPropertiesDialog {
  int blueStar = -1;
  int greenStar = -1;
  float enteredV = 0.0f;
  float enteredBMinusV = 0.0f;
  bool calibrationRequested = false;  // mirrors "Calibration star"
  std::vector<DialogControl> controls;
};

// Whether the dialog may open: a pairing is current and the selected blue
// star has a partner.
bool canOpenStarProperties(const Workspace& ws);

// The information text: string 19 filled for the pair.
std::string starInformation(const Workspace& ws, int blueStar, int greenStar);

// The dialog on the selected pair, as it opens.
StarPropertiesDialog openStarProperties(const Workspace& ws);

// The leading decimal number of an edit's text; 0.0 without one.
float leadingNumber(std::string_view text);

// The text of the V edit (props::VMagnitude) or the B-V edit changed.
void starPropertiesTextChanged(StarPropertiesDialog& d, int control, std::string_view text);

// A click on "Calibration star" or "Ignore star"; `checked` is the new state.
void starPropertiesCalibrationClicked(StarPropertiesDialog& d, bool checked);
void starPropertiesIgnoreClicked(StarPropertiesDialog& d, bool checked);

// OK: true when the dialog closes, false when message 20 or 21 (owned by the
// dialog) keeps it open. Cancel changes nothing and needs no call.
bool starPropertiesOk(Workspace& ws, WindowPort& port, StarPropertiesDialog& d);

}  // namespace orelith
