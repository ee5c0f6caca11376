// What the main window's display controls set: the background text fields,
// the background sliders and the range sliders of both images.
#pragma once

#include <string_view>

#include "image/Workspace.h"

namespace orelith {

inline constexpr int kMaxBackground = 65535;

// The panel a change of image's display parameters redraws: the blue ones
// always panel 0, the green ones panel 1, or panel 0 in move mode.
int panelForDisplayOf(const Workspace& ws, int image);

enum class FieldStatus { Taken, Bounded };

// The text of image's background field: its leading decimal digits are the
// value, an empty text 0. The value becomes the field's value and the
// BackgroundLevel; above 65535 it is 65535 and the field is Bounded (the
// window beeps and shows the bound again).
FieldStatus takeBackgroundText(Workspace& ws, int image, std::string_view text);

// The background slider of image was let go: field value + slider position,
// clamped to 0..65535, becomes the field's value and the background, and the
// slider position goes back to 0. Returns the new field value.
int foldBackgroundOffset(Workspace& ws, int image);

// The range slider of image was let go at `position` (1..1024): keeps
// OPT_RANGE_ONE_BLUE / OPT_RANGE_ONE_GREEN in step (set exactly at 1, no other
// bit touched).
void takeRangePosition(Workspace& ws, int image, int position);

}  // namespace orelith
