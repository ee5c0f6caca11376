// Results an observer needs beside the calibrated magnitudes: warning flags,
// aperture photometry, the standard transformation and the fit diagnostics.
// A fixed table of its own, so the measurement itself stays as it is.
#pragma once

#include <cstdint>

#include "analysis/StarFlags.h"
#include "image/Workspace.h"
#include "photometry/Aperture.h"
#include "photometry/FitDiagnostics.h"
#include "photometry/StandardTransform.h"

namespace orelith {

struct ScienceSettings {
  int saturation = 65530;  // the hot-pixel value unless chosen
  bool aperture = false;   // aperture photometry; else the summed brightness
  double radius = 0;       // aperture radius; 0: 0.85 of the image's FWHM
  double inner = 0;        // sky annulus; 0 0: three to five FWHM
  double outer = 0;
  double gain = 1.0;       // electrons per count
  double readNoise = 0.0;  // electrons
  bool transform = false;  // fit and apply the standard transformation
};

struct ImageScience {
  SkyNoise sky;
  double fwhm;
  ApertureSettings aperture;
};

struct ScienceTable {
  std::uint32_t flags[kMaxStars][2];  // FLAG_... per star and image
  ApertureResult aperture[kMaxStars][2];
  Instrumental instrumental[kMaxStars];    // of each pair, by blue star number
  StandardMagnitudes standard[kMaxStars];  // of each pair, by blue star number
  ImageScience image[2];
  bool flagsDone;
  bool apertureDone;
  bool transformDone;
  TransformFit transform;
  ModelDiagnostics polynomial;
  ModelDiagnostics transformed;
};

// Sky noise of both images and the flags of every star; FLAG_EXTRAPOLATED
// once calibration stars exist.
void computeStarFlags(const Workspace& ws, const ScienceSettings& settings, ScienceTable& table);

// Aperture photometry of every star of both searched images, at its centroid.
void measureApertures(const Workspace& ws, const ScienceSettings& settings, ScienceTable& table);

// Instrumental b and v of every pair (aperture when measured, else the
// summed brightness), then the transformation through the calibration stars
// and its diagnostics. False when fewer than 2 calibration stars are usable.
bool computeTransform(const Workspace& ws, const ScienceSettings& settings, ScienceTable& table);

// Diagnostics of the polynomial curves with the current coefficient count.
void computePolynomialDiagnostics(const Workspace& ws, ScienceTable& table);

}  // namespace orelith
