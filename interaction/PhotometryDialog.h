// The "Photometry configuration" dialog without its window: how the science
// results are computed (the method, the aperture and its sky annulus, the
// detector, the saturation level, the model, the flagged calibration
// stars). OK writes the workspace's science settings, which the next
// "Calculate magnitudes" uses, after the checks the batch tool makes of its
// options.
#pragma once

#include <string_view>

#include "image/Workspace.h"
#include "interaction/DialogControl.h"
#include "interaction/WindowPort.h"

namespace orelith {

// The numbers live in their fields' texts and the choices in the boxes'
// states until OK reads them.
struct PhotometryDialog {
  DialogControls<PhotometryControl> controls;
};

PhotometryDialog openPhotometryDialog(const Workspace& ws);
// A number field's text changed: a value above its bound puts the bound
// back with a beep; lower bounds and the annulus's order wait for OK, since
// a number on its way ("0." of "0.5") may pass below them.
void photometryFieldChanged(PhotometryDialog& d, WindowPort& port, PhotometryControl field,
                            std::string_view text);
// A radio button or check box was clicked; `checked` is its new state. An
// "Automatic" box greys the fields it stands for.
void photometryBoxClicked(PhotometryDialog& d, PhotometryControl box, bool checked);
// The settings the dialog shows; a field left to the user but empty or 0
// gives -1, which no bound holds.
ScienceSettings photometrySettings(const PhotometryDialog& d);
// OK: true when the settings were written and the dialog closes; false when
// the first setting out of its bounds was named in a message over the
// dialog, which stays open.
bool photometryOk(Workspace& ws, WindowPort& port, const PhotometryDialog& d);

}  // namespace orelith
