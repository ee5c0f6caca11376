// The results an observer needs beside the calibrated magnitudes, computed in
// one call for the window and the batch tool alike: the warning flags, the
// aperture photometry, the standard transformation and the fit diagnostics.
// They live beside the workspace, so the measurement itself stays as it is.
#pragma once

#include <optional>
#include <string_view>

#include "image/ScienceSettings.h"
#include "image/Workspace.h"
#include "photometry/Aperture.h"
#include "photometry/FitDiagnostics.h"
#include "photometry/FlagTable.h"
#include "photometry/Transformation.h"

namespace orelith {

struct ScienceResults {
  ScienceSettings settings;  // as used: the saturation level filled in
  FlagTable flags;
  std::optional<ApertureTable> apertures;   // when chosen
  ModelDiagnostics polynomial;              // once the magnitudes are calculated
  std::optional<TransformTable> transform;  // when chosen and possible
};

enum class ScienceStatus {
  Done,
  TransformNeedsStars,  // fewer than 2 calibration stars with a measured flux
};

struct ScienceOutcome {
  ScienceStatus status;
  ScienceResults results;  // whatever could be computed, also after a failure
};

ScienceOutcome computeScience(const Workspace& ws, const ScienceSettings& settings);

// What to tell the user about a status other than Done.
std::string_view scienceStatusText(ScienceStatus status);

}  // namespace orelith
