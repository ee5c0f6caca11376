// The "Star properties" dialog without its window: what opening it, its
// check boxes, its edits and its OK run. Effects on the dialog's controls
// and the main window go through the port; the dialog closes when OK says so.
#pragma once

#include <string>
#include <string_view>

#include "image/WindowPort.h"
#include "image/Workspace.h"

namespace orelith {

// State of one open dialog.
struct StarPropertiesDialog {
  int blueStar = -1;
  int greenStar = -1;
  float enteredV = 0.0f;
  float enteredBMinusV = 0.0f;
  bool calibrationRequested = false;  // mirrors "Calibration star"
  bool ignoreChecked = false;         // "Ignore star"
};

// Whether the dialog may open: a pairing is current and the selected blue
// star has a partner.
bool canOpenStarProperties(const Workspace& ws);

// The information text: string 19 filled for the pair.
std::string starInformation(const Workspace& ws, int blueStar, int greenStar);

// Opens the dialog on the selected pair.
StarPropertiesDialog openStarProperties(const Workspace& ws, WindowPort& port);

// The leading decimal number of an edit's text; 0.0 without one.
float leadingNumber(std::string_view text);

// The text of the V edit (props::VMagnitude) or the B-V edit changed.
void starPropertiesTextChanged(StarPropertiesDialog& d, int control, std::string_view text);

void starPropertiesCalibrationClicked(StarPropertiesDialog& d, WindowPort& port, bool checked);
void starPropertiesIgnoreClicked(StarPropertiesDialog& d, WindowPort& port, bool checked);

// OK: true when the dialog closes, false when a message keeps it open.
bool starPropertiesOk(Workspace& ws, WindowPort& port, StarPropertiesDialog& d);

}  // namespace orelith
