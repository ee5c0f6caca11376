// Evaluating a calibration curve: magnitude as a polynomial of lg brightness.
#pragma once

#include "fitlib/Polynomial.h"
#include "image/Workspace.h"

namespace orelith {

// P(lg) = sum over i < n of lg^i * c[filter][i] by the fit's own rule
// (evaluatePolynomial); n is the current coefficient count; filter 0 is
// blue, 1 green.
double evaluateCurve(const Workspace& ws, double lg, int filter);

}  // namespace orelith
