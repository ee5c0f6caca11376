// Writing a frame of counts as a FITS image of any pixel type.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orelith::gen {

// A tangent-plane projection, north up and east to the left: frame pixel
// (refX, refY) (row 0 at the top) looks at (ra, dec), degrees.
struct TanWcs {
  double refX = 0.0, refY = 0.0;
  double ra = 0.0, dec = 0.0;
  double arcsecPerPixel = 0.0;  // 0: no world coordinates
};

struct FitsLayout {
  int bitpix = 16;  // 8, 16, 32, -32 or -64
  bool compressed =
      false;  // a tile-compressed image: Rice for integers, GZIP for floats (lossless)
  // Physical value = bzero + bscale * counts. Integer files keep the counts
  // with BZERO and BSCALE (16-bit frames stored signed, 8-bit ones in steps
  // of 257 counts), floating-point files the physical values themselves.
  double bzero = 0.0, bscale = 1.0;
  std::string filter;  // the FILTER keyword, none when empty
  TanWcs wcs;
};

// A 32-bit floating-point file of the physical values bzero + bscale * counts.
inline FitsLayout floatLayout(double bzero = 0.0, double bscale = 1.0) {
  FitsLayout l;
  l.bitpix = -32, l.bzero = bzero, l.bscale = bscale;
  return l;
}

// Writes `counts` (row-major, top row first) as a FITS image whose first row
// is the frame's bottom row; the pixels listed in `blank` hold no value
// (integer files: BLANK, counts of 0 then raised to 1; floating point: NaN).
// Empty when written, else why not.
std::string writeFits(const std::string& path, const std::uint16_t* counts, int width, int height,
                      const std::vector<int>& blank, const FitsLayout& layout);

}  // namespace orelith::gen
