/* Brelox: least-squares polynomial fit of up to 1024 points. */
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

/* What DoMinuit returns. */
typedef enum BreloxResult {
  BRELOX_OK = 0,
  BRELOX_TOO_MANY = 1,  /* count > 1024 or n > 10 */
  BRELOX_NOT_FINITE = 2 /* a point is not finite, or no fit of it is */
} BreloxResult;

/* Fits c[0] + c[1] x + ... + c[n-1] x^(n-1) to `count` points by least
 * squares and writes the coefficients to `coefficients`: the least-squares
 * polynomial of at most n coefficients, the one of least norm (in x centred
 * and scaled onto [-1, 1]) where it is not unique. With no point the
 * coefficients are 1.0. Returns BRELOX_OK, or a failure that leaves the
 * coefficients untouched. Reentrant: all state lives in the call. */
int DoMinuit(const BreloxPoint* points, double* coefficients, int count, int n);

#ifdef __cplusplus
}
#endif

#endif
