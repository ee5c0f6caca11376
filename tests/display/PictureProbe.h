// Reading panel pictures back in the display tests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <ostream>

#include "image/Workspace.h"

namespace orelith::test {

struct Rgb {
  int r, g, b;
  bool operator==(const Rgb&) const = default;
};

inline void PrintTo(const Rgb& c, std::ostream* os) {
  *os << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

// The buffer stores blue, green, red.
inline Rgb pictureAt(const Workspace& ws, int panel, int x, int y) {
  const std::uint8_t* p = ws.picture[panel] + y * kPictureStride + x * 3;
  return {p[2], p[1], p[0]};
}

inline Rgb tableColor(const Workspace& ws, int k) {
  const std::uint8_t* c = ws.display.colorTable + 3 * k;
  return {c[0], c[1], c[2]};
}

// Gives star `number` of `image` the listed pixels.
inline void setStarPixels(Workspace& ws, int image, int number,
                          std::initializer_list<PixelPos> pixels) {
  StarRecord& s = star(ws, image, number);
  s.pixelCount = 0;
  for (PixelPos p : pixels) s.pixels[s.pixelCount++] = p;
}

}  // namespace orelith::test
