// What the science learns of one searched frame: its sky noise, which stars
// are saturated (and at what level), its point-spread function, which stars
// are blends, the aperture from the curve of growth, and each star measured
// by aperture or, where flags spoil the aperture, by the point-spread
// function.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "analysis/Saturation.h"
#include "analysis/StarFlags.h"
#include "image/Workspace.h"
#include "photometry/Aperture.h"
#include "photometry/CurveOfGrowth.h"
#include "photometry/Psf.h"

namespace orelith {

struct FrameOptions {
  double gain = 1;
  double readNoise = 0;
  std::optional<double> saturation;  // replaces the level found in the frame
  double hotValue = 65530;
  double radius = 0;  // aperture radius; 0: from the curve of growth
  double inner = 0;   // sky annulus; 0 0: three to five FWHM
  double outer = 0;
  // Every star's aperture will be measured with its neighbours' light
  // taken off: the light is spread onto a plane of the frame once.
  bool everyAperture = false;
};

// How the flux of a star was measured.
enum class Measured {
  Aperture,  // aperture photometry
  Sum,       // the search's summed brightness
  Wings,     // saturated: the point-spread function fitted to its unclipped pixels
  Pair,      // blended: fitted together with its neighbour
  Psf,       // at an edge: the point-spread function fitted to the pixels inside
  None,      // flagged, and no fit was possible
};

const char* measuredName(Measured m);

struct StarScience {
  PeakProfile profile;
  bool saturated = false, blended = false;
  // Touches the image or rectangle border, or its aperture meets the frame's
  // edge or a pixel without a measurement (dead or hot).
  bool incomplete = false;
  // What the peak test (hasSecondPeak) said of the star where the choice of
  // the PSF stars asked it, for the flags to take: 1 a second peak, 0 none,
  // -1 not asked.
  std::int8_t secondPeak = -1;
  // The fit of a flagged star: its wings, the pair, or the pixels inside the
  // frame; fitted says whether it measures the star (fitUsable).
  PsfStarFit fit;
  bool fitted = false;
  // The fit's relative flux error beyond its statistics, where the profile
  // stands in for what the pixels cannot tell; for the pair's other star too.
  double systematic = 0, neighbourSystematic = 0;
};

struct FrameScience {
  SkyNoise sky{};
  double deadBelow = 0;  // values below it are dead pixels
  SaturationResult saturation;
  double fwhm = 0;
  PsfShapeFit psf;
  bool psfUsable = false;
  // The stars' fits take the shape from it. A frame of the fixed ST-6 size
  // works it out at every pixel, as it always has; a larger frame, of
  // thousands of stars, reads it from a table.
  PsfProfile profile{PsfShape{}};
  std::vector<int> psfStars;  // the stars the shape was fitted to
  // Every star's light as the PSF spreads it, out to where it falls below a
  // quarter of the sky noise; apertures and annuli are freed of their
  // neighbours' with it. Not active without a usable PSF.
  NeighbourLight light;
  GrowthChoice growth;
  ApertureSettings aperture{};
  // Flux in the aperture, corrected to the largest radius of the curve of
  // growth, and the summed brightness, each divided by the fitted flux:
  // medians over the PSF stars, so fitted fluxes join either scale.
  double psfScale = 1, sumScale = 1;
  double psfScaleScatter = 0;  // of one star's ratio about psfScale, relative
  std::vector<StarScience> stars;
};

// `lightStore` becomes the plane of the neighbours' light, where there is
// one: a plane a frame before has used, whose memory is already the
// program's (a large frame's plane is over a hundred megabytes, and the
// system hands out fresh memory a page at a time).
FrameScience analyseFrame(const Workspace& ws, int image, const FrameOptions& options,
                          std::vector<double>&& lightStore = {});

// How a flagged star's fit measured it (Wings, Pair, Psf), or None.
Measured fittedMeasure(const StarScience& s);

}  // namespace orelith
