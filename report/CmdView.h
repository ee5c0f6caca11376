// The plotted colour-magnitude diagram laid out for a window of any size:
// the same ranges, axes and marks as the written plot (report/CmdPlot.h),
// each star's place in widget coordinates, the star under the pointer, the
// legend and the words shown for a star. Plain geometry; the window draws it.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "photometry/FlagText.h"
#include "report/CmdPlot.h"

namespace orelith {

// One plotted pair: the point of cmdPlotPoints with the stars it stands for.
struct CmdStar {
  int blue;  // star numbers of the pair
  int green;
  CmdPlotPoint point;
  PairFlags flags;
};

// The stars of cmdPlotPoints, in the same order.
std::vector<CmdStar> cmdStars(const Workspace& ws, const ScienceResults& science);

// The diagram in a widget of `width` x `height`: the written plot's margins
// around a plot area that takes the rest.
struct CmdView {
  CmdPlotFrame frame;
  double left, top, right, bottom;  // the plot area

  double x(double bv) const {
    return left + (bv - frame.bvLow) / (frame.bvHigh - frame.bvLow) * (right - left);
  }
  // V grows downwards: bright stars at the top.
  double y(double v) const {
    return top + (v - frame.vLow) / (frame.vHigh - frame.vLow) * (bottom - top);
  }
};

CmdView cmdView(std::span<const CmdStar> stars, double width, double height);

// A star as drawn: its centre and the ends of its error bars (the centre
// where a bar is not known).
struct CmdMark {
  double x, y;
  double barLeft, barRight;
  double barTop, barBottom;
};

CmdMark cmdMark(const CmdView& view, const CmdPlotPoint& p);

// Radius of a star's mark, in pixels; a calibration star's square is one
// pixel larger each side.
inline constexpr double kCmdMarker = 3.0;

// The index of the star whose centre is nearest to (x, y) within `reach`
// pixels; -1 when none is.
int cmdStarAt(const CmdView& view, std::span<const CmdStar> stars, double x, double y,
              double reach);

// Tick marks with their labels: `at` is the widget x of a B-V tick or the
// widget y of a V tick.
struct CmdTick {
  double at;
  std::string label;
};
std::vector<CmdTick> cmdTicksBV(const CmdView& view);
std::vector<CmdTick> cmdTicksV(const CmdView& view);

enum class CmdLegendKind { Star, Calibration, Flagged, Selected };

// One legend entry: its mark's centre and the baseline start of its text.
struct CmdLegendEntry {
  CmdLegendKind kind;
  const char* text;
  double markX, markY;
  double textX, textY;
};

// The legend, one row along the bottom edge below the axis caption.
std::vector<CmdLegendEntry> cmdLegend(double width, double height);

// "Star 12", then V and B-V with their errors where known, then the flags;
// one line each. The number is the list's (star number + 1).
std::string cmdStarText(const CmdStar& s);

}  // namespace orelith
