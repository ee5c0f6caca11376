// A plotted colour-magnitude diagram, V downwards against B-V, drawn with
// cairo as SVG or PNG: axes with ticks and labels, calibration stars as
// squares, flagged stars hollow, error bars where known.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "image/Workspace.h"
#include "photometry/Science.h"
#include "resources/StringTable.h"

namespace orelith {

struct CmdPlotPoint {
  double bv, v;
  double bvError, vError;  // NaN or 0: no bar
  bool calibration;
  bool flagged;
};

// Data ranges and where they land in the picture.
struct CmdPlotFrame {
  double bvLow, bvHigh;  // left and right edge
  double vLow, vHigh;    // top (bright) and bottom edge
};

inline constexpr int kPlotWidth = 720;
inline constexpr int kPlotHeight = 540;
// Margins around the plot area: room for the title, the ticks' labels and the
// axis captions.
inline constexpr double kPlotLeft = 70, kPlotRight = 20, kPlotTop = 40, kPlotBottom = 60;

// The paired, not ignored stars with magnitudes: the transformed ones when
// the transformation ran, else the calibrated ones once calculated.
std::vector<CmdPlotPoint> cmdPlotPoints(const Workspace& ws, const ScienceResults& science);

// The diagram's title: the two images' file titles.
std::string cmdPlotTitle(const Workspace& ws);

// A tick step of 1, 2 or 5 times a power of ten giving about six ticks.
double cmdTickStep(double span);

CmdPlotFrame cmdPlotFrame(std::span<const CmdPlotPoint> points);

// Picture coordinates of (B-V, V).
void cmdPlotPosition(const CmdPlotFrame& frame, double bv, double v, double& px, double& py);

// The diagram's file, SVG or PNG, appended to `bytes`; false when cairo
// failed.
bool drawCmdPlot(std::span<const CmdPlotPoint> points, const std::string& title, bool svg,
                 std::vector<unsigned char>& bytes);

// SVG when `path` ends in ".svg", else PNG; written through a temporary
// file. False with the number of the message to show when it fails.
bool plotCmd(std::span<const CmdPlotPoint> points, const std::string& title,
             const std::string& path, StringId& failureMessage);

}  // namespace orelith
