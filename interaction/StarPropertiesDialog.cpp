#include "interaction/StarPropertiesDialog.h"

#include <string>

#include "resources/NumberText.h"

namespace orelith {
namespace {

using P = StarPropertiesControl;

void enableCalibrationControls(WindowPort& port, bool on) {
  port.setEnabled(ctl::CalculateMagnitudes, on);
  port.setEnabled(ctl::CurveViewBlue, on);
  port.setEnabled(ctl::CurveViewGreen, on);
}

void enableEdits(StarPropertiesDialog& d, bool on) {
  d.controls[P::VMagnitude].enabled = on;
  d.controls[P::BMinusV].enabled = on;
}

std::string formatF(float value) { return fixedText(static_cast<double>(value), 6); }

}  // namespace

StarPropertiesDialog openStarProperties(const Workspace& ws) {
  StarPropertiesDialog d;
  d.blueStar = ws.selectedStar[kBlue];
  d.greenStar = ws.selectedStar[kGreen];
  d.controls.add(P::Information, starInformation(ws, d.blueStar, d.greenStar));
  d.controls.add(P::VMagnitude, "", false, false);
  d.controls.add(P::BMinusV, "", false, false);
  d.controls.add(P::CalibrationStar);
  d.controls.add(P::IgnoreStar);
  d.controls.add(P::ScienceNotes);
  const StarRecord& blue = star(ws, kBlue, d.blueStar);
  if (hasBit(blue.marks, MARK_IGNORE)) {
    d.controls[P::IgnoreStar].checked = true;
    d.controls[P::CalibrationStar].enabled = false;
  }
  d.calibrationRequested = hasBit(blue.marks, MARK_CALIBRATION);
  if (d.calibrationRequested) {
    d.controls[P::CalibrationStar].checked = true;
    enableEdits(d, true);
    // Writing an edit's text raises its change handling, so the entered
    // values become the six-decimal values shown.
    starPropertiesTextChanged(d, P::BMinusV, formatF(blue.magnitudeB - blue.magnitudeV));
    starPropertiesTextChanged(d, P::VMagnitude, formatF(blue.magnitudeV));
  }
  return d;
}

void starPropertiesTextChanged(StarPropertiesDialog& d, StarPropertiesControl control,
                               std::string_view text) {
  if (control != P::VMagnitude && control != P::BMinusV) return;
  d.controls[control].text = text;
  (control == P::VMagnitude ? d.enteredV : d.enteredBMinusV) = leadingNumber(text);
}

void starPropertiesCalibrationClicked(StarPropertiesDialog& d, bool checked) {
  d.calibrationRequested = checked;
  d.controls[P::CalibrationStar].checked = checked;
  enableEdits(d, checked);
}

void starPropertiesIgnoreClicked(StarPropertiesDialog& d, bool checked) {
  d.controls[P::IgnoreStar].checked = checked;
  d.controls[P::CalibrationStar].enabled = !checked;
  enableEdits(d, !checked && d.calibrationRequested);
}

bool starPropertiesOk(Workspace& ws, WindowPort& port, StarPropertiesDialog& d) {
  const bool ignore = d.controls[P::IgnoreStar].checked;
  if (ignore) d.calibrationRequested = false;
  const Outcome<CalibrationEdit> edit = applyStarProperties(
      ws, {d.blueStar, d.greenStar, ignore, d.calibrationRequested, d.enteredV, d.enteredBMinusV});
  if (edit.message) {
    port.showMessage(*edit.message, MessageOwner::Dialog);
    return false;
  }
  if (edit.status == CalibrationEdit::Accepted) enableCalibrationControls(port, true);
  if (edit.status == CalibrationEdit::LastWithdrawn) enableCalibrationControls(port, false);
  return true;
}

}  // namespace orelith
