#include "interaction/DisplayDialog.h"

#include <string>

#include "interaction/Commands.h"
#include "interaction/NumberField.h"

namespace orelith {
namespace {

using D = DisplayControl;

constexpr int kMinFrequency = 1;
constexpr int kMaxFrequency = 24;

// Each check box of the dialog, its option bit (also its bit of the touched
// mask) and the main window's box of the same setting, in the order OK
// writes them. "Draw calibration stars" is on while its bit is clear.
struct Box {
  DisplayControl id;
  std::uint32_t bit;
  ControlId mainBox;  // kNoControl for none
};
constexpr Box kBoxes[] = {
    {D::CustomColorsBlue, OPT_CUSTOM_COLORS_BLUE, ctl::CustomColorsBlue},
    {D::CustomColorsGreen, OPT_CUSTOM_COLORS_GREEN, ctl::CustomColorsGreen},
    {D::AutoUpdateBlue, OPT_AUTO_UPDATE_BLUE, ctl::AutoUpdateBlue},
    {D::AutoUpdateGreen, OPT_AUTO_UPDATE_GREEN, ctl::AutoUpdateGreen},
    {D::ComplexOutput, OPT_COMPLEX_OUTPUT, kNoControl},
    {D::DrawCalibration, OPT_HIDE_CALIBRATION, kNoControl},
    {D::ThickStars, OPT_THICK_CMD_STARS, kNoControl},
    {D::ShowFlagged, OPT_SHOW_FLAGGED, kNoControl},
};

bool boxOn(std::uint32_t options, const Box& b) {
  const bool set = hasBit(options, b.bit);
  return b.id == D::DrawCalibration ? !set : set;
}

}  // namespace

DisplayDialog openDisplayDialog(const Workspace& ws) {
  DisplayDialog d;
  for (const Box& b : kBoxes) d.controls.add(b.id, "", boxOn(ws.optionFlags, b));
  d.controls.add(D::Frequency, std::to_string(ws.display.autoUpdateFrequency));
  for (DisplayControl id : {D::Deselect, D::Ok, D::Cancel}) d.controls.add(id);
  return d;
}

void displayBoxClicked(DisplayDialog& d, DisplayControl box, bool checked) {
  for (const Box& b : kBoxes) {
    if (b.id != box) continue;
    d.touched |= b.bit;
    d.controls[box].checked = checked;
  }
}

void displayFrequencyChanged(DisplayDialog& d, Workspace& ws, WindowPort& port,
                             std::string_view text) {
  DialogControl& field = d.controls[D::Frequency];
  field.text = text;
  int value = leadingDigits(text, kMaxFrequency);
  if (value > kMaxFrequency || value < kMinFrequency) {
    port.beep();
    value = value > kMaxFrequency ? kMaxFrequency : kMinFrequency;
    field.text = std::to_string(value);
  }
  // Stored at once: Cancel does not undo it.
  ws.display.autoUpdateFrequency = value;
}

void displayDeselect(Workspace& ws, WindowPort& port) {
  ws.optionFlags &= ~static_cast<std::uint32_t>(OPT_SELECTION_SHOWN);
  ws.selectedStar[kBlue] = kNoStar;
  ws.selectedStar[kGreen] = kNoStar;
  port.repaint(kBlue);
  port.repaint(kGreen);
}

void displayOk(Workspace& ws, WindowPort& port, const DisplayDialog& d) {
  for (const Box& b : kBoxes) {
    if (!(d.touched & b.bit)) continue;
    const bool on = d.controls[b.id].checked;
    setBit(ws.optionFlags, b.bit, b.id == D::DrawCalibration ? !on : on);
    if (b.mainBox != kNoControl) port.setChecked(b.mainBox, on);
    // A ticked "Auto update" box always means a running update, one at a
    // time, as the main window's own boxes keep it.
    if (b.id == D::AutoUpdateBlue) setAutoUpdate(ws, port, kBlue);
    if (b.id == D::AutoUpdateGreen) setAutoUpdate(ws, port, kGreen);
  }
  // Ours, unlike the others, shows at once: the user asked to see the
  // flagged stars now.
  if (d.touched & OPT_SHOW_FLAGGED) {
    port.repaint(kBlue);
    port.repaint(kGreen);
  }
}

}  // namespace orelith
