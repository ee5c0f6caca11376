/* A caller written in C: the header must compile as C and the library link from C. */
#include "fitlib/Brelox.h"

_Static_assert(sizeof(BreloxPoint) == 16, "a point record is two doubles, x then y");

/* The line y = 1 + 2x through three exact points. */
int fitLineFromC(double* coefficients) {
  const BreloxPoint points[3] = {{0.0, 1.0}, {1.0, 3.0}, {2.0, 5.0}};
  return DoMinuit(points, coefficients, 3, 2);
}
