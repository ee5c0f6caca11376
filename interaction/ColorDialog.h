// The "Color configuration" dialog without its window: field 1027 + n edits
// byte n of the colour table.
#pragma once

#include <string_view>
#include <vector>

#include "image/DialogControl.h"
#include "image/WindowPort.h"
#include "image/Workspace.h"

namespace orelith {

inline constexpr int kColorBytes = 21;

struct ColorDialog {
  int working[kColorBytes] = {};
  bool changed[kColorBytes] = {};
  std::vector<DialogControl> controls;
};

ColorDialog openColorDialog(const Workspace& ws);
void colorFieldChanged(ColorDialog& d, WindowPort& port, int controlId, std::string_view text);
// OK: writes the changed bytes and redraws both panels.
void colorOk(Workspace& ws, WindowPort& port, const ColorDialog& d);

}  // namespace orelith
