// The core side of the main window's display controls: the background text
// fields, the background sliders and the range sliders of both images.
#pragma once

#include <string_view>

#include "image/WindowPort.h"
#include "image/Workspace.h"

namespace orelith {

inline constexpr int kMaxBackground = 65535;

// The panel a change of image's display parameters redraws: the blue ones
// always panel 0, the green ones panel 1, or panel 0 in move mode.
int panelForDisplayOf(const Workspace& ws, int image);

// The text of image's background field changed (also when the core itself
// wrote it). The leading decimal digits are the value, an empty text 0; above
// 65535 the field beeps and shows "65535" again. The value becomes the
// BackgroundLevel; then the panel is repainted.
void backgroundFieldChanged(Workspace& ws, WindowPort& port, int image, std::string_view text);

// The background slider of image was let go: field value + slider position,
// clamped to 0..65535, is written into the field and taken as background, and
// the slider is back at 0 before the repaint. The port has no call for a
// slider's position: the window sets its slider from
// ws.display.backgroundOffset after this returns.
void foldBackgroundSlider(Workspace& ws, WindowPort& port, int image);

// The range slider of image was let go at `position` (1..1024): keeps
// OPT_RANGE_ONE_BLUE / OPT_RANGE_ONE_GREEN in step (set exactly at 1, no other
// bit touched) and repaints.
void releaseRangeSlider(Workspace& ws, WindowPort& port, int image, int position);

}  // namespace orelith
