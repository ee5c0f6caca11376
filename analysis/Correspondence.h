// Pairing the stars of the blue image with those of the green image: the
// automatic offset search, the manual offset of the arrow buttons and the
// affine map through three hand-set reference pairs.
#pragma once

#include "image/WindowPort.h"
#include "image/Workspace.h"

namespace orelith {

// The four arrow buttons; the names say where the green image moves on screen.
enum class MoveDirection { Up, Right, Down, Left };

// Pairs stars at the current image offset: every blue star pixel (inside the
// blue rectangle) lying on a green star pixel (inside the green rectangle)
// links both stars, the last such pixel in row-major order winning. Returns
// the number of those pixel positions. Only labels that name a star
// (starAtPixel) count: a pixel no search of its image wrote is no star.
int matchAtOffset(Workspace& ws);

// The "Compare images" button. With "Rotate images" it starts the entry of
// three reference pairs (ending any current pairing, so that star clicks fill
// the pending pair); otherwise it pairs at the best offset found in -5..+5
// (automatic) or at the offset set with the arrows ("Manually"). When no
// offset gives any overlap the automatic search leaves the offset at (0, 0).
void compareImages(Workspace& ws, WindowPort& port);

// Buttons "Set 1" to "Set 3" (slot 0..2): stores the pending pair; the third
// pair maps every blue star into the green image. Three blue stars on one
// line give no map: a beep, and the entry stays open for another pair.
void setReferencePair(Workspace& ws, WindowPort& port, int slot);

// One arrow button press: shifts the green image by one pixel (limit 16).
void moveGreenImage(Workspace& ws, WindowPort& port, MoveDirection dir);

// A star click during the pair entry: selects star `starNumber` of `image`
// and writes it into that image's half of the pending pair. The other
// image's selection stays. Numbers that are no star of the image are ignored.
// The caller reveals the list row and renders the panels.
void pickPendingStar(Workspace& ws, int image, int starNumber);

}  // namespace orelith
