#include "interaction/ColorDialog.h"

#include <string>

#include "interaction/NumberField.h"

namespace orelith {

ColorDialog openColorDialog(const Workspace& ws) {
  ColorDialog d;
  for (int n = 0; n < kColorBytes; ++n) {
    d.working[n] = ws.display.colorTable[n];
    d.controls.add(colorField(n), std::to_string(d.working[n]));
  }
  d.controls.add(ColorControl::Ok);
  d.controls.add(ColorControl::Cancel);
  return d;
}

void colorFieldChanged(ColorDialog& d, WindowPort& port, ColorControl id, std::string_view text) {
  const int n = idNumber(id) - idNumber(ColorControl::FirstField);
  if (n < 0 || n >= kColorBytes) return;
  DialogControl& field = d.controls[id];
  field.text = text;
  d.changed[n] = true;
  int value = leadingDigits(text, 255);
  if (value > 255 || value < 0) {
    port.beep();
    value = value > 255 ? 255 : 0;
    field.text = std::to_string(value);
  }
  d.working[n] = value;
}

void colorOk(Workspace& ws, WindowPort& port, const ColorDialog& d) {
  for (int n = 0; n < kColorBytes; ++n)
    if (d.changed[n]) ws.display.colorTable[n] = static_cast<std::uint8_t>(d.working[n]);
  port.repaint(kBlue);
  port.repaint(kGreen);
}

}  // namespace orelith
