// What the "Star properties" dialog reads and writes: the information text of
// a pair, and its OK, which marks the pair ignored or not and enters it into
// the calibration list or withdraws it.
#pragma once

#include <string>
#include <string_view>

#include "image/Outcome.h"
#include "image/Workspace.h"

namespace orelith {

// Whether the dialog may open: a pairing is current and the selected blue
// star has a partner.
bool canOpenStarProperties(const Workspace& ws);

// The information text: the star information string filled for the pair.
std::string starInformation(const Workspace& ws, int blueStar, int greenStar);

// The leading decimal number of an edit's text; 0.0 without one.
float leadingNumber(std::string_view text);

// The dialog's values at OK.
struct StarPropertiesEntry {
  int blueStar;
  int greenStar;
  bool ignore;       // "Ignore star" ticked
  bool calibration;  // "Calibration star" ticked
  float v;           // the V and B-V typed
  float bMinusV;
};

enum class CalibrationEdit {
  Accepted,       // the pair is a calibration star, listed once
  ListFull,       // refused, nothing listed: the list holds calibrationCapacity() stars
  NoVMagnitude,   // refused: a calibration star needs a V other than 0
  Withdrawn,      // the pair left the list; others remain
  LastWithdrawn,  // the pair left the list, which is now empty
  Unchanged,      // no calibration star before or after
};

// OK: the ignore mark follows the box; an ignored pair is no calibration
// star. A refusal names its message; the ignore mark is written all the same.
Outcome<CalibrationEdit> applyStarProperties(Workspace& ws, const StarPropertiesEntry& entry);

}  // namespace orelith
