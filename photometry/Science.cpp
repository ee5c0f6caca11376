#include "photometry/Science.h"

namespace orelith {

ScienceOutcome computeScience(const Workspace& ws, const ScienceSettings& settings) {
  ScienceOutcome out{ScienceStatus::Done, {}};
  ScienceResults& r = out.results;
  r.settings = settings;
  if (r.settings.saturation <= 0) r.settings.saturation = ws.algorithm.hotPixelValue;
  const ScienceSettings& s = r.settings;
  r.flags = flagStars(ws, s.saturation, s.gain);
  if (s.aperture) {
    r.apertures = measureApertures(ws, {s.radius, s.inner, s.outer, s.gain, s.readNoise});
    // An aperture that reaches beyond the image is cut by its border too.
    for (int image : {kBlue, kGreen})
      for (int k = 0; k < ws.starCount[image]; ++k)
        if (r.apertures->of(image, k).clipped) r.flags.image[image].star[k] |= FLAG_EDGE;
  }
  if (hasBit(ws.progressFlags, PRG_MAGNITUDES)) r.polynomial = diagnosePolynomial(ws);
  if (s.transform) {
    const ApertureTable* apertures = r.apertures ? &*r.apertures : nullptr;
    r.transform = transformPairs(ws, {r.flags, apertures, s.gain});
    if (!r.transform) out.status = ScienceStatus::TransformNeedsStars;
  }
  return out;
}

std::string_view scienceStatusText(ScienceStatus status) {
  switch (status) {
    case ScienceStatus::Done:
      break;
    case ScienceStatus::TransformNeedsStars:
      return "the transformation needs at least 2 calibration stars with a measured flux";
  }
  return {};
}

}  // namespace orelith
