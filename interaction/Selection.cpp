#include "interaction/Selection.h"

#include "analysis/Correspondence.h"
#include "display/Render.h"
#include "image/StarLabels.h"
#include "interaction/PanelNavigation.h"
#include "photometry/StarProperties.h"
#include "resources/ControlIds.h"

namespace orelith {
namespace {

// With pairs known, a star brings its partner: the key of its pair row, or
// of its own row when it has none.
StarRowKey selectWithPartner(Workspace& ws, int image, int s) {
  const int partner = star(ws, image, s).partner;
  ws.selectedStar[image] = s;
  ws.selectedStar[1 - image] = partner == -1 ? kNoStar : partner;
  return image == kBlue ? StarRowKey{s, ws.selectedStar[kGreen]}
                        : StarRowKey{ws.selectedStar[kBlue], s};
}

StarRowKey selectAlone(Workspace& ws, int image, int s) {
  ws.selectedStar[image] = s;
  ws.selectedStar[1 - image] = kNoStar;
  return image == kBlue ? StarRowKey{s, kNoStar} : StarRowKey{kNoStar, s};
}

void revealAndShow(Workspace& ws, WindowPort& port, StarRowKey key) {
  port.revealListRow(key);
  ws.optionFlags |= OPT_SELECTION_SHOWN;
  for (int image : {kBlue, kGreen}) bringStarIntoView(ws, image, ws.selectedStar[image]);
  port.repaint(kBlue);
  port.repaint(kGreen);
}

void repaintCurveViews(const Workspace& ws, WindowPort& port) {
  if (hasBit(ws.optionFlags, OPT_CURVE_VIEW_BLUE)) port.repaint(kBlue);
  if (hasBit(ws.optionFlags, OPT_CURVE_VIEW_GREEN)) port.repaint(kGreen);
}

}  // namespace

void selectStarFromList(Workspace& ws, WindowPort& port, std::optional<StarRowKey> row) {
  if (!row) return;
  ws.optionFlags |= OPT_SELECTION_SHOWN;
  if (row->blue != ws.selectedStar[kBlue]) {
    ws.selectedStar[kBlue] = row->blue;
    bringStarIntoView(ws, kBlue, row->blue);
    port.repaint(kBlue);
  }
  if (row->green != ws.selectedStar[kGreen]) {
    ws.selectedStar[kGreen] = row->green;
    bringStarIntoView(ws, kGreen, row->green);
    port.repaint(kGreen);
  }
}

void selectStarAtPixel(Workspace& ws, WindowPort& port, int image, int x, int y) {
  const int s = starAtPixel(ws, image, x, y);
  if (s < 0) return;
  StarRowKey key;
  if (hasBit(ws.progressFlags, PRG_COMPARED)) {
    key = selectWithPartner(ws, image, s);
  } else if (hasBit(ws.optionFlags, OPT_PAIR_ENTRY)) {
    // The click fills this image's half of the pending reference pair.
    pickPendingStar(ws, image, s);
    key = image == kBlue ? StarRowKey{s, kNoStar} : StarRowKey{kNoStar, s};
  } else {
    key = selectAlone(ws, image, s);
  }
  revealAndShow(ws, port, key);
}

void selectCalibrationMarker(Workspace& ws, WindowPort& port, int image, int x, int y) {
  const int j = calibrationMarkerAt(ws, image, x, y);
  if (j < 0) return;
  const CalibrationEntry& entry = calibrationEntries(ws)[static_cast<std::size_t>(j)];
  const int s = image == kBlue ? entry.blue : entry.green;
  if (s < 0 || s >= ws.starCount[image]) return;
  const StarRowKey key = hasBit(ws.progressFlags, PRG_COMPARED) ? selectWithPartner(ws, image, s)
                                                                : selectAlone(ws, image, s);
  revealAndShow(ws, port, key);
}

void selectPlottedStar(Workspace& ws, WindowPort& port, int blueStar) {
  if (blueStar < 0 || blueStar >= ws.starCount[kBlue]) return;
  const StarRowKey key = hasBit(ws.progressFlags, PRG_COMPARED)
                             ? selectWithPartner(ws, kBlue, blueStar)
                             : selectAlone(ws, kBlue, blueStar);
  revealAndShow(ws, port, key);
}

void openPropertiesFromList(Workspace& ws, WindowPort& port) {
  if (!canOpenStarProperties(ws)) return;
  port.runDialog(dlg::StarProperties);
  repaintCurveViews(ws, port);
}

}  // namespace orelith
