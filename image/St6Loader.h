// Reading an ST-6 image file into a pixel plane.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "image/Workspace.h"
#include "resources/StringTable.h"

namespace orelith {

inline constexpr int kSt6PixelOffset = 2048;
inline constexpr long kSt6MinimumSize = kSt6PixelOffset + 2L * kPixelCount;

// Why a file was refused; each failure has one message.
// FitsRefused: a FITS file this program cannot read (the reader says why).
enum class St6Status { Ok, CannotOpen, CannotRead, Compressed, NotSt6, FitsRefused };

// The message shown for a failed read.
StringId st6MessageFor(St6Status status);

// Reads the pixels of `path` into `rowMajor` (y * 375 + x). A file that ends
// before its last pixel is refused as unreadable.
St6Status readSt6File(const std::string& path, std::uint16_t* rowMajor);

// Loads the file named by ws.filePath into the pixel plane of `image`. A
// refused file leaves the plane as it was. Anything but a regular file
// cannot be opened.
St6Status loadImage(Workspace& ws, int image);

}  // namespace orelith
