// The standard transformation (photometry/StandardTransform.h) fitted
// through the calibration stars and applied to every pair.
#pragma once

#include <limits>
#include <optional>
#include <vector>

#include "image/Workspace.h"
#include "photometry/FitDiagnostics.h"
#include "photometry/FrameScience.h"
#include "photometry/StandardTransform.h"

namespace orelith {

// -2.5 lg(F) of one star with its error and how F was measured; NaN without
// a flux. lg is lg(F) itself (the lg brightness for the sum), the abscissa
// of the calibration curves.
struct StarMeasure {
  double lg = std::numeric_limits<double>::quiet_NaN();
  double mag = std::numeric_limits<double>::quiet_NaN();
  double error = std::numeric_limits<double>::quiet_NaN();
  double systematic = 0;  // the part of `error` the profile's accuracy gives (fits only)
  Measured how = Measured::None;
  bool unfitted = false;  // flagged, and no fit measured it: its aperture or sum as it stands
};

struct MeasureTable {
  std::vector<StarMeasure> image[2];  // by star number

  // NaN for a star the table does not know.
  const StarMeasure& of(int which, int k) const;
};

struct TransformTable {
  TransformFit fit;
  std::vector<StandardMagnitudes> standard;  // by blue star number; set for paired stars
  ModelDiagnostics diagnostics;
};

// The instrumental magnitudes of a pair.
Instrumental pairMagnitudes(const MeasureTable& m, int blue, int green);

// Fitted through `points` (their instrumental magnitudes set); empty with
// fewer than 2.
std::optional<TransformTable> transformPairs(const Workspace& ws, const MeasureTable& m,
                                             const DiagnosticPoint* points, int n);

}  // namespace orelith
