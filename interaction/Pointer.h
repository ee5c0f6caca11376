// The pointer over the main window: panel hit tests, press, release, double
// click and movement, the selection-rectangle drag and the status bar.
// Coordinates are client coordinates of the main window.
#pragma once

#include "image/Workspace.h"
#include "interaction/WindowPort.h"

namespace orelith {

// The panel pixel under client point (x, y) in panel `image`, or false.
bool panelHit(int image, int x, int y, int& px, int& py);
// The frame pixel that panel pixel (px, py) of panel `image` shows (outside
// the frame where the panel shows none of it).
void framePixelAt(Workspace& ws, int image, int px, int py, int& fx, int& fy);
// The frame pixel a click on panel pixel (px, py) means: the one shown, or,
// zoomed out, the brightest star pixel of the block the panel pixel covers.
void starPixelAt(Workspace& ws, int image, int px, int py, int& fx, int& fy);

// The four events. `controlUnderPointer` is the visible child control under
// the point (disabled ones included), kNoControl for none. Each
// returns whether it handled the event; unhandled events get the window's
// default handling.
bool pointerMoved(Workspace& ws, WindowPort& port, int x, int y, ControlId controlUnderPointer);
bool leftButtonPressed(Workspace& ws, WindowPort& port, int x, int y);
bool leftButtonReleased(Workspace& ws, WindowPort& port, int x, int y);
bool leftButtonDoubleClicked(Workspace& ws, WindowPort& port, int x, int y);

// Status-bar help, position and brightness for the pointer at (x, y).
void showPointerInfo(Workspace& ws, WindowPort& port, int x, int y, ControlId controlUnderPointer);
// The help string of a control in the current state.
StringId helpString(const Workspace& ws, ControlId control);

// The selection drag, in frame pixels of the blue image.
void beginSelectionDrag(Workspace& ws, WindowPort& port, int px, int py);
void trackSelectionDrag(Workspace& ws, WindowPort& port, int px, int py);
void endSelectionDrag(Workspace& ws, WindowPort& port, int px, int py);

// A double click on pixel (px, py) of panel `image`.
void openPropertiesAtPixel(Workspace& ws, WindowPort& port, int image, int px, int py);

}  // namespace orelith
