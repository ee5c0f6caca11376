// Reading the image of a FITS file (through CFITSIO) into a frame.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>

#include "image/Frame.h"

namespace orelith {

// True when the first bytes of a file open a FITS file ("SIMPLE  =" in the
// first card): a frame is known by its content, whatever its name.
bool looksLikeFits(const char* head, std::size_t size);

enum class FitsStatus { Ok, CannotOpen, NotFits, Refused };

struct FitsOutcome {
  FitsStatus status = FitsStatus::Ok;
  std::string message;  // why the file was refused, in a sentence
};

// Reads the primary image of `path`, or the first image extension when the
// primary holds none (a tile-compressed image as CFITSIO unpacks it), into
// `frame`, physical values after BZERO and BSCALE. Blank, NaN and infinite
// pixels are masked. FITS row 1 is the bottom row: frame pixel (x, y) is
// FITS pixel (x + 1, NAXIS2 - y). Tables, one-axis images, cubes, frames
// outside `limits` and truncated data are refused with a message and
// nothing allocated beyond the header; `frame` is then left empty.
FitsOutcome readFitsFile(const std::string& path, Frame& frame, const FrameLimits& limits = {});

// The FILTER keyword of the image readFitsFile would read, from its header
// alone; empty for a file that is no readable FITS image or names no filter.
std::string readFitsFilter(const std::string& path);

// Whether the image readFitsFile would read stores floating-point values
// (BITPIX -32 or -64), from its header alone; false for any other file.
bool holdsFloatFrame(const std::string& path);

// The width and height of that image, from its header alone (each at most
// the largest side read); none for any other file.
std::optional<std::pair<int, int>> readFitsSize(const std::string& path);

}  // namespace orelith
