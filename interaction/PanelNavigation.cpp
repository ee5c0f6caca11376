#include "interaction/PanelNavigation.h"

#include <cmath>

#include "display/PanelView.h"
#include "interaction/MainWindowLayout.h"
#include "interaction/Pointer.h"

namespace orelith {
namespace {

constexpr std::uint32_t kCurveViewBit[2] = {OPT_CURVE_VIEW_BLUE, OPT_CURVE_VIEW_GREEN};

// The panel under client point (x, y), or -1.
int panelUnder(int x, int y) {
  int px = 0;
  int py = 0;
  for (int image : {kBlue, kGreen})
    if (panelHit(image, x, y, px, py)) return image;
  return -1;
}

void changeView(Workspace& ws, WindowPort& port, int image, const PanelView& v) {
  if (v == currentView(ws, image)) return;
  setView(ws, image, v);
  port.repaint(image);
}

}  // namespace

bool viewMovable(const Workspace& ws, int image) {
  if (!hasBit(ws.progressFlags, kLoadedBit[image])) return false;
  if (hasBit(ws.optionFlags, OPT_MOVE_MODE)) return image == kBlue;
  return !hasBit(ws.optionFlags, kCurveViewBit[image]);
}

bool wheelTurned(Workspace& ws, WindowPort& port, int x, int y, int steps) {
  const int image = panelUnder(x, y);
  if (image < 0 || steps == 0 || !viewMovable(ws, image)) return false;
  const ImageFrame& f = ws.frame[image];
  const Rect& r = kPanelRect[image];
  // About the centre of the panel pixel under the pointer.
  changeView(ws, port, image,
             zoomStepped(currentView(ws, image), steps, x - r.left + 0.5, y - r.top + 0.5, f.width,
                         f.height));
  return true;
}

void zoomKeyPressed(Workspace& ws, WindowPort& port, int image, ZoomKey key) {
  if ((image != kBlue && image != kGreen) || !viewMovable(ws, image)) return;
  const ImageFrame& f = ws.frame[image];
  const PanelView& v = currentView(ws, image);
  const double cx = kPanelWidth / 2.0;
  const double cy = kPanelHeight / 2.0;
  switch (key) {
    case ZoomKey::In:
    case ZoomKey::Out:
      changeView(ws, port, image,
                 zoomStepped(v, key == ZoomKey::In ? 1 : -1, cx, cy, f.width, f.height));
      break;
    case ZoomKey::OneToOne:
      changeView(ws, port, image, zoomedAbout(v, 1.0 / v.zoom, cx, cy, f.width, f.height));
      break;
    case ZoomKey::Fit:
      changeView(ws, port, image, fittedView(f.width, f.height));
      break;
  }
}

bool middleButtonPressed(Workspace& ws, int x, int y) {
  const int image = panelUnder(x, y);
  if (image < 0 || !viewMovable(ws, image)) return false;
  PanelState& p = ws.display.panel[image];
  p.panning = true;
  p.panX = x;
  p.panY = y;
  return true;
}

bool middleButtonMoved(Workspace& ws, WindowPort& port, int x, int y) {
  for (int image : {kBlue, kGreen}) {
    PanelState& p = ws.display.panel[image];
    if (!p.panning) continue;
    const ImageFrame& f = ws.frame[image];
    const PanelView v = pannedBy(currentView(ws, image), x - p.panX, y - p.panY, f.width, f.height);
    p.panX = x;
    p.panY = y;
    if (viewMovable(ws, image)) changeView(ws, port, image, v);
    return true;
  }
  return false;
}

void middleButtonReleased(Workspace& ws) {
  for (PanelState& p : ws.display.panel) p.panning = false;
}

void bringStarIntoView(Workspace& ws, int image, int number) {
  if ((image != kBlue && image != kGreen) || number < 0 || number >= ws.starCount[image] ||
      number >= starCapacity(ws, image) || !viewMovable(ws, image))
    return;
  const StarRecord& s = star(ws, image, number);
  PanelView v = currentView(ws, image);
  const double across = kPanelWidth / v.zoom, down = kPanelHeight / v.zoom;
  if (s.x >= v.left && s.x + 1 <= v.left + across && s.y >= v.top && s.y + 1 <= v.top + down)
    return;
  v.left = s.x + 0.5 - across / 2;
  v.top = s.y + 0.5 - down / 2;
  setView(ws, image, v);
}

ScrollRange scrollRange(Workspace& ws, int image, ScrollAxis axis) {
  if ((image != kBlue && image != kGreen) || !viewMovable(ws, image)) return {};
  const PanelView& v = currentView(ws, image);
  const bool across = axis == ScrollAxis::Horizontal;
  const int size = across ? ws.frame[image].width : ws.frame[image].height;
  const double shown = (across ? kPanelWidth : kPanelHeight) / v.zoom;
  const double start = across ? v.left : v.top;
  // A frame shown whole along the axis needs no bar; a part of a pixel
  // beyond the panel is not worth one.
  if (shown >= size - 0.5) return {};
  return {true, static_cast<int>(std::ceil(size - shown - 1e-9)), static_cast<int>(shown),
          static_cast<int>(std::lround(start))};
}

void scrolledTo(Workspace& ws, WindowPort& port, int image, ScrollAxis axis, int value) {
  if ((image != kBlue && image != kGreen) || !viewMovable(ws, image)) return;
  PanelView v = currentView(ws, image);
  if (std::lround(axis == ScrollAxis::Horizontal ? v.left : v.top) == value) return;
  (axis == ScrollAxis::Horizontal ? v.left : v.top) = value;
  changeView(ws, port, image, v);
}

}  // namespace orelith
