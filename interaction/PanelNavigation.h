// Moving about a frame in its panel: the wheel and the keys zoom, a drag
// with the middle button and the scroll bars pan. Each change is held within
// the frame's bounds (display/PanelView.h) and redraws the panel.
// Coordinates are client coordinates of the main window.
#pragma once

#include "image/Workspace.h"
#include "interaction/WindowPort.h"

namespace orelith {

enum class ZoomKey {
  In,        // "+"
  Out,       // "-"
  OneToOne,  // "1": one screen pixel a frame pixel
  Fit        // "0": the whole frame, as after loading
};

enum class ScrollAxis { Horizontal, Vertical };

// Whether panel `image` shows its frame through a view that can change: the
// frame is loaded, and the panel shows neither the calibration plot nor the
// empty green panel of move mode.
bool viewMovable(const Workspace& ws, int image);

// The wheel turned by `steps` notches (positive away from the user: in)
// over client point (x, y); zooms about that point. False off the panels.
bool wheelTurned(Workspace& ws, WindowPort& port, int x, int y, int steps);
// A zoom key pressed while panel `image` has the focus; zooms about the
// panel's centre.
void zoomKeyPressed(Workspace& ws, WindowPort& port, int image, ZoomKey key);

// The middle button: a press over a panel begins a pan, each movement moves
// the frame with the pointer, the release ends it. False where nothing
// happened.
bool middleButtonPressed(Workspace& ws, int x, int y);
bool middleButtonMoved(Workspace& ws, WindowPort& port, int x, int y);
void middleButtonReleased(Workspace& ws);

// Moves the view of panel `image` so that it centres star `number` when the
// panel does not show the star's position; a star selected in the list or
// the diagram, or the partner of one clicked, is then seen. The caller
// repaints.
void bringStarIntoView(Workspace& ws, int image, int number);

// A scroll bar of panel `image`, in frame pixels: what it shows and where
// its thumb is, and the user moving it to `value`.
struct ScrollRange {
  bool shown = false;  // only while the panel shows part of the frame along the axis
  int maximum = 0;     // thumb positions 0..maximum
  int page = 0;        // frame pixels the panel shows along the axis
  int value = 0;
  bool operator==(const ScrollRange&) const = default;
};
ScrollRange scrollRange(Workspace& ws, int image, ScrollAxis axis);
void scrolledTo(Workspace& ws, WindowPort& port, int image, ScrollAxis axis, int value);

}  // namespace orelith
