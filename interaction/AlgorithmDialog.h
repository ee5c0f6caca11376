// The "Algorithm configuration" dialog without its window: pending values,
// the changed mask and the state of each control; OK writes back.
#pragma once

#include <string_view>

#include "image/Workspace.h"
#include "interaction/DialogControl.h"
#include "interaction/WindowPort.h"

namespace orelith {

// Groups of controls the user touched since the dialog opened.
enum AlgorithmChanged : unsigned {
  kChangedAlgorithm = 0x1,
  kChangedManually = 0x2,
  kChangedRotate = 0x4,
  kChangedSubtract = 0x8,
  kChangedAutoBackground = 0x10,
};

struct AlgorithmDialog {
  AlgorithmSettings pending;
  unsigned changed = 0;
  DialogControls<AlgorithmControl> controls;  // every control with an identifier
};

AlgorithmDialog openAlgorithmDialog(const Workspace& ws);
// A number field's text changed: the pending value, or the bound put back
// with a beep.
void algorithmFieldChanged(AlgorithmDialog& d, WindowPort& port, AlgorithmControl field,
                           std::string_view text);
// A radio button or check box was clicked; `checked` is its new state.
void algorithmBoxClicked(AlgorithmDialog& d, AlgorithmControl box, bool checked);
// OK: writes the pending values and the touched options, shows or hides the
// move controls. Cancel writes nothing and needs no call.
void algorithmOk(Workspace& ws, WindowPort& port, const AlgorithmDialog& d);

}  // namespace orelith
