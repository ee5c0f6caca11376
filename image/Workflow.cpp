#include "image/Workflow.h"

#include "resources/ControlIds.h"

namespace orelith {

void endCalibrationStage(Workspace& ws) {
  for (int e = 0; e < ws.calibration.count; ++e) {
    const CalibrationEntry& entry = ws.calibration.entries[e];
    star(ws, kBlue, entry.blue).marks &= ~MARK_CALIBRATION;
    star(ws, kGreen, entry.green).marks &= ~MARK_CALIBRATION;
  }
  ws.calibration.count = 0;
  ws.progressFlags &= ~(PRG_COMPARED | PRG_CALIBRATION_STAR | PRG_MAGNITUDES);
  // The stars these numbers named are gone; the report, the diagram and the
  // calculation read partners without asking whether a pairing is current.
  // Records beyond a star count are never read, so they are left alone.
  for (int image : {kBlue, kGreen}) {
    for (int k = 0; k < ws.starCount[image]; ++k) star(ws, image, k).partner = -1;
  }
}

void refillStarList(Workspace& ws, WindowPort& port) {
  port.starListChanged();
  const std::uint32_t p = ws.progressFlags;
  // During the three-pair entry the button is hidden behind "Set 1".."Set 3"
  // and stays as the entry left it.
  if (!hasBit(p, PRG_COMPARED) && hasBit(p, PRG_BLUE_SEARCHED) && hasBit(p, PRG_GREEN_SEARCHED) &&
      !hasBit(ws.optionFlags, OPT_PAIR_ENTRY)) {
    port.setEnabled(ctl::CompareImages, true);
  }
}

}  // namespace orelith
