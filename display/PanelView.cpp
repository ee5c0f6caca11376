#include "display/PanelView.h"

#include <algorithm>
#include <cmath>

namespace orelith {
namespace {

double fitZoom(int frameWidth, int frameHeight) {
  return std::min(static_cast<double>(kPanelWidth) / frameWidth,
                  static_cast<double>(kPanelHeight) / frameHeight);
}

// The panel's start along one axis: within the frame where it is larger than
// the panel shows, else centred on it.
double placed(double start, double shown, int size) {
  if (size >= shown) return std::clamp(start, 0.0, size - shown);
  return (size - shown) / 2;
}

}  // namespace

PanelView fittedView(int frameWidth, int frameHeight) {
  return clampedView({fitZoom(frameWidth, frameHeight), 0.0, 0.0}, frameWidth, frameHeight);
}

PanelView clampedView(PanelView v, int frameWidth, int frameHeight) {
  const double least = std::min(1.0, fitZoom(frameWidth, frameHeight));
  v.zoom = std::clamp(v.zoom, least, kMaxZoom);
  // Steps of the wheel come back to 1:1 exactly.
  if (std::abs(v.zoom - 1.0) < 1e-9) v.zoom = 1.0;
  v.left = placed(v.left, kPanelWidth / v.zoom, frameWidth);
  v.top = placed(v.top, kPanelHeight / v.zoom, frameHeight);
  return v;
}

PanelView zoomedAbout(PanelView v, double factor, double x, double y, int frameWidth,
                      int frameHeight) {
  const double fx = v.left + x / v.zoom;
  const double fy = v.top + y / v.zoom;
  PanelView z = clampedView({v.zoom * factor, 0.0, 0.0}, frameWidth, frameHeight);
  z.left = fx - x / z.zoom;
  z.top = fy - y / z.zoom;
  return clampedView(z, frameWidth, frameHeight);
}

PanelView pannedBy(PanelView v, double dx, double dy, int frameWidth, int frameHeight) {
  v.left -= dx / v.zoom;
  v.top -= dy / v.zoom;
  return clampedView(v, frameWidth, frameHeight);
}

PanelView zoomStepped(PanelView v, int steps, double x, double y, int frameWidth, int frameHeight) {
  // The ladder's rung at or next beyond the current zoom, so that a fitted
  // zoom between two rungs steps onto the ladder.
  const double rung = 4.0 * std::log2(v.zoom);
  const double near = std::round(rung);
  const double from =
      std::abs(rung - near) < 1e-6 ? near : (steps > 0 ? std::floor(rung) : std::ceil(rung));
  const double target = std::exp2((from + steps) / 4.0);
  return zoomedAbout(v, target / v.zoom, x, y, frameWidth, frameHeight);
}

PanelView& currentView(Workspace& ws, int image) {
  PanelState& p = ws.display.panel[image];
  const ImageFrame& f = ws.frame[image];
  if (p.viewLoad != ws.loadCount[image] || p.viewWidth != f.width || p.viewHeight != f.height) {
    p.view = fittedView(f.width, f.height);
    p.viewLoad = ws.loadCount[image];
    p.viewWidth = f.width;
    p.viewHeight = f.height;
  }
  return p.view;
}

void setView(Workspace& ws, int image, PanelView v) {
  const ImageFrame& f = ws.frame[image];
  currentView(ws, image) = clampedView(v, f.width, f.height);
}

ViewMap::ViewMap(const PanelView& v) : identity_(v.zoom == 1.0 && v.left == 0.0 && v.top == 0.0) {
  for (int px = 0; px < kPanelWidth; ++px)
    columns_[static_cast<std::size_t>(px)] = frameColumn(v, px);
  for (int py = 0; py < kPanelHeight; ++py) rows_[static_cast<std::size_t>(py)] = frameRow(v, py);
}

namespace {

template <std::size_t N>
ViewMap::Span spanOf(const std::array<int, N>& map, int f) {
  const auto from = std::lower_bound(map.begin(), map.end(), f);
  const auto to = std::upper_bound(from, map.end(), f);
  return {static_cast<int>(from - map.begin()), static_cast<int>(to - map.begin())};
}

}  // namespace

ViewMap::Span ViewMap::panelColumns(int fx) const { return spanOf(columns_, fx); }
ViewMap::Span ViewMap::panelRows(int fy) const { return spanOf(rows_, fy); }

}  // namespace orelith
