// Aperture photometry of one star: the flux in a circle with exact pixel
// weights, less the sky of an annulus, with its error.
#pragma once

#include <cmath>
#include <vector>

#include "image/Workspace.h"
#include "photometry/Psf.h"

namespace orelith {

// A magnitude's error per relative error of its flux: 2.5 / ln 10.
inline constexpr double kMagPerLn = 1.0857362047581294;

struct ApertureSettings {
  double radius;  // of the aperture, pixels
  double inner;   // of the sky annulus
  double outer;
  double gain;       // electrons per count
  double readNoise;  // electrons; used only where the annulus cannot tell the sky noise
  // Pixels at or above this value (hot pixels and saturated cores), below
  // `badBelow` (dead pixels, far below the sky) or NaN hold no measurement.
  double hotValue = INFINITY;
  double badBelow = -INFINITY;
};

struct ApertureResult {
  double x, y;  // centre, pixel coordinates (pixel x covers x - 0.5 .. x + 0.5)
  double flux;  // counts above the sky
  double fluxError;
  double sky;       // per pixel
  double skySigma;  // scatter of one sky pixel
  double mag;       // -2.5 lg(flux); NaN unless flux > 0
  double magError;
  int skyPixels;      // annulus pixels kept after clipping
  bool clipped;       // the aperture reaches beyond the image
  int badPixels = 0;  // aperture pixels without a measurement, left out of flux and area
};

// Area of the intersection of the circle of radius r about the origin with
// the rectangle [x0, x1] x [y0, y1].
double circleRectOverlap(double x0, double x1, double y0, double y1, double r);

// Intensity-weighted centroid of a found star's pixels above the background.
void starCentroid(const Workspace& ws, int image, int number, double& x, double& y);

// The light of a frame's stars as the point-spread function spreads it, so
// that a star's aperture and sky annulus can be freed of its neighbours'
// (their halos reach far on real frames).
// Where every star's aperture is measured, the light is spread once onto a
// plane of the frame; where only a few are, each pixel asked sums the
// sources that reach it, in the same order, to the same value.
struct NeighbourLight {
  struct Source {
    double x, y, flux, radius;  // the light is spread within `radius`
  };
  PsfShape shape;
  int width = 0, height = 0;
  bool active = false;          // false: no light known
  std::vector<double> total;    // row-major, every source; empty: summed where asked
  std::vector<Source> sources;  // by star number
  // Without the plane: the sources whose square about them meets each cell
  // of kCell x kCell pixels, row-major, by star number.
  static constexpr int kCell = 32;
  int cellsWide = 0;
  std::vector<std::vector<int>> cells;

  // `store` becomes the plane when `plane` holds: memory the program already has.
  void start(const PsfShape& s, int w, int h, bool plane, std::vector<double>&& store = {});
  void add(const Source& s);
  // The light at (x, y) of every source but `self` (-1: none).
  double others(int x, int y, int self) const;
};

// Sky annulus pixels are those whose centres lie at inner <= d < outer and
// that no star of the search covers; the sky is their median after clipping
// at three sigma. With `light`, every pixel of the annulus and the aperture
// first loses the light of the stars other than `self`.
ApertureResult measureAperture(const Workspace& ws, int image, double x, double y,
                               const ApertureSettings& settings,
                               const NeighbourLight* light = nullptr, int self = -1);

// FWHM of a Gaussian star with the flux and peak of the star: the median over
// the stars of the image that carry no mark (every k-th star of a frame of
// more than 2048), or `fallback` when none has one.
double estimateFwhm(const Workspace& ws, int image, double fallback);

struct ImageApertures {
  double fwhm = 0;
  ApertureSettings settings{};  // as used for every star of the image
  double correction = 1;  // flux within the curve of growth's largest radius / in the aperture
  std::vector<ApertureResult> star;
};

struct ApertureTable {
  ImageApertures image[2];

  // All zero for a star the table does not know.
  const ApertureResult& of(int which, int k) const;
};

// Aperture photometry of every star of both searched images at its centroid.
// In `chosen` a radius of 0 means 0.85 of the image's FWHM, an annulus of 0 0
// three to five FWHM.
ApertureTable measureApertures(const Workspace& ws, const ApertureSettings& chosen);

}  // namespace orelith
