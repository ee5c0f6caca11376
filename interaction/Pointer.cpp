#include "interaction/Pointer.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "image/StarLabels.h"
#include "interaction/MainWindowLayout.h"
#include "interaction/Selection.h"
#include "photometry/StarProperties.h"
#include "resources/ControlIds.h"
#include "resources/StringTable.h"

namespace orelith {
namespace {

// Client offset of image pixel (0, 0) of each panel.
constexpr int kPanelLeft[2] = {6, 389};
constexpr int kPanelTop = 33;

// Help strings of the controls whose help does not depend on the state,
// indexed by control number; 0 where the default help applies.
constexpr int kHelp[] = {
    0,  0,  0,  67, 67, 71, 72, 73, 74, 75, 78, 79, 76, 77, 0,  80, 81, 0,
    82, 83, 84, 0,  87, 88, 89, 90, 91, 92, 85, 93, 94, 95, 96, 97, 98,
};
constexpr int kSearchedHelp = 99;
constexpr int kPanelHelp[2] = {69, 70};
constexpr int kListHelp = 86;

bool searched(const Workspace& ws, int image) {
  return hasBit(ws.progressFlags, kSearchedBit[image]);
}

void showReadouts(const Workspace& ws, WindowPort& port, int image, int px, int py) {
  port.setPointerShape(PointerShape::CrossHair);
  char text[32];
  std::snprintf(text, sizeof text, "@(%d|%d)", px, py);
  port.setStatusText(1, text);
  if (insideImage(ws, image, px, py)) {
    std::snprintf(text, sizeof text, "%d", static_cast<int>(pixelAt(ws, image, px, py)));
  } else {
    text[0] = '\0';
  }
  port.setStatusText(2, text);
}

// A press and release in the blue panel less than 2 pixels apart is a click,
// not a drag: a one-pixel rectangle would find nothing, and only reloading
// the frame would bring the whole one back.
bool isClick(const Workspace& ws, int px, int py) {
  return hasBit(ws.optionFlags, OPT_DRAGGING) && std::abs(px - ws.searchRect[kBlue].left) < 2 &&
         std::abs(py - ws.searchRect[kBlue].top) < 2;
}

void cancelSelectionDrag(Workspace& ws, WindowPort& port) {
  ws.optionFlags &= ~static_cast<std::uint32_t>(OPT_DRAGGING);
  port.confinePointer(false);
  port.showRubberBand(false, 0, 0, 0, 0);
  ws.searchRect[kBlue] = ws.rectBeforeDrag;
}

}  // namespace

bool panelHit(int image, int x, int y, int& px, int& py) {
  if (image != kBlue && image != kGreen) return false;
  const int ix = x - kPanelLeft[image];
  const int iy = y - kPanelTop;
  if (ix < 0 || ix >= kImageWidth || iy < 0 || iy >= kImageHeight) return false;
  px = ix;
  py = iy;
  return true;
}

bool pointerMoved(Workspace& ws, WindowPort& port, int x, int y, ControlId controlUnderPointer) {
  showPointerInfo(ws, port, x, y, controlUnderPointer);
  return true;
}

bool leftButtonPressed(Workspace& ws, WindowPort& port, int x, int y) {
  int px = 0;
  int py = 0;
  if (!hasBit(ws.progressFlags, PRG_BLUE_LOADED) || searched(ws, kBlue) ||
      !panelHit(kBlue, x, y, px, py))
    return false;
  beginSelectionDrag(ws, port, px, py);
  return true;
}

bool leftButtonReleased(Workspace& ws, WindowPort& port, int x, int y) {
  // A drag always ends in the blue panel: a window that cannot confine the
  // pointer may report the release outside, which counts at the nearest
  // pixel of the panel.
  if (hasBit(ws.optionFlags, OPT_DRAGGING)) {
    x = std::clamp(x, kPanelRect[kBlue].left, kPanelRect[kBlue].right - 1);
    y = std::clamp(y, kPanelRect[kBlue].top, kPanelRect[kBlue].bottom - 1);
  }
  int px = 0;
  int py = 0;
  const std::uint32_t p = ws.progressFlags;
  if (hasBit(p, PRG_BLUE_LOADED) && panelHit(kBlue, x, y, px, py)) {
    if (!searched(ws, kBlue)) {
      if (isClick(ws, px, py))
        cancelSelectionDrag(ws, port);
      else
        endSelectionDrag(ws, port, px, py);
    } else if (hasBit(ws.optionFlags, OPT_CURVE_VIEW_BLUE)) {
      selectCalibrationMarker(ws, port, kBlue, px, py);
    } else {
      selectStarAtPixel(ws, port, kBlue, px, py);
    }
    return true;
  }
  if (hasBit(p, PRG_GREEN_LOADED) && searched(ws, kGreen) && panelHit(kGreen, x, y, px, py)) {
    if (hasBit(ws.optionFlags, OPT_CURVE_VIEW_GREEN)) {
      selectCalibrationMarker(ws, port, kGreen, px, py);
    } else {
      selectStarAtPixel(ws, port, kGreen, px, py);
    }
    return true;
  }
  return false;
}

bool leftButtonDoubleClicked(Workspace& ws, WindowPort& port, int x, int y) {
  if (!hasBit(ws.progressFlags, PRG_COMPARED)) return false;
  int px = 0;
  int py = 0;
  for (int image : {kBlue, kGreen}) {
    if (panelHit(image, x, y, px, py)) {
      openPropertiesAtPixel(ws, port, image, px, py);
      return true;
    }
  }
  return false;
}

void showPointerInfo(Workspace& ws, WindowPort& port, int x, int y, ControlId controlUnderPointer) {
  int px = 0;
  int py = 0;
  bool overPanel = false;
  for (int image : {kBlue, kGreen}) {
    const ControlId frame = image == kBlue ? ctl::BlueFrame : ctl::GreenFrame;
    if (controlUnderPointer == frame && panelHit(image, x, y, px, py)) {
      showReadouts(ws, port, image, px, py);
      overPanel = true;
    }
  }
  if (!overPanel) port.setPointerShape(PointerShape::Arrow);
  port.setStatusText(0, std::string(stringText(helpString(ws, controlUnderPointer))));
  if (hasBit(ws.optionFlags, OPT_DRAGGING)) trackSelectionDrag(ws, port, x - 6, y - 33);
}

StringId helpString(const Workspace& ws, ControlId control) {
  if (control == ctl::BlueFrame || control == ctl::GreenFrame) {
    const int image = control == ctl::BlueFrame ? kBlue : kGreen;
    return StringId{searched(ws, image) ? kSearchedHelp : kPanelHelp[image]};
  }
  if (control == ctl::StarList)
    return searched(ws, kBlue) || searched(ws, kGreen) ? StringId{kListHelp} : str::DefaultHelp;
  constexpr int kTableSize = static_cast<int>(sizeof kHelp / sizeof kHelp[0]);
  const int n = idNumber(control);
  if (n < 0 || n >= kTableSize || kHelp[n] == 0) return str::DefaultHelp;
  return StringId{kHelp[n]};
}

void beginSelectionDrag(Workspace& ws, WindowPort& port, int px, int py) {
  ws.rectBeforeDrag = ws.searchRect[kBlue];
  ws.searchRect[kBlue].left = px;
  ws.searchRect[kBlue].top = py;
  port.confinePointer(true);
  ws.optionFlags |= OPT_DRAGGING;
}

void trackSelectionDrag(Workspace& ws, WindowPort& port, int px, int py) {
  px = std::clamp(px, 0, kImageWidth - 1);
  py = std::clamp(py, 0, kImageHeight - 1);
  const int sx = ws.searchRect[kBlue].left;
  const int sy = ws.searchRect[kBlue].top;
  // An outline one pixel outside the covered image pixels.
  port.showRubberBand(true, std::min(px, sx) + 5, std::min(py, sy) + 32, std::max(px, sx) + 8,
                      std::max(py, sy) + 35);
}

void endSelectionDrag(Workspace& ws, WindowPort& port, int px, int py) {
  ws.optionFlags &= ~static_cast<std::uint32_t>(OPT_DRAGGING);
  port.confinePointer(false);
  port.showRubberBand(false, 0, 0, 0, 0);
  const int sx = ws.searchRect[kBlue].left;
  const int sy = ws.searchRect[kBlue].top;
  // Covers the pressed and the released pixel; the green rectangle takes the
  // same numbers, not shifted by the offset.
  const SearchRect r{std::min(px, sx), std::min(py, sy), std::max(px, sx) + 1,
                     std::max(py, sy) + 1};
  ws.searchRect[kBlue] = r;
  ws.searchRect[kGreen] = r;
  port.repaint(kBlue);
  port.repaint(kGreen);
}

void openPropertiesAtPixel(Workspace& ws, WindowPort& port, int image, int px, int py) {
  if (starAtPixel(ws, image, px, py) < 0) return;
  const int selected = ws.selectedStar[image];
  if (!hasBit(ws.progressFlags, PRG_COMPARED) || selected < 0 ||
      star(ws, image, selected).partner == -1 || !canOpenStarProperties(ws))
    return;
  port.runDialog(dlg::StarProperties);
}

}  // namespace orelith
