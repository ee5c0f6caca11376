#include "photometry/CalibrationCurve.h"

namespace orelith {

double evaluatePolynomial(const double* coefficients, int n, double x) {
  double sum = 0.0;
  for (int i = 0; i < n; ++i) {
    double power = 1.0;
    for (int k = 0; k < i; ++k) power *= x;
    sum += power * coefficients[i];
  }
  return sum;
}

double evaluateCurve(const Workspace& ws, double lg, int filter) {
  int n = ws.algorithm.coefficientCount;
  if (n > kMaxCoefficients) n = kMaxCoefficients;
  return evaluatePolynomial(ws.curves[filter], n, lg);
}

}  // namespace orelith
