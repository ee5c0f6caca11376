// Reading an ST-6 image file into a pixel plane.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "image/WindowPort.h"
#include "image/Workspace.h"

namespace orelith {

inline constexpr int kSt6PixelOffset = 2048;
inline constexpr long kSt6MinimumSize = kSt6PixelOffset + 2L * kPixelCount;

// Why a file was refused; each failure has one message.
enum class St6Status { Ok, CannotOpen, CannotRead, Compressed, NotSt6 };

// The string number shown for a failed read.
int st6MessageFor(St6Status status);

// Reads the pixels of `path` into `rowMajor` (y * 375 + x). A file that ends
// before its last pixel is refused as unreadable.
St6Status readSt6File(const std::string& path, std::uint16_t* rowMajor);

enum LoadResult : int { kLoadOk = 0, kLoadFailed = 1 };

// Loads the file named by ws.filePath into the pixel plane of `image`. On
// failure shows the message and leaves the plane as it was. Anything but a
// regular file cannot be opened (message 1).
LoadResult loadImage(Workspace& ws, WindowPort& port, int image);

}  // namespace orelith
