// Brelox: least-squares polynomial fit of up to 20 points behind the one export DoMinuit.
//
// The variable-metric minimiser alone stops far from the minimum once the monomial basis gets
// ill-conditioned (four coefficients and more on calibration data, where x sits in a narrow
// band away from 0: residual sums up to a million times the least one). So it runs on x mapped
// onto [-1, 1], and the result, mapped back, is finished by an exact Newton step of the
// quadratic objective, solved by Householder QR on the matrix of powers (never the normal
// equations: their condition is the square of an already huge one at 9 and 10 coefficients).
#include "fitlib/Brelox.h"

#include <gsl/gsl_errno.h>
#include <gsl/gsl_linalg.h>
#include <gsl/gsl_matrix.h>
#include <gsl/gsl_multimin.h>
#include <gsl/gsl_vector.h>

#include <cmath>

namespace {

constexpr int kMaxPoints = 20;
constexpr int kMaxCoefficients = 10;
constexpr int kMaxIterations = 100000;
constexpr double kStartValue = 1.0;
constexpr double kFirstStep = 0.1;
// Accuracy of each line search of the BFGS minimiser; 0.1 is what its authors recommend.
constexpr double kLineTolerance = 0.1;
// The minimiser only has to get close: the Newton step that follows removes what is left.
constexpr double kGradientTolerance = 1e-10;
constexpr int kMaxNewtonSteps = 4;

// Minuit's flag values for the objective: plain evaluation, with gradient, and the final call.
constexpr int kFlagValue = 4;
constexpr int kFlagGradient = 2;
constexpr int kFlagFinal = 3;

// Process-wide fit data: the objective is called by the minimiser and reads these, so one fit
// at a time.
BreloxPoint pointStore[kMaxPoints];
// The abscissa the objective uses for each stored point: its x, or x mapped onto [-1, 1].
double fitAbscissa[kMaxPoints];
int pointCount = 0;
int coefficientCount = 0;
double trialCoefficients[kMaxCoefficients] = {};

// P(x) = sum over i < n of x^i * c[i], summed from 0.0 in increasing i, x^i formed from 1.0 by
// i multiplications: the rule the program evaluates its curves with.
double polynomial(const double* c, int n, double x) {
  double sum = 0.0;
  for (int i = 0; i < n; ++i) {
    double power = 1.0;
    for (int k = 0; k < i; ++k) power *= x;
    sum += power * c[i];
  }
  return sum;
}

// The sum of squared residuals at `parameters`. When `gradient` is given it receives the
// derivative with respect to each parameter. The flag is Minuit's and changes nothing.
double sumOfSquares(const double* parameters, double* gradient, int flag) {
  static_cast<void>(flag);
  const int n = coefficientCount;
  for (int i = 0; i < n; ++i) {
    trialCoefficients[i] = parameters[i];
    if (gradient != nullptr) gradient[i] = 0.0;
  }
  if (pointCount <= 0) return 0.0;
  double sum = 0.0;
  for (int j = 0; j < pointCount; ++j) {
    const double x = fitAbscissa[j];
    const double r = pointStore[j].y - polynomial(trialCoefficients, n, x);
    sum += r * r;
    if (gradient == nullptr) continue;
    double power = 1.0;
    for (int i = 0; i < n; ++i) {
      gradient[i] -= 2.0 * r * power;
      power *= x;
    }
  }
  return sum;
}

void copyIn(const gsl_vector* v, double* out) {
  for (size_t i = 0; i < v->size; ++i) out[i] = gsl_vector_get(v, i);
}

void copyOut(const double* in, gsl_vector* v) {
  for (size_t i = 0; i < v->size; ++i) gsl_vector_set(v, i, in[i]);
}

double objectiveValue(const gsl_vector* v, void*) {
  double parameters[kMaxCoefficients];
  copyIn(v, parameters);
  return sumOfSquares(parameters, nullptr, kFlagValue);
}

void objectiveBoth(const gsl_vector* v, void*, double* value, gsl_vector* gradientOut) {
  double parameters[kMaxCoefficients];
  double gradient[kMaxCoefficients];
  copyIn(v, parameters);
  *value = sumOfSquares(parameters, gradient, kFlagGradient);
  copyOut(gradient, gradientOut);
}

void objectiveGradient(const gsl_vector* v, void* context, gsl_vector* gradientOut) {
  double value = 0.0;
  objectiveBoth(v, context, &value, gradientOut);
}

// Variable-metric minimisation from the start values; `parameters` receives where it stopped
// (the start values if the minimiser cannot even be set up).
void minimise(double* parameters, int n) {
  for (int i = 0; i < n; ++i) parameters[i] = kStartValue;
  const size_t size = static_cast<size_t>(n);
  gsl_vector* start = gsl_vector_alloc(size);
  gsl_multimin_fdfminimizer* minimiser =
      gsl_multimin_fdfminimizer_alloc(gsl_multimin_fdfminimizer_vector_bfgs2, size);
  if (start != nullptr && minimiser != nullptr) {
    copyOut(parameters, start);
    gsl_multimin_function_fdf objective{objectiveValue, objectiveGradient, objectiveBoth, size,
                                        nullptr};
    if (gsl_multimin_fdfminimizer_set(minimiser, &objective, start, kFirstStep, kLineTolerance) ==
        GSL_SUCCESS) {
      for (int iteration = 0; iteration < kMaxIterations; ++iteration) {
        // Non-finite data give a value nothing can be compared with: no use going on.
        if (!std::isfinite(minimiser->f)) break;
        if (gsl_multimin_test_gradient(minimiser->gradient, kGradientTolerance) == GSL_SUCCESS)
          break;
        if (gsl_multimin_fdfminimizer_iterate(minimiser) != GSL_SUCCESS) break;
      }
      copyIn(gsl_multimin_fdfminimizer_x(minimiser), parameters);
    }
  }
  if (minimiser != nullptr) gsl_multimin_fdfminimizer_free(minimiser);
  if (start != nullptr) gsl_vector_free(start);
}

// The abscissa the fit works in: t = scale * x + shift.
struct Mapping {
  bool mapped = false;
  double scale = 1.0;
  double shift = 0.0;
};

// Points the objective at x mapped affinely onto [-1, 1] when the mapped problem is
// well-posed (at least n points over a real x range), else at x itself.
Mapping chooseAbscissae(int n) {
  for (int j = 0; j < pointCount; ++j) fitAbscissa[j] = pointStore[j].x;
  if (pointCount < n || pointCount < 2) return {};
  double low = pointStore[0].x;
  double high = low;
  for (int j = 1; j < pointCount; ++j) {
    low = std::fmin(low, pointStore[j].x);
    high = std::fmax(high, pointStore[j].x);
  }
  const double half = 0.5 * (high - low);
  const double middle = 0.5 * (high + low);
  if (!(half > 0.0) || !std::isfinite(half) || !std::isfinite(middle)) return {};
  for (int j = 0; j < pointCount; ++j) fitAbscissa[j] = (pointStore[j].x - middle) / half;
  return {true, 1.0 / half, -middle / half};
}

// Rewrites the coefficients of a polynomial in t as coefficients of x, by Horner's scheme on
// polynomials: Q = (...(b[n-1] t + b[n-2]) t + ...) + b[0], t = scale * x + shift.
void mapBack(double* c, int n, const Mapping& map) {
  if (!map.mapped) return;
  double result[kMaxCoefficients] = {};
  for (int k = n - 1; k >= 0; --k) {
    for (int i = n - 1; i >= 1; --i) result[i] = result[i] * map.shift + result[i - 1] * map.scale;
    result[0] = result[0] * map.shift + c[k];
  }
  for (int i = 0; i < n; ++i) c[i] = result[i];
}

// Row of powers of x, each formed by repeated multiplication as the objective forms them.
void powerRow(gsl_matrix* v, size_t row, double x) {
  double power = 1.0;
  for (size_t i = 0; i < v->size2; ++i) {
    gsl_matrix_set(v, row, i, power);
    power *= x;
  }
}

// min ||V e - r|| by Householder QR, V the powers of the fit abscissae (full column rank here):
// the step in the basis the minimiser used.
bool solveOverdetermined(int n, const double* residual, double* step) {
  const size_t rows = static_cast<size_t>(pointCount);
  const size_t cols = static_cast<size_t>(n);
  double matrixData[kMaxPoints * kMaxCoefficients];
  double tauData[kMaxCoefficients];
  double restData[kMaxPoints];
  gsl_matrix_view v = gsl_matrix_view_array(matrixData, rows, cols);
  gsl_vector_view tau = gsl_vector_view_array(tauData, cols);
  gsl_vector_const_view r = gsl_vector_const_view_array(residual, rows);
  gsl_vector_view e = gsl_vector_view_array(step, cols);
  gsl_vector_view rest = gsl_vector_view_array(restData, rows);
  for (size_t j = 0; j < rows; ++j) powerRow(&v.matrix, j, fitAbscissa[j]);
  if (gsl_linalg_QR_decomp(&v.matrix, &tau.vector) != GSL_SUCCESS) return false;
  return gsl_linalg_QR_lssolve(&v.matrix, &tau.vector, &r.vector, &e.vector, &rest.vector) ==
         GSL_SUCCESS;
}

// Fewer distinct x than coefficients: every group of points sharing one x must be met by its
// mean residual, and of all steps in the coefficients of x that do so the shortest is taken
// (LQ of the distinct rows of powers of x).
bool solveUnderdetermined(int n, const double* distinctX, const double* meanResidual, int distinct,
                          double* step) {
  const size_t rows = static_cast<size_t>(distinct);
  const size_t cols = static_cast<size_t>(n);
  double matrixData[kMaxPoints * kMaxCoefficients];
  double tauData[kMaxCoefficients];
  double restData[kMaxPoints];
  gsl_matrix_view v = gsl_matrix_view_array(matrixData, rows, cols);
  gsl_vector_view tau = gsl_vector_view_array(tauData, rows);
  gsl_vector_const_view r = gsl_vector_const_view_array(meanResidual, rows);
  gsl_vector_view d = gsl_vector_view_array(step, cols);
  gsl_vector_view rest = gsl_vector_view_array(restData, rows);
  for (size_t k = 0; k < rows; ++k) powerRow(&v.matrix, k, distinctX[k]);
  if (gsl_linalg_LQ_decomp(&v.matrix, &tau.vector) != GSL_SUCCESS) return false;
  return gsl_linalg_LQ_lssolve(&v.matrix, &tau.vector, &r.vector, &d.vector, &rest.vector) ==
         GSL_SUCCESS;
}

// Groups the points by exact x value: distinctX[k] and the mean residual of group k.
int groupByX(const double* residual, double* distinctX, double* meanResidual) {
  int distinct = 0;
  int members[kMaxPoints] = {};
  for (int j = 0; j < pointCount; ++j) {
    int k = 0;
    while (k < distinct && !(distinctX[k] == pointStore[j].x)) ++k;
    if (k == distinct) {
      distinctX[distinct++] = pointStore[j].x;
      meanResidual[k] = 0.0;
    }
    meanResidual[k] += residual[j];
    ++members[k];
  }
  for (int k = 0; k < distinct; ++k) meanResidual[k] /= members[k];
  return distinct;
}

// The objective is quadratic, so an exact Newton step from c lands on the least-squares
// polynomial: r = y - V c with V the powers of x, d minimises ||V d - r|| (the shortest d when
// V lacks column rank), c += d. The residual is taken in x by the polynomial rule, as the
// program evaluates its curves; where the least-squares polynomial is unique the step is solved
// in the mapped abscissae, since the powers of x on a narrow band away from 0 are too
// ill-conditioned for it. The step is taken only while the residual norm is still below half
// of `residualNorm` (the norm before the previous step) and comes out finite; returns whether
// it was taken.
bool newtonStep(double* c, int n, const Mapping& map, double& residualNorm) {
  double residual[kMaxPoints];
  double norm = 0.0;
  for (int j = 0; j < pointCount; ++j) {
    residual[j] = pointStore[j].y - polynomial(c, n, pointStore[j].x);
    norm += residual[j] * residual[j];
  }
  norm = std::sqrt(norm);
  if (!(norm < 0.5 * residualNorm)) return false;
  residualNorm = norm;
  double distinctX[kMaxPoints];
  double meanResidual[kMaxPoints];
  const int distinct = groupByX(residual, distinctX, meanResidual);
  double step[kMaxCoefficients] = {};
  if (distinct >= n) {
    if (!solveOverdetermined(n, residual, step)) return false;
    mapBack(step, n, map);
  } else if (!solveUnderdetermined(n, distinctX, meanResidual, distinct, step)) {
    return false;
  }
  for (int i = 0; i < n; ++i)
    if (!std::isfinite(step[i])) return false;
  for (int i = 0; i < n; ++i) c[i] += step[i];
  return true;
}

// One Newton step is exact in exact arithmetic. In doubles, a step taken from far away (the
// minimiser may stop far off, and always does with fewer points than coefficients, where it
// runs on the raw powers of x) leaves a rounding error in proportion to that distance, which
// a repeated step removes: each gains some four orders of magnitude at ten coefficients.
void finishByNewtonSteps(double* c, int n, const Mapping& map) {
  if (pointCount <= 0) return;
  double residualNorm = HUGE_VAL;
  for (int step = 0; step < kMaxNewtonSteps; ++step)
    if (!newtonStep(c, n, map, residualNorm)) return;
}

void fit(double* coefficients, int n) {
  const Mapping map = chooseAbscissae(n);
  double parameters[kMaxCoefficients];
  minimise(parameters, n);
  // The "CALL FCN" step: one more evaluation, flag 3, at the parameters the minimiser left.
  sumOfSquares(parameters, nullptr, kFlagFinal);
  mapBack(parameters, n, map);
  finishByNewtonSteps(parameters, n, map);
  for (int i = 0; i < n; ++i) coefficients[i] = parameters[i];
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int DoMinuit(const BreloxPoint* points,
                                                               double* coefficients, int count,
                                                               int n) {
  if (count > kMaxPoints || n > kMaxCoefficients) return 1;
  // GSL's default handler aborts the process; this library's caller must never see that.
  gsl_error_handler_t* previousHandler = gsl_set_error_handler_off();
  for (int j = 0; j < count; ++j) pointStore[j] = points[j];
  pointCount = count;
  coefficientCount = n;
  if (n > 0) fit(coefficients, n);
  gsl_set_error_handler(previousHandler);
  return 0;
}
