// Turning the state into the 24-bit picture of a panel.
#pragma once

#include <cstdint>

#include "image/Workspace.h"
#include "photometry/FlagTable.h"

namespace orelith {

inline constexpr int kMinRange = 1;
inline constexpr int kMaxRange = 1024;

// Grey level (0..255) of pixel value `value` over effective background
// `background` with range `range`: (value - background) clamped at 0, divided
// by the range, clamped at 1, times 255, plus 0.5, truncated.
std::uint8_t greyLevel(int value, double background, int range);
// The same rule for any value and range: a floating-point frame's grey.
std::uint8_t greyOfValue(double value, double background, double range);

// The range slider's position times the image's range unit: the span of
// values from black to white (display/DisplayControls.h).
double effectiveRange(const Workspace& ws, int image);

// BackgroundLevel plus the background slider's offset: the background every
// render of `image` subtracts.
double effectiveBackground(const Workspace& ws, int image);

// The background slider's offset in the frame's values: a step is worth the
// range slider's unit, so that a floating-point frame of small values moves
// its level by fractions too.
double backgroundOffsetValue(const Workspace& ws, int image);

// The panel that shows the green display parameters: in move mode the green
// image is part of the overlay in the blue panel.
int panelForGreenDisplay(const Workspace& ws);

// Rebuilds picture buffer `image` (panel 0 or 1) from the current state. Only
// the 375 pixels of each row are written; the three padding bytes at the end
// of a row keep whatever they held. Showing the buffer is the window's job.
// With "Show flagged stars" on and a table of the stars' flags, each flagged
// star of the image (hot, large, saturated, at an edge, blended) gets a ring
// before the highlights; without either the picture is as it ever was.
void renderImage(Workspace& ws, int image, const FlagTable* flags = nullptr);

// The colour of the flagged stars' rings: none of the colour table's seven,
// which all mean something else, and bright on grey and on both colour maps.
inline constexpr std::uint8_t kFlaggedRingRgb[3] = {255, 140, 0};
// The radius of the ring round a star of `pixelCount` pixels: two pixels
// beyond the disc of that area.
int flaggedRingRadius(int pixelCount);

// The number of the calibration entry whose marker a curve view in picture
// `panel` shows at pixel (x, y), or -1 where it shows none.
int calibrationMarkerAt(const Workspace& ws, int panel, int x, int y);

}  // namespace orelith
