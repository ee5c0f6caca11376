#include "image/ScienceSettings.h"

namespace orelith {

ScienceProblem checkScienceSettings(const ScienceSettings& s) {
  if (s.saturation != 0 && !kSaturationBound.holds(s.saturation)) return ScienceProblem::Saturation;
  // A NaN holds no bound, so it is refused like any other stray value.
  if (s.radius != 0 && !kApertureRadiusBound.holds(s.radius)) return ScienceProblem::ApertureRadius;
  const bool automaticSky = s.inner == 0 && s.outer == 0;
  if (!automaticSky && !(s.inner > 0 && s.outer > s.inner && kAnnulusBound.holds(s.outer)))
    return ScienceProblem::AnnulusOrder;
  // The sky would be read inside the star's own light.
  if (s.radius > 0 && s.inner > 0 && s.inner < s.radius)
    return ScienceProblem::AnnulusInsideAperture;
  if (!kGainBound.holds(s.gain)) return ScienceProblem::Gain;
  if (!kReadNoiseBound.holds(s.readNoise)) return ScienceProblem::ReadNoise;
  return ScienceProblem::None;
}

}  // namespace orelith
