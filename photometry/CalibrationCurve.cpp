#include "photometry/CalibrationCurve.h"

namespace orelith {

double evaluateCurve(const Workspace& ws, double lg, int filter) {
  int n = ws.algorithm.coefficientCount;
  if (n > kMaxCoefficients) n = kMaxCoefficients;
  return evaluatePolynomial(ws.curves[filter], n, lg);
}

}  // namespace orelith
