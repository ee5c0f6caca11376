// Read access to one frame's pixel values for the science: a row-major plane
// of any size, whose pixels without a measurement read as NaN. The science
// works through it, so it does not care where the frame came from.
#pragma once

#include <cmath>
#include <cstddef>
#include <limits>

#include "image/Workspace.h"

namespace orelith {

struct FrameView {
  const float* values = nullptr;
  int width = 0, height = 0;
  // Values below this hold no measurement: a dead pixel lies far below any
  // sky (the science sets it once it knows the sky).
  double deadBelow = -std::numeric_limits<double>::infinity();

  bool inside(int x, int y) const { return x >= 0 && x < width && y >= 0 && y < height; }

  // NaN for a pixel without a measurement: outside the frame, NaN (blank) in
  // the frame, or below deadBelow.
  double operator()(int x, int y) const {
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    if (!inside(x, y)) return kNaN;
    const double v = values[static_cast<std::size_t>(y) * width + x];
    return v >= deadBelow ? v : kNaN;
  }
};

inline FrameView frameView(const Workspace& ws, int image) {
  const ImageFrame& f = ws.frame[image];
  return {f.values.data(), f.width, f.height};
}

}  // namespace orelith
