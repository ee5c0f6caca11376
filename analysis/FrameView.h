// Read access to one frame's pixel values wherever they are stored: the
// interleaved 16-bit store, or a row-major plane of 16-bit or float values.
// The science works through it, so it does not care about the frame's size
// or pixel type.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>

#include "image/Workspace.h"

namespace orelith {

struct FrameView {
  const std::uint16_t* u16 = nullptr;  // one of the two is set
  const float* f32 = nullptr;
  std::ptrdiff_t xStride = 1, yStride = 0;
  int width = 0, height = 0;

  bool inside(int x, int y) const { return x >= 0 && x < width && y >= 0 && y < height; }

  // NaN for a pixel without a measurement: outside the frame, NaN in a
  // float frame, or 0 in a 16-bit frame (the converter's floor, which no
  // pixel under a sky reaches: a dead pixel).
  double operator()(int x, int y) const {
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    if (!inside(x, y)) return kNaN;
    const std::ptrdiff_t at = x * xStride + y * yStride;
    if (u16) return u16[at] == 0 ? kNaN : u16[at];
    return f32[at];
  }
};

inline FrameView frameView(const Workspace& ws, int image) {
  FrameView v;
  v.u16 = &ws.imageStore[0][0][image];
  v.xStride = kImageHeight * 4;
  v.yStride = 4;
  v.width = kImageWidth;
  v.height = kImageHeight;
  return v;
}

// A row-major plane, y * width + x.
inline FrameView planeView(const float* values, int width, int height) {
  FrameView v;
  v.f32 = values;
  v.yStride = width;
  v.width = width;
  v.height = height;
  return v;
}

inline FrameView planeView(const std::uint16_t* values, int width, int height) {
  FrameView v;
  v.u16 = values;
  v.yStride = width;
  v.width = width;
  v.height = height;
  return v;
}

}  // namespace orelith
