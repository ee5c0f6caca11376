// The results an observer needs beside the calibrated magnitudes, computed
// for the window and the batch tool alike: the warning flags, each frame's
// saturation, point-spread function and aperture, every star's instrumental
// magnitude and how it was measured, the standard transformation, the fit
// diagnostics with errors, and the warnings. They live beside the workspace,
// so the measurement itself stays as it is.
//
// Two steps around "Calculate magnitudes": measureScience before it (the
// curves then take their abscissae from it, see curveAbscissae), and
// finishScience after it; computeScience does both for a workspace whose
// magnitudes are already calculated or not wanted.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "image/ScienceSettings.h"
#include "image/Workspace.h"
#include "photometry/Aperture.h"
#include "photometry/Calibration.h"
#include "photometry/FitDiagnostics.h"
#include "photometry/FlagTable.h"
#include "photometry/FrameScience.h"
#include "photometry/Transformation.h"
#include "photometry/Warnings.h"

namespace orelith {

// One entry of the calibration list as the models see it.
struct CalibrationUse {
  int blue = -1, green = -1;
  Measured measured[2] = {Measured::None, Measured::None};
  std::uint32_t flags = 0;  // FLAG_... of both stars
  bool used = false;        // in the models' fits
};

// Errors of the calibration curves' magnitudes, by blue star number; NaN
// where unknown (as many calibration stars as coefficients, or no
// instrumental error).
struct CurveErrorTable {
  std::vector<double> B, V;
};

enum class ScienceStatus {
  Done,
  TransformNeedsStars,    // fewer than 2 usable calibration stars
  AnnulusInsideAperture,  // the given annulus starts inside the aperture
};

struct ScienceResults {
  ScienceStatus status = ScienceStatus::Done;  // of finishScience
  ScienceSettings settings;                    // as given
  FlagTable flags;
  FrameScience frames[2];
  std::optional<ApertureTable> apertures;  // when chosen
  MeasureTable measures;                   // instrumental magnitudes of every star
  std::vector<CalibrationUse> calibration;
  ModelDiagnostics polynomial;  // once the magnitudes are calculated
  CurveErrorTable curveErrors;
  std::optional<TransformTable> transform;  // when chosen and possible
  std::vector<Warning> warnings;
};

struct ScienceOutcome {
  ScienceStatus status;
  ScienceResults results;  // whatever could be computed, also after a failure
};

// Flags, frames, apertures, instrumental magnitudes and the calibration
// stars' use.
ScienceResults measureScience(const Workspace& ws, const ScienceSettings& settings);

// The abscissae "Calculate magnitudes" takes from the measurement: with the
// aperture photometry every star's lg of its measured flux, else the stars'
// lg brightness with flagged calibration stars replaced by their fits or left
// out. Empty when they are the lg brightness throughout: the calculation
// then runs as specified.
std::optional<CurveAbscissae> curveAbscissae(const Workspace& ws, const ScienceResults& r);

// Calibration stars the models can use; the calculation refuses fewer than
// its coefficients.
int usableCalibrationStars(const ScienceResults& r);

// The polynomial's diagnostics and errors, the transformation and the
// warnings; the status also goes into the results.
ScienceStatus finishScience(const Workspace& ws, ScienceResults& r);

// The warnings as one text, a paragraph each, led by its code in brackets
// as the batch tool writes it.
std::string warningsText(const std::vector<Warning>& warnings);

ScienceOutcome computeScience(const Workspace& ws, const ScienceSettings& settings);

// What to tell the user about a status other than Done.
std::string_view scienceStatusText(ScienceStatus status);

// The refusal of a calculation with fewer usable calibration stars than
// coefficients.
std::string underdeterminedText(int stars, int coefficients);

}  // namespace orelith
