// What the main window's display controls set: the background text fields,
// the background sliders and the range sliders of both images.
#pragma once

#include <string_view>

#include "image/Workspace.h"

namespace orelith {

inline constexpr int kMaxBackground = 65535;
// A floating-point frame's level lies within -1e38..1e38, about the range of
// its 32-bit values.
inline constexpr double kMaxFloatBackground = 1e38;

// The panel a change of image's display parameters redraws: the blue ones
// always panel 0, the green ones panel 1, or panel 0 in move mode.
int panelForDisplayOf(const Workspace& ws, int image);

enum class FieldStatus { Taken, Bounded };

// The text of image's background field: its leading decimal digits are the
// value, an empty text 0. The value becomes the field's value and the
// BackgroundLevel; above 65535 it is 65535 and the field is Bounded (the
// window beeps and shows the bound again). A floating-point frame's field
// takes a sign and a point too: its value is the number the text begins
// with, bounded to -1e38..1e38.
FieldStatus takeBackgroundText(Workspace& ws, int image, std::string_view text);

// The background slider of image was let go: field value + slider position,
// clamped to 0..65535 (to -1e38..1e38 for a floating-point frame), becomes
// the field's value and the background, and the slider position goes back
// to 0. Returns the new field value.
double foldBackgroundOffset(Workspace& ws, int image);

// After a load: an integer frame takes whole levels 0..65535 only, so a level
// a floating-point frame left in the image becomes the whole level that
// takes the same integer pixels (rounded down, then clamped). True when the
// field's value changed.
bool fitLevelToFrame(Workspace& ws, int image);

// After a load: the range unit of image's frame. An integer frame's is 1. A
// floating-point frame's is the power of ten that lets the slider's 1024
// steps span its values (from the lowest to the highest), at most 1: a frame
// of values in 0..1 gets 0.001, one of counts keeps 1.
void chooseRangeUnit(Workspace& ws, int image);

// The range slider position that gives `range` in image's range unit,
// rounded and held to 1..1024.
int rangePosition(const Workspace& ws, int image, double range);

// The range slider of image was let go at `position` (1..1024): keeps
// OPT_RANGE_ONE_BLUE / OPT_RANGE_ONE_GREEN in step (set exactly at 1, no other
// bit touched).
void takeRangePosition(Workspace& ws, int image, int position);

}  // namespace orelith
