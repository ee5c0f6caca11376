#include "interaction/Pointer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "display/PanelView.h"
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

// A panel pixel, clamped into the panel.
void clampToPanel(int& px, int& py) {
  px = std::clamp(px, 0, kImageWidth - 1);
  py = std::clamp(py, 0, kImageHeight - 1);
}

// A frame pixel, clamped into the frame of `image`.
void clampToFrame(const Workspace& ws, int image, int& fx, int& fy) {
  fx = std::clamp(fx, 0, ws.frame[image].width - 1);
  fy = std::clamp(fy, 0, ws.frame[image].height - 1);
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
// Zoomed out, "2 pixels" are two panel pixels, however many frame pixels
// they cover.
bool isClick(Workspace& ws, int px, int py) {
  const double near = std::max(2.0, 2.0 / currentView(ws, kBlue).zoom);
  return hasBit(ws.optionFlags, OPT_DRAGGING) && std::abs(px - ws.searchRect[kBlue].left) < near &&
         std::abs(py - ws.searchRect[kBlue].top) < near;
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

void framePixelAt(Workspace& ws, int image, int px, int py, int& fx, int& fy) {
  const PanelView& v = currentView(ws, image);
  fx = frameColumn(v, px);
  fy = frameRow(v, py);
}

void starPixelAt(Workspace& ws, int image, int px, int py, int& fx, int& fy) {
  framePixelAt(ws, image, px, py, fx, fy);
  const PanelView& v = currentView(ws, image);
  if (v.zoom >= 1.0 || starAtPixel(ws, image, fx, fy) >= 0) return;
  // Zoomed out, a panel pixel covers a block of frame pixels; the brightest
  // star pixel of the block stands for it, as the picture shows the block's
  // largest value.
  const int x0 = std::max(0, static_cast<int>(std::floor(v.left + px / v.zoom)));
  const int y0 = std::max(0, static_cast<int>(std::floor(v.top + py / v.zoom)));
  const int x1 =
      std::min(ws.frame[image].width, static_cast<int>(std::floor(v.left + (px + 1) / v.zoom)));
  const int y1 =
      std::min(ws.frame[image].height, static_cast<int>(std::floor(v.top + (py + 1) / v.zoom)));
  float best = 0;
  bool found = false;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x)
      if (starAtPixel(ws, image, x, y) >= 0 && (!found || pixelAt(ws, image, x, y) > best)) {
        best = pixelAt(ws, image, x, y);
        found = true;
        fx = x;
        fy = y;
      }
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
  int fx = 0;
  int fy = 0;
  framePixelAt(ws, kBlue, px, py, fx, fy);
  clampToFrame(ws, kBlue, fx, fy);
  beginSelectionDrag(ws, port, fx, fy);
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
  int fx = 0;
  int fy = 0;
  const std::uint32_t p = ws.progressFlags;
  // The calibration plot fills its panel whatever the frame's view; it is
  // read in panel pixels.
  if (hasBit(p, PRG_BLUE_LOADED) && panelHit(kBlue, x, y, px, py)) {
    if (!searched(ws, kBlue)) {
      framePixelAt(ws, kBlue, px, py, fx, fy);
      clampToFrame(ws, kBlue, fx, fy);
      if (isClick(ws, fx, fy))
        cancelSelectionDrag(ws, port);
      else
        endSelectionDrag(ws, port, fx, fy);
    } else if (hasBit(ws.optionFlags, OPT_CURVE_VIEW_BLUE)) {
      selectCalibrationMarker(ws, port, kBlue, px, py);
    } else {
      starPixelAt(ws, kBlue, px, py, fx, fy);
      selectStarAtPixel(ws, port, kBlue, fx, fy);
    }
    return true;
  }
  if (hasBit(p, PRG_GREEN_LOADED) && searched(ws, kGreen) && panelHit(kGreen, x, y, px, py)) {
    if (hasBit(ws.optionFlags, OPT_CURVE_VIEW_GREEN)) {
      selectCalibrationMarker(ws, port, kGreen, px, py);
    } else {
      starPixelAt(ws, kGreen, px, py, fx, fy);
      selectStarAtPixel(ws, port, kGreen, fx, fy);
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
      int fx = 0;
      int fy = 0;
      starPixelAt(ws, image, px, py, fx, fy);
      openPropertiesAtPixel(ws, port, image, fx, fy);
      return true;
    }
  }
  return false;
}

void showPointerInfo(Workspace& ws, WindowPort& port, int x, int y, ControlId controlUnderPointer) {
  int px = 0;
  int py = 0;
  bool overPanel = false;
  std::optional<SkyPosition> sky;
  for (int image : {kBlue, kGreen}) {
    const ControlId frame = image == kBlue ? ctl::BlueFrame : ctl::GreenFrame;
    if (controlUnderPointer == frame && panelHit(image, x, y, px, py)) {
      int fx = 0;
      int fy = 0;
      framePixelAt(ws, image, px, py, fx, fy);
      showReadouts(ws, port, image, fx, fy);
      overPanel = true;
      if (insideImage(ws, image, fx, fy)) sky = skyPosition(ws, image, fx, fy);
    }
  }
  if (!overPanel) port.setPointerShape(PointerShape::Arrow);
  std::string help(stringText(helpString(ws, controlUnderPointer)));
  // A frame with celestial coordinates adds the sky under the pointer.
  if (sky) help += "   " + skyText(*sky);
  port.setStatusText(0, help);
  if (hasBit(ws.optionFlags, OPT_DRAGGING)) {
    px = x - kPanelLeft[kBlue];
    py = y - kPanelTop;
    clampToPanel(px, py);
    int fx = 0;
    int fy = 0;
    framePixelAt(ws, kBlue, px, py, fx, fy);
    trackSelectionDrag(ws, port, fx, fy);
  }
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
  clampToFrame(ws, kBlue, px, py);
  const int sx = ws.searchRect[kBlue].left;
  const int sy = ws.searchRect[kBlue].top;
  // An outline one pixel outside the panel pixels that show the covered
  // frame pixels, held to the panel and its border.
  const PanelView& v = currentView(ws, kBlue);
  const auto edge = [&](int f, double start, bool after) {
    const double at = (f - start) * v.zoom;
    return static_cast<int>(after ? std::ceil(at - 1e-9) : std::floor(at + 1e-9));
  };
  const Rect& panel = kPanelRect[kBlue];
  const int left = std::max(panel.left - 1, panel.left - 1 + edge(std::min(px, sx), v.left, false));
  const int top = std::max(panel.top - 1, panel.top - 1 + edge(std::min(py, sy), v.top, false));
  const int right =
      std::min(panel.right + 1, panel.left + 1 + edge(std::max(px, sx) + 1, v.left, true));
  const int bottom =
      std::min(panel.bottom + 1, panel.top + 1 + edge(std::max(py, sy) + 1, v.top, true));
  port.showRubberBand(true, left, top, right, bottom);
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
