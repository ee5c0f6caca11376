#include "photometry/StarProperties.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "base/Number.h"
#include "resources/ControlIds.h"
#include "resources/NumberText.h"
#include "resources/StringTable.h"

namespace orelith {
namespace {

void enableCalibrationControls(WindowPort& port, bool on) {
  port.setEnabled(ctl::CalculateMagnitudes, on);
  port.setEnabled(ctl::CurveViewBlue, on);
  port.setEnabled(ctl::CurveViewGreen, on);
}

void enableEdits(StarPropertiesDialog& d, bool on) {
  dialogControl(d.controls, props::VMagnitude).enabled = on;
  dialogControl(d.controls, props::BMinusV).enabled = on;
}

int entryOf(const Workspace& ws, int blueStar) {
  for (int e = 0; e < ws.calibration.count; ++e)
    if (ws.calibration.entries[e].blue == blueStar) return e;
  return -1;
}

std::string formatF(float value) { return fixedText(static_cast<double>(value), 6); }

void acceptCalibrationStar(Workspace& ws, WindowPort& port, const StarPropertiesDialog& d) {
  enableCalibrationControls(port, true);
  ws.progressFlags |= PRG_CALIBRATION_STAR;
  StarRecord& blue = star(ws, kBlue, d.blueStar);
  blue.magnitudeB = d.enteredV + d.enteredBMinusV;
  blue.magnitudeV = d.enteredV;
  blue.marks |= MARK_CALIBRATION;
  star(ws, kGreen, d.greenStar).marks |= MARK_CALIBRATION;
  if (entryOf(ws, d.blueStar) < 0)
    ws.calibration.entries[ws.calibration.count++] = {d.blueStar, d.greenStar};
}

void withdrawCalibrationStar(Workspace& ws, WindowPort& port, const StarPropertiesDialog& d) {
  StarRecord& blue = star(ws, kBlue, d.blueStar);
  if (!hasBit(blue.marks, MARK_CALIBRATION)) return;
  blue.marks &= ~MARK_CALIBRATION;
  star(ws, kGreen, d.greenStar).marks &= ~MARK_CALIBRATION;
  if (const int e = entryOf(ws, d.blueStar); e >= 0) {
    // The green star marked when the entry was made, should a later
    // comparison have paired the blue star differently.
    star(ws, kGreen, ws.calibration.entries[e].green).marks &= ~MARK_CALIBRATION;
    for (int k = e; k + 1 < ws.calibration.count; ++k)
      ws.calibration.entries[k] = ws.calibration.entries[k + 1];
    --ws.calibration.count;
  }
  if (ws.calibration.count == 0) {
    enableCalibrationControls(port, false);
    ws.progressFlags &= ~PRG_CALIBRATION_STAR;
  }
}

}  // namespace

bool canOpenStarProperties(const Workspace& ws) {
  const int blue = ws.selectedStar[kBlue];
  return hasBit(ws.progressFlags, PRG_COMPARED) && blue >= 0 && blue < ws.starCount[kBlue] &&
         star(ws, kBlue, blue).partner != -1 && ws.selectedStar[kGreen] >= 0;
}

std::string starInformation(const Workspace& ws, int blueStar, int greenStar) {
  const StarRecord& b = star(ws, kBlue, blueStar);
  const StarRecord& g = star(ws, kGreen, greenStar);
  const std::string format(stringText(str::StarInformation));
  char text[550];
  std::snprintf(text, sizeof text, format.c_str(), blueStar, static_cast<int>(b.brightness),
                static_cast<int>(b.pixelCount), static_cast<int>(g.brightness),
                static_cast<int>(g.pixelCount), static_cast<int>(b.x), static_cast<int>(b.y));
  return text;
}

StarPropertiesDialog openStarProperties(const Workspace& ws) {
  StarPropertiesDialog d;
  d.blueStar = ws.selectedStar[kBlue];
  d.greenStar = ws.selectedStar[kGreen];
  d.controls = {makeControl(props::Information, starInformation(ws, d.blueStar, d.greenStar)),
                makeControl(props::VMagnitude, "", false, false),
                makeControl(props::BMinusV, "", false, false), makeControl(props::CalibrationStar),
                makeControl(props::IgnoreStar)};
  const StarRecord& blue = star(ws, kBlue, d.blueStar);
  if (hasBit(blue.marks, MARK_IGNORE)) {
    dialogControl(d.controls, props::IgnoreStar).checked = true;
    dialogControl(d.controls, props::CalibrationStar).enabled = false;
  }
  d.calibrationRequested = hasBit(blue.marks, MARK_CALIBRATION);
  if (d.calibrationRequested) {
    dialogControl(d.controls, props::CalibrationStar).checked = true;
    enableEdits(d, true);
    // Writing an edit's text raises its change handling, so the entered
    // values become the six-decimal values shown.
    starPropertiesTextChanged(d, props::BMinusV, formatF(blue.magnitudeB - blue.magnitudeV));
    starPropertiesTextChanged(d, props::VMagnitude, formatF(blue.magnitudeV));
  }
  return d;
}

float leadingNumber(std::string_view text) {
  const auto value = static_cast<float>(leadingDecimal(text).value_or(0.0));
  return std::isfinite(value) ? value : 0.0f;
}

void starPropertiesTextChanged(StarPropertiesDialog& d, int control, std::string_view text) {
  if (control != props::VMagnitude && control != props::BMinusV) return;
  dialogControl(d.controls, control).text = text;
  (control == props::VMagnitude ? d.enteredV : d.enteredBMinusV) = leadingNumber(text);
}

void starPropertiesCalibrationClicked(StarPropertiesDialog& d, bool checked) {
  d.calibrationRequested = checked;
  dialogControl(d.controls, props::CalibrationStar).checked = checked;
  enableEdits(d, checked);
}

void starPropertiesIgnoreClicked(StarPropertiesDialog& d, bool checked) {
  dialogControl(d.controls, props::IgnoreStar).checked = checked;
  dialogControl(d.controls, props::CalibrationStar).enabled = !checked;
  enableEdits(d, !checked && d.calibrationRequested);
}

bool starPropertiesOk(Workspace& ws, WindowPort& port, StarPropertiesDialog& d) {
  StarRecord& blue = star(ws, kBlue, d.blueStar);
  if (dialogControl(d.controls, props::IgnoreStar).checked) {
    blue.marks |= MARK_IGNORE;
    d.calibrationRequested = false;
  } else {
    blue.marks &= ~MARK_IGNORE;
  }
  if (d.calibrationRequested) {
    if (ws.calibration.count == kMaxCalibrationStars) {
      port.showMessage(str::TooManyCalibrationStars, MessageOwner::Dialog);
      return false;
    }
    if (d.enteredV == 0.0f) {
      port.showMessage(str::EnterVMagnitude, MessageOwner::Dialog);
      return false;
    }
    acceptCalibrationStar(ws, port, d);
    return true;
  }
  withdrawCalibrationStar(ws, port, d);
  return true;
}

}  // namespace orelith
