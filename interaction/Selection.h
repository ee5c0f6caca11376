// Selecting stars: a click on a list row, a click on a star in a panel or on
// a calibration marker of a plot, and opening the star properties from the
// list. The selected stars live in ws.selectedStar.
#pragma once

#include <optional>

#include "image/StarRowKey.h"
#include "image/Workspace.h"
#include "interaction/WindowPort.h"

namespace orelith {

// A list row was clicked; `row` is the key of the row last selected by the
// user, none when the list has no selection mark.
void selectStarFromList(Workspace& ws, WindowPort& port, std::optional<StarRowKey> row);

// The button was released on pixel (x, y) of image `image`'s panel.
void selectStarAtPixel(Workspace& ws, WindowPort& port, int image, int x, int y);
void selectCalibrationMarker(Workspace& ws, WindowPort& port, int image, int x, int y);

// A pair was clicked in the colour-magnitude diagram: selected with its
// partner as a click on the blue star in its panel would.
void selectPlottedStar(Workspace& ws, WindowPort& port, int blueStar);

// A list row was double-clicked: opens the star properties of the selected
// pair when there is one, then redraws the curve views.
void openPropertiesFromList(Workspace& ws, WindowPort& port);

}  // namespace orelith
