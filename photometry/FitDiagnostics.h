// How well a calibration model reproduces its own calibration stars: the
// residual of each, the RMS, and the RMS of each star predicted by the model
// fitted without it (leave one out).
#pragma once

#include <vector>

#include "image/Workspace.h"
#include "photometry/StandardTransform.h"

namespace orelith {

struct DiagnosticPoint {
  int blueStar;
  double lgBlue, lgGreen;  // for the polynomial curves
  Instrumental inst;       // for the transformation
  double V, BV;            // catalogue values
};

struct CalibrationResidual {
  int blueStar;
  double V, BV;        // catalogue minus model
  double looV, looBV;  // the same with the star left out of the fit; NaN when that fit fails
};

struct ModelDiagnostics {
  bool computed = false;
  int count = 0;
  std::vector<CalibrationResidual> stars;  // count of them
  double rmsV = 0, rmsBV = 0;
  double looRmsV = 0, looRmsBV = 0;  // NaN when no star could be left out
};

// Fits a model to `points` without point `left` (-1: none) and predicts V and
// B-V of every point into `V` and `BV`. False when the fit fails.
using Predictor = bool (*)(const DiagnosticPoint* points, int n, int left, int coefficients,
                           double* V, double* BV);

bool predictPolynomial(const DiagnosticPoint* points, int n, int left, int coefficients, double* V,
                       double* BV);
bool predictTransform(const DiagnosticPoint* points, int n, int left, int coefficients, double* V,
                      double* BV);

// Without `leaveOneOut` the left-out residuals and their RMS are NaN: the fits
// without each star cost n fits, seconds for a thousand calibration stars.
ModelDiagnostics diagnoseModel(const DiagnosticPoint* points, int n, int coefficients,
                               Predictor predict, bool leaveOneOut = true);

// One point per entry of the calibration list, in its order, with the lg and
// catalogue values; the instrumental magnitudes are left zero.
std::vector<DiagnosticPoint> calibrationPoints(const Workspace& ws);

// The residuals and RMS of the calibration curves with the workspace's
// coefficient count, without the leave-one-out fits.
ModelDiagnostics diagnosePolynomial(const Workspace& ws);

}  // namespace orelith
