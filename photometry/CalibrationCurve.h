// Evaluating a calibration curve: magnitude as a polynomial of lg brightness.
#pragma once

#include "image/Workspace.h"

namespace orelith {

// P(lg) = sum over i < n of lg^i * c[filter][i], with lg^i formed from 1.0 by
// i multiplications, exactly as the fit library minimises it. n is the
// current coefficient count; filter 0 is blue, 1 green.
double evaluateCurve(const Workspace& ws, double lg, int filter);

// The same rule on a bare coefficient array.
double evaluatePolynomial(const double* coefficients, int n, double x);

}  // namespace orelith
