// The point-spread function of a frame and fits of stars with it: an
// elliptical Moffat profile fitted to the frame's bright, isolated,
// unsaturated stars, then used to measure a saturated star from its wings
// (the clipped pixels left out) and a blended star together with its
// neighbour.
#pragma once

#include <algorithm>
#include <cmath>
#include <memory>
#include <span>
#include <vector>

#include "analysis/FrameView.h"

namespace orelith {

// Light per unit flux at offset (dx, dy) from the centre:
//   (beta - 1) sqrt(det q) / pi * (1 + q11 dx^2 + 2 q12 dx dy + q22 dy^2)^-beta.
struct PsfShape {
  double q11 = 0.25, q22 = 0.25;
  double rho = 0;  // q12 = rho sqrt(q11 q22), |rho| < 1
  double beta = 3;

  double q12() const;
  double fwhm() const;  // of the round profile of the same area
  double at(double dx, double dy) const;
  static PsfShape round(double fwhm, double beta);
};

// Mean of the profile over the pixel whose centre lies (dx, dy) from the
// star, from sub x sub samples near the centre.
double psfPixel(const PsfShape& shape, double dx, double dy, int sub = 3);

// A held shape's profile as the star fits take it: worked out at every
// pixel, or read from a table. A frame of tens of thousands of stars fits
// most of them, and the profile's sub-samples are most of a fit's time; the
// table holds the pixel means and their slopes on a grid of a 48th of the
// FWHM out to 3 FWHM + 4 pixels (beyond, they are worked out), interpolated
// to within a thousandth of the peak.
class PsfProfile {
 public:
  struct Table;
  PsfProfile(const PsfShape& shape);  // worked out at every pixel
  static PsfProfile tabulated(const PsfShape& shape);

  const PsfShape& shape() const { return shape_; }
  const Table* table() const { return table_.get(); }
  double pixel(double dx, double dy) const;  // psfPixel(shape(), dx, dy), or from the table

 private:
  PsfShape shape_;
  std::shared_ptr<const Table> table_;
};

// A patch of the frame about one star.
struct Stamp {
  int left = 0, top = 0, width = 0, height = 0;
  std::vector<double> value;  // row-major; NaN: left out (bad, another star's, clipped)
  std::vector<double> sigma;  // noise of each pixel
  double sky = 0;

  int pixels() const;  // values that take part
};

// The square of side 2 half + 1 about (cx, cy) with the noise of each pixel
// from the sky noise and the gain; pixels where `skip(x, y)` holds, or whose
// value reaches `clipAt`, are left out.
template <typename Skip>
Stamp makeStamp(const FrameView& frame, double cx, double cy, int half, double sky, double skySigma,
                double gain, double clipAt, Skip skip);

struct StarGuess {
  double x, y, flux;
};

struct PsfStarFit {
  int components = 0;
  double x[2] = {}, y[2] = {}, flux[2] = {}, fluxError[2] = {};
  double chi2 = 0, reducedChi2 = 0;
  // Sum of the absolute residuals over the fitted flux: the share of the
  // light the profile leaves unexplained, whatever the star's brightness.
  double unexplained = 0;
  double sky = 0;  // the fitted offset of the stamp's sky
  int pixels = 0;
  bool converged = false;
  bool stopped = false;  // its chi-square fell below the caller's `stopBelow`: not converged
};

// Flux and centre of one or two stars in a stamp, the shape held, starting
// from the guesses and no sky offset. Its solver takes only steps that lower
// the chi-square, so a caller that only asks whether the chi-square ends
// below a value passes it as `stopBelow`, and the fit stops once it is there,
// at its start too (with INFINITY it returns the start's chi-square), or, a
// single star, at its start with the flux and sky offset that fit best
// there.
PsfStarFit fitStars(const PsfProfile& profile, const Stamp& stamp,
                    std::span<const StarGuess> guesses, double stopBelow = -INFINITY);

// The single fit's stars and a second one started at the pixel where the
// single fit leaves the most light, all fitted together; not converged when
// the second star leaves the stamp.
PsfStarFit fitWithNeighbour(const PsfProfile& profile, const Stamp& stamp,
                            const PsfStarFit& single);

// Whether the pair fit finds a second star: it explains far more than the
// noise (a chi-square drop of 25 and a fifth of the single fit's excess),
// lies at least half a FWHM from the first and holds a flux of at least 5 %
// of it, measured to five sigma.
bool secondStarFound(const PsfStarFit& single, const PsfStarFit& pair, double fwhm);

// Whether a fit measures its star: converged, enough pixels beyond the
// parameters, residuals near the noise or the light explained to 5 % (the
// profile is never exact, and a bright star's noise is small), and a flux
// known to 20 %.
bool fitUsable(const PsfStarFit& fit);

struct PsfShapeFit {
  PsfShape shape;
  double reducedChi2 = 0;
  int stars = 0;
  bool converged = false;
};

// The shape shared by the stars of `stamps` (one star each, `guesses` in the
// same order), starting from a round profile of `fwhm`. Through GSL's
// solver, or, `summed`, with the same steps on normal equations summed over
// each pixel's own parameters (a large frame's: a fraction of the work).
PsfShapeFit fitPsfShape(std::span<const Stamp> stamps, std::span<const StarGuess> guesses,
                        double fwhm, bool summed = false);

// ---- template definition ----

template <typename Skip>
Stamp makeStamp(const FrameView& frame, double cx, double cy, int half, double sky, double skySigma,
                double gain, double clipAt, Skip skip) {
  Stamp s;
  s.left = static_cast<int>(std::lround(cx)) - half;
  s.top = static_cast<int>(std::lround(cy)) - half;
  s.width = s.height = 2 * half + 1;
  s.sky = sky;
  s.value.resize(static_cast<std::size_t>(s.width * s.height));
  s.sigma.resize(s.value.size());
  for (int j = 0; j < s.height; ++j) {
    for (int i = 0; i < s.width; ++i) {
      const int x = s.left + i, y = s.top + j;
      double v = frame(x, y);
      if (std::isnan(v) || v >= clipAt || skip(x, y)) v = std::nan("");
      const auto at = static_cast<std::size_t>(j * s.width + i);
      s.value[at] = v;
      s.sigma[at] = std::sqrt(skySigma * skySigma + std::max(0.0, v - sky) / gain);
    }
  }
  return s;
}

}  // namespace orelith
