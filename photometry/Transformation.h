// The standard transformation (photometry/StandardTransform.h) fitted
// through the workspace's calibration stars and applied to every pair.
#pragma once

#include <optional>
#include <vector>

#include "image/Workspace.h"
#include "photometry/Aperture.h"
#include "photometry/FitDiagnostics.h"
#include "photometry/FlagTable.h"
#include "photometry/StandardTransform.h"

namespace orelith {

// Where the instrumental magnitudes come from: the aperture photometry when
// it ran, else the summed brightness, its error from the image's sky noise
// (measured with the flags) and the gain.
struct MagnitudeSource {
  const FlagTable& flags;
  const ApertureTable* apertures;  // null: the summed brightness
  double gain;
};

struct TransformTable {
  TransformFit fit;
  std::vector<StandardMagnitudes> standard;  // by blue star number; set for paired stars
  ModelDiagnostics diagnostics;
};

// -2.5 lg(F) of star `k` of `image` with its error; NaN without a flux.
void instrumentalMagnitude(const Workspace& ws, const MagnitudeSource& source, int image, int k,
                           double& mag, double& error);

// Empty when fewer than 2 calibration stars have instrumental magnitudes.
std::optional<TransformTable> transformPairs(const Workspace& ws, const MagnitudeSource& source);

}  // namespace orelith
