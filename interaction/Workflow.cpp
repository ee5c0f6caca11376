#include "interaction/Workflow.h"

namespace orelith {

bool canCompare(const Workspace& ws) {
  const std::uint32_t p = ws.progressFlags;
  return hasBit(p, PRG_BLUE_SEARCHED) && hasBit(p, PRG_GREEN_SEARCHED) &&
         !hasBit(p, PRG_COMPARED) && !hasBit(ws.optionFlags, OPT_PAIR_ENTRY);
}

bool canCalculate(const Workspace& ws) {
  return ws.calibration.count > 0 && hasBit(ws.progressFlags, PRG_COMPARED);
}

void refillStarList(const Workspace& ws, WindowPort& port) {
  port.starListChanged();
  // During the three-pair entry the button is hidden behind "Set 1".."Set 3"
  // and stays as the entry left it.
  if (canCompare(ws)) port.setEnabled(ctl::CompareImages, true);
}

}  // namespace orelith
