#include "photometry/FlagTable.h"

#include <algorithm>
#include <cmath>

namespace orelith {
namespace {

void flagExtrapolated(const Workspace& ws, FlagTable& table) {
  const std::span<const CalibrationEntry> list = calibrationEntries(ws);
  if (list.empty()) return;
  for (int image : {kBlue, kGreen}) {
    float lo = INFINITY, hi = -INFINITY;
    for (const CalibrationEntry& entry : list) {
      const int k = image == kBlue ? entry.blue : entry.green;
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

FlagTable flagStars(const Workspace& ws, const FrameScience frames[2], double gain) {
  FlagTable table;
  for (int image : {kBlue, kGreen}) {
    ImageFlags& flags = table.image[image];
    flags.star.assign(static_cast<std::size_t>(ws.starCount[image]), 0);
    if (!hasBit(ws.progressFlags, kSearchedBit[image])) continue;
    const FrameScience& f = frames[image];
    flags.sky = f.sky;
    // Whole counts compare with the level rounded up, within 16 bits.
    const double level = ws.floatFrame[image] ? f.saturation.level
                                              : std::min(65535.0, std::ceil(f.saturation.level));
    const FlagLimits limits{level, flags.sky, gain};
    for (int k = 0; k < ws.starCount[image]; ++k) {
      const bool known = k < static_cast<int>(f.stars.size());
      flags.star[k] = starShapeFlags(ws, image, k, limits,
                                     known ? f.stars[static_cast<std::size_t>(k)].secondPeak : -1);
      if (!known) continue;
      const StarScience& s = f.stars[static_cast<std::size_t>(k)];
      if (s.saturated) flags.star[k] |= FLAG_SATURATED;
      if (s.blended) flags.star[k] |= FLAG_BLENDED;
    }
  }
  flagExtrapolated(ws, table);
  return table;
}

}  // namespace orelith
