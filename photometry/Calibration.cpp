#include "photometry/Calibration.h"

#include "fitlib/Brelox.h"
#include "image/Workflow.h"
#include "photometry/CalibrationCurve.h"
#include "resources/StringTable.h"

namespace orelith {
namespace {

int fitCurve(Workspace& ws, int filter) {
  BreloxPoint points[kMaxCalibrationStars];
  const int count = ws.calibration.count;
  for (int e = 0; e < count; ++e) {
    const CalibrationEntry& entry = ws.calibration.entries[e];
    const StarRecord& blue = star(ws, kBlue, entry.blue);
    const int ownStar = filter == kBlue ? entry.blue : entry.green;
    points[e].x = static_cast<double>(star(ws, filter, ownStar).lgBrightness);
    points[e].y = static_cast<double>(filter == kBlue ? blue.magnitudeB : blue.magnitudeV);
  }
  return DoMinuit(points, ws.curves[filter], count, ws.algorithm.coefficientCount);
}

void applyCurve(Workspace& ws, int filter) {
  for (int k = 0; k < ws.starCount[kBlue]; ++k) {
    StarRecord& blue = star(ws, kBlue, k);
    if (blue.partner == -1 || hasBit(blue.marks, MARK_CALIBRATION)) continue;
    if (filter == kBlue) {
      blue.magnitudeB = static_cast<float>(evaluateCurve(ws, blue.lgBrightness, kBlue));
    } else {
      const StarRecord& green = star(ws, kGreen, blue.partner);
      blue.magnitudeV = static_cast<float>(evaluateCurve(ws, green.lgBrightness, kGreen));
    }
  }
}

}  // namespace

int calculateMagnitudes(Workspace& ws, WindowPort& port) {
  for (int filter : {kBlue, kGreen}) {
    if (fitCurve(ws, filter) != 0) {
      port.showMessage(str::MinimisationFailed, MessageOwner::MainWindow);
      return 1;
    }
    applyCurve(ws, filter);
  }
  ws.progressFlags |= PRG_MAGNITUDES;
  refillStarList(ws, port);
  return 0;
}

void calculateMagnitudesCommand(Workspace& ws, WindowPort& port) {
  calculateMagnitudes(ws, port);
  refillStarList(ws, port);
  if (hasBit(ws.optionFlags, OPT_CURVE_VIEW_BLUE)) port.repaint(kBlue);
  if (hasBit(ws.optionFlags, OPT_CURVE_VIEW_GREEN)) port.repaint(kGreen);
}

}  // namespace orelith
