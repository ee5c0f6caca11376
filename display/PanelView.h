// Which part of a frame a panel shows, and how large: the zoom and the
// scroll position of one panel, and the map from panel pixels to frame
// pixels that drawing and pointing share.
#pragma once

#include <array>
#include <cmath>

#include "image/Workspace.h"

namespace orelith {

inline constexpr int kPanelWidth = 375;
inline constexpr int kPanelHeight = 242;
inline constexpr double kMaxZoom = 32.0;

// The whole frame in the panel, as large as it fits, centred; a frame of
// 375 x 242 pixels is shown one to one.
PanelView fittedView(int frameWidth, int frameHeight);

// The view moved so that a frame larger than the panel covers it and a
// smaller one sits in its middle, the zoom kept between the fitted zoom (or
// 1:1, if smaller) and 32.
PanelView clampedView(PanelView v, int frameWidth, int frameHeight);

// Zoomed by `factor` about panel point (x, y), which keeps its frame point.
PanelView zoomedAbout(PanelView v, double factor, double x, double y, int frameWidth,
                      int frameHeight);

// Moved by (dx, dy) panel pixels, as a drag of the frame moves it.
PanelView pannedBy(PanelView v, double dx, double dy, int frameWidth, int frameHeight);

// The view one step of the wheel or a key further in (steps > 0) or out:
// zooms run through the powers of 2^(1/4), so that 1:1 is always one of
// them, held by clampedView.
PanelView zoomStepped(PanelView v, int steps, double x, double y, int frameWidth, int frameHeight);

// The frame column (row) shown at panel column px (row py).
inline int frameColumn(const PanelView& v, int px) {
  return static_cast<int>(std::floor(v.left + (px + 0.5) / v.zoom));
}
inline int frameRow(const PanelView& v, int py) {
  return static_cast<int>(std::floor(v.top + (py + 0.5) / v.zoom));
}

// The view of panel `image`, fitted to the panel for a frame it was not made
// for (another load or size).
PanelView& currentView(Workspace& ws, int image);
// The view made anew: replaces the panel's view, held within bounds.
void setView(Workspace& ws, int image, PanelView v);

// Frame pixel under each panel column and row (outside the frame where the
// panel shows none of it), and the panel columns and rows showing a frame
// pixel. Built once per drawing, so that pictures and pointer agree.
class ViewMap {
 public:
  explicit ViewMap(const PanelView& v);
  int frameX(int px) const { return columns_[static_cast<std::size_t>(px)]; }
  int frameY(int py) const { return rows_[static_cast<std::size_t>(py)]; }
  // Panel columns [from, to) that show frame column fx; empty when none.
  struct Span {
    int from, to;
  };
  Span panelColumns(int fx) const;
  Span panelRows(int fy) const;
  bool identity() const { return identity_; }

 private:
  std::array<int, kPanelWidth> columns_;
  std::array<int, kPanelHeight> rows_;
  bool identity_;
};

}  // namespace orelith
