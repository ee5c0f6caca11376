// A frame of any size as a file gave it: pixel values, the pixels that hold
// no value, and what the file said about it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orelith {

// The sizes of frame this program reads. A frame of 8192 x 8192 pixels needs
// about 320 MB as read (four bytes a value, one a mask entry); larger mosaics
// are refused before anything is allocated.
struct FrameLimits {
  int minSide = 16;
  int maxSide = 32768;  // star positions are kept in 16 bits
  long long maxPixels = 8192LL * 8192LL;
};

struct Frame {
  int width = 0;
  int height = 0;
  // Row-major, y * width + x, row 0 at the top of the picture. A masked pixel
  // holds NaN, so that a sum that forgets the mask shows it.
  std::vector<float> values;
  // 1 where the file has no value (a BLANK integer, NaN or an infinity);
  // empty when every pixel has one.
  std::vector<std::uint8_t> mask;

  int bitpix = 0;           // the stored pixel type: 8, 16, 32, -32 or -64
  bool compressed = false;  // a tile-compressed image
  int hdu = 0;              // 1-based number of the header-data unit read
  std::string filter;       // the FILTER keyword, empty without one
  // The image header as 80-character cards (a compressed image's as the
  // uncompressed image would have it), for the world coordinates.
  std::string header;

  bool masked(std::size_t i) const { return !mask.empty() && mask[i] != 0; }
  float at(int x, int y) const { return values[static_cast<std::size_t>(y) * width + x]; }
};

}  // namespace orelith
