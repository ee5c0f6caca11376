// The polynomial rule of the calibration curves, shared by the fit and every
// user of a fitted curve, so the curve applied is exactly the one minimised.
#pragma once

namespace orelith {

// sum over i < n of x^i * c[i], summed from 0.0 in increasing i, with x^i
// formed from 1.0 by i multiplications (x^0 is 1.0 for every x).
inline double evaluatePolynomial(const double* c, int n, double x) {
  double sum = 0.0;
  for (int i = 0; i < n; ++i) {
    double power = 1.0;
    for (int k = 0; k < i; ++k) power *= x;
    sum += power * c[i];
  }
  return sum;
}

}  // namespace orelith
