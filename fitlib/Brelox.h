/* Brelox: least-squares polynomial fit of up to 20 points. */
#ifndef BRELOX_H
#define BRELOX_H

#ifdef __cplusplus
extern "C" {
#endif

/* One point of the fit: 16 bytes, x then y. */
typedef struct BreloxPoint {
  double x;
  double y;
} BreloxPoint;

/* Fits c[0] + c[1] x + ... + c[n-1] x^(n-1) to `count` points and writes the
 * coefficients to `coefficients`. Returns 1 without touching anything when
 * count > 20 or n > 10, else 0. Not reentrant: one fit at a time. */
int DoMinuit(const BreloxPoint* points, double* coefficients, int count, int n);

#ifdef __cplusplus
}
#endif

#endif
