// The diagram's geometry, shared by the program and the plotting module.
#include <algorithm>
#include <cmath>

#include "report/CmdPlot.h"

namespace orelith {

CmdPlotFrame cmdPlotFrame(std::span<const CmdPlotPoint> points) {
  CmdPlotFrame f{INFINITY, -INFINITY, INFINITY, -INFINITY};
  for (const CmdPlotPoint& p : points) {
    f.bvLow = std::min(f.bvLow, p.bv);
    f.bvHigh = std::max(f.bvHigh, p.bv);
    f.vLow = std::min(f.vLow, p.v);
    f.vHigh = std::max(f.vHigh, p.v);
  }
  if (points.empty()) f = {0.0, 1.0, 10.0, 15.0};
  // Room around the extremes, and never a zero span.
  f.bvLow -= 0.1;
  f.bvHigh += 0.1;
  f.vLow -= 0.3;
  f.vHigh += 0.3;
  return f;
}

void cmdPlotPosition(const CmdPlotFrame& f, double bv, double v, double& px, double& py) {
  px = kPlotLeft + (bv - f.bvLow) / (f.bvHigh - f.bvLow) * (kPlotWidth - kPlotLeft - kPlotRight);
  py = kPlotTop + (v - f.vLow) / (f.vHigh - f.vLow) * (kPlotHeight - kPlotTop - kPlotBottom);
}

}  // namespace orelith
