#include "photometry/FlagTable.h"

#include <algorithm>
#include <cmath>

namespace orelith {
namespace {

void flagExtrapolated(const Workspace& ws, FlagTable& table) {
  const CalibrationList& list = ws.calibration;
  if (list.count == 0) return;
  for (int image : {kBlue, kGreen}) {
    float lo = INFINITY, hi = -INFINITY;
    for (int e = 0; e < list.count; ++e) {
      const int k = image == kBlue ? list.entries[e].blue : list.entries[e].green;
      lo = std::min(lo, star(ws, image, k).lgBrightness);
      hi = std::max(hi, star(ws, image, k).lgBrightness);
    }
    for (int k = 0; k < ws.starCount[image]; ++k) {
      const float lg = star(ws, image, k).lgBrightness;
      if (lg < lo || lg > hi) table.image[image].star[k] |= FLAG_EXTRAPOLATED;
    }
  }
}

}  // namespace

FlagTable flagStars(const Workspace& ws, int saturation, double gain) {
  FlagTable table;
  for (int image : {kBlue, kGreen}) {
    ImageFlags& flags = table.image[image];
    flags.star.assign(static_cast<std::size_t>(ws.starCount[image]), 0);
    if (!hasBit(ws.progressFlags, kSearchedBit[image])) continue;
    flags.sky = measureSkyNoise(ws, image);
    const FlagLimits limits{saturation, flags.sky, gain};
    for (int k = 0; k < ws.starCount[image]; ++k)
      flags.star[k] = starShapeFlags(ws, image, k, limits);
  }
  flagExtrapolated(ws, table);
  return table;
}

}  // namespace orelith
