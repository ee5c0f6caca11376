#include "interaction/DisplayDialog.h"

#include <string>

#include "interaction/Commands.h"
#include "interaction/NumberField.h"
#include "resources/ControlIds.h"

namespace orelith {
namespace {

namespace d7 = displaydlg;

constexpr int kMinFrequency = 1;
constexpr int kMaxFrequency = 24;

// Each check box of the dialog, its option bit (also its bit of the touched
// mask) and the main window's box of the same setting, in the order OK
// writes them. "Draw calibration stars" is on while its bit is clear.
struct Box {
  int id;
  std::uint32_t bit;
  int mainBox;  // 0 for none
};
constexpr Box kBoxes[] = {
    {d7::CustomColorsBlue, OPT_CUSTOM_COLORS_BLUE, ctl::CustomColorsBlue},
    {d7::CustomColorsGreen, OPT_CUSTOM_COLORS_GREEN, ctl::CustomColorsGreen},
    {d7::AutoUpdateBlue, OPT_AUTO_UPDATE_BLUE, ctl::AutoUpdateBlue},
    {d7::AutoUpdateGreen, OPT_AUTO_UPDATE_GREEN, ctl::AutoUpdateGreen},
    {d7::ComplexOutput, OPT_COMPLEX_OUTPUT, 0},
    {d7::DrawCalibration, OPT_HIDE_CALIBRATION, 0},
    {d7::ThickStars, OPT_THICK_CMD_STARS, 0},
};

bool boxOn(std::uint32_t options, const Box& b) {
  const bool set = hasBit(options, b.bit);
  return b.id == d7::DrawCalibration ? !set : set;
}

}  // namespace

DisplayDialog openDisplayDialog(const Workspace& ws) {
  DisplayDialog d;
  for (const Box& b : kBoxes) d.controls.push_back(makeControl(b.id, "", boxOn(ws.optionFlags, b)));
  d.controls.push_back(makeControl(d7::Frequency, std::to_string(ws.display.autoUpdateFrequency)));
  for (int id : {d7::Deselect, d7::Ok, d7::Cancel}) d.controls.push_back(makeControl(id));
  return d;
}

void displayBoxClicked(DisplayDialog& d, int controlId, bool checked) {
  for (const Box& b : kBoxes) {
    if (b.id != controlId) continue;
    d.touched |= b.bit;
    dialogControl(d.controls, controlId).checked = checked;
  }
}

void displayFrequencyChanged(DisplayDialog& d, Workspace& ws, WindowPort& port,
                             std::string_view text) {
  DialogControl& field = dialogControl(d.controls, d7::Frequency);
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
    const bool on = dialogControl(d.controls, b.id).checked;
    setBit(ws.optionFlags, b.bit, b.id == d7::DrawCalibration ? !on : on);
    if (b.mainBox != 0) port.setChecked(b.mainBox, on);
    // A ticked "Auto update" box always means a running update, one at a
    // time, as the main window's own boxes keep it.
    if (b.id == d7::AutoUpdateBlue) setAutoUpdate(ws, port, kBlue);
    if (b.id == d7::AutoUpdateGreen) setAutoUpdate(ws, port, kGreen);
  }
}

}  // namespace orelith
