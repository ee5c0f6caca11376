// Synthetic blue/green frame pairs of a star cluster field, with the truth
// they were made from, for testing the star search, the pairing and the
// calibration end to end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orelith::gen {

struct FieldParams {
  std::uint64_t seed = 1;
  int width = 375, height = 242;        // the blue frame
  int greenWidth = 0, greenHeight = 0;  // the green frame; 0: as the blue one
  int starCount = 150;                  // stars placed in the field
  double sky = 1000.0;                  // sky level in counts (both frames)
  double readNoise = 10.0;              // counts rms, Gaussian
  bool photonNoise = true;              // Poisson noise of sky and stars; off gives the bare model
  // Above this mean (counts; 0: never) photon and read noise are drawn as one
  // Gaussian, indistinguishable there and some fifty times faster to draw.
  double gaussianAbove = 0.0;
  double fwhm = 2.2;                    // pixels, Gaussian PSF
  double vBright = 8.5, vFaint = 15.5;  // range of V
  // Luminosity function: the density of V grows as 10^(lfSlope * V), so faint
  // stars outnumber bright ones.
  double lfSlope = 0.15;
  double bvScatter = 0.05;  // rms of B-V about the main sequence
  int hotPixels = 4;        // single pixels at 65535 per frame
  int blankPixels = 0;      // pixels without a value per frame (FITS BLANK or NaN)
  int deadPixels = 0;       // pixels at 0 per frame, as a dead pixel reads on a 16-bit camera
  // Counts at which a pixel saturates: a plateau below the hot pixels' 65535.
  double fullWell = 65535.0;
  // Relative scatter of a saturated pixel about the full well (a real
  // detector's plateau is not flat).
  double plateauNoise = 0.0;
  // Relative amplitude of a flat field's ripple over the frame. Uncorrected,
  // it scales sky and stars alike; corrected (the frame divided by the flat,
  // as reductions do), the stars keep their light and only the saturation
  // plateaus ripple, having stopped at the full well before the division.
  double flatRipple = 0.0;
  bool flatCorrected = false;
  double gain = 1.0;         // electrons per count: the photon noise of n counts is sqrt(n / gain)
  double moffatBeta = 0.0;   // 0: Gaussian star images; else Moffat images of this beta
  double ellipticity = 0.0;  // of the Moffat images: 1 - minor / major axis (axis at 30 degrees)
  // Stars brighter than blendLimitV that get a companion blendSeparation
  // pixels away with blendRatio of their flux in both filters.
  int blends = 0;
  double blendSeparation = 3.0, blendRatio = 0.25, blendLimitV = 13.0;
  // Red giants off the main sequence: V in giantV, B-V in giantBV.
  int giants = 0;
  double giantV[2] = {10.0, 11.5}, giantBV[2] = {1.0, 1.3};
  // true: every star lies in both frames; false: in either frame, so that a
  // shifted or smaller frame misses some.
  bool overlapOnly = true;
  int shiftX = 3, shiftY = -2;  // green pixel (x+shiftX, y+shiftY) shows blue pixel (x, y)
  double edgeMargin = 4.0;      // least distance of a star centre from the edge, in both frames
  double minSeparation = 8.0;   // least distance between two star centres (0: none)
  // Counts of a star = 10^(-0.4 (m - zeroPoint)) (total flux). With these a
  // V = 9 star just saturates the green frame at its peak.
  double zeroPointB = 23.3, zeroPointV = 23.05;
};

// x, y in the BLUE frame (sub-pixel centre; pixel x covers x - 0.5 .. x + 0.5);
// with overlapOnly false a star may lie outside either frame.
struct TrueStar {
  double x, y;
  double V, BV;
  double blueFlux, greenFlux;  // total counts of the star in each frame
  bool saturated;              // a pixel of the star was clipped in either frame
  bool saturatedIn[2] = {};    // ... in the blue, the green frame
  double peak[2] = {};         // the star's own highest pixel above the sky, before clipping
  int companion = -1;          // index of the star blended with it, or -1
};

// Planes row-major, y * width + x, each in its frame's size. hotBlue /
// hotGreen, blankBlue / blankGreen, deadBlue / deadGreen: row-major indices
// of the hot, the blank and the dead pixels of each frame (a blank pixel
// keeps a value in the planes, a dead one reads 0).
struct FieldPair {
  std::vector<std::uint16_t> blue, green;
  std::vector<TrueStar> truth;
  std::vector<int> hotBlue, hotGreen;
  std::vector<int> blankBlue, blankGreen;
  std::vector<int> deadBlue, deadGreen;
};

// A frame pair like a professional CCD's of an old open cluster, in the
// specified 375 x 242: Moffat images of 3 pixels FWHM, a sky of 200 counts
// with a noise of about 6 (gain 6), saturation plateaus near 30000 with
// noise (hot pixels at 65535), a corrected flat field's ripple of +-3 %,
// blends at 3 pixels and 25 %, dead pixels, six red giants; V = 9 .. 17, the
// brightest 1.5 mag beyond saturation.
FieldParams realisticParams(std::uint64_t seed);

// The size of the green frame of `p`.
int greenWidth(const FieldParams& p);
int greenHeight(const FieldParams& p);

// Empty when the parameters make a field; otherwise what is wrong with them.
std::string checkFieldParams(const FieldParams& p);

// Deterministic for a seed. Stars come brightest first. With parameters that
// checkFieldParams refuses, every vector of the result is empty.
FieldPair generateField(const FieldParams& p);

// B-V of the cluster's main sequence at magnitude V: -0.1 at V = 8.5 rising
// smoothly to 1.4 at V = 15.5 (continued beyond).
double mainSequenceColour(double V);

// Share of a star's flux that falls into the pixel whose centre lies (dx, dy)
// from the star's centre, for a Gaussian PSF of the given FWHM.
double pixelFraction(double fwhm, double dx, double dy);

// The same for the star images of `p` (Gaussian or elliptical Moffat).
double imageFraction(const FieldParams& p, double dx, double dy);

}  // namespace orelith::gen
