// The "Color configuration" dialog without its window: field n edits byte n
// of the colour table.
#pragma once

#include <string_view>

#include "image/Workspace.h"
#include "interaction/DialogControl.h"
#include "interaction/WindowPort.h"

namespace orelith {

inline constexpr int kColorBytes = 21;

struct ColorDialog {
  int working[kColorBytes] = {};
  bool changed[kColorBytes] = {};
  DialogControls<ColorControl> controls;
};

ColorDialog openColorDialog(const Workspace& ws);
void colorFieldChanged(ColorDialog& d, WindowPort& port, ColorControl field, std::string_view text);
// OK: writes the changed bytes and redraws both panels.
void colorOk(Workspace& ws, WindowPort& port, const ColorDialog& d);

}  // namespace orelith
