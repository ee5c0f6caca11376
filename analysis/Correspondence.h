// Pairing the stars of the blue image with those of the green image: the
// automatic offset search, the manual offset of the arrow buttons and the
// affine map through three hand-set reference pairs.
#pragma once

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

// What "Compare images" did.
enum class CompareStatus {
  Paired,                  // at the best or the manual offset
  PairEntryStarted,        // "Rotate images": three reference pairs are awaited
  PairEntryEndedAPairing,  // the same, and the pairing that was current is gone
};

// The "Compare images" button's work. With "Rotate images" it starts the
// entry of three reference pairs (ending any current pairing, so that star
// clicks fill the pending pair); otherwise it pairs at the best offset found
// in -5..+5 (automatic) or at the offset set with the arrows ("Manually").
// When no offset gives any overlap the automatic search leaves the offset at
// (0, 0). Unless both frames are ST-6 frames, the automatic offset comes first
// from the star patterns, up to a quarter of the frames' width and height. A pairing sets
// PRG_COMPARED and clears PRG_CALIBRATION_STAR.
CompareStatus compareImages(Workspace& ws);

enum class PairSetStatus {
  NotASlot,    // slot beyond 0..2: nothing happens
  Incomplete,  // the pending pair lacks a half: nothing stored
  Taken,       // a star of the pending pair is in another slot: nothing stored
  Stored,      // the pair is stored; slots remain to be set
  OnOneLine,   // the third pair is stored, but the three blue stars span no plane
  Complete,    // the third pair is stored and gives a map
};

// Buttons "Set 1" to "Set 3" (slot 0..2): stores the pending pair. A star
// already chosen for another slot is refused, as the map would then rest on
// two points; three blue stars on one line give no map: the entry stays open
// for another pair.
PairSetStatus setReferencePair(Workspace& ws, int slot);

// After a Complete pair: the entry ends (no star selected), then
// pairByReferencePairs maps every blue star into the green image through the
// three pairs and records the pairing. The window redraws between the two.
void endPairEntry(Workspace& ws);
void pairByReferencePairs(Workspace& ws);

enum class MoveStatus { Moved, AtLimit };

// One arrow button press: shifts the green image by one pixel; an offset at
// 16 pixels goes no further.
MoveStatus moveGreenImage(Workspace& ws, MoveDirection dir);

// The offset that arrow presses from (0, 0) would reach, each part clamped to
// -16..+16, and the green rectangle on the blue one shifted by it.
void setManualOffset(Workspace& ws, int dx, int dy);

// A star click during the pair entry: selects star `starNumber` of `image`
// and writes it into that image's half of the pending pair. The other
// image's selection stays. Numbers that are no star of the image are ignored.
// The caller reveals the list row and renders the panels.
void pickPendingStar(Workspace& ws, int image, int starNumber);

}  // namespace orelith
