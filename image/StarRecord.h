// One star of one image, as the star search finds it.
#pragma once

#include <cstdint>

namespace orelith {

inline constexpr int kMaxStars = 1024;
inline constexpr int kMaxStarPixels = 512;

struct PixelPos {
  std::uint16_t x;
  std::uint16_t y;
};

struct StarRecord {
  std::uint32_t brightness;  // sum of (value - background), or of values
  std::uint16_t x;           // brightest pixel: the star's position
  std::uint16_t y;
  std::uint16_t pixelCount;
  std::int32_t partner;  // star number in the other image, -1 = none
  std::uint32_t marks;   // StarMarkBits
  float magnitudeB;      // both magnitudes live in the blue record of a pair
  float magnitudeV;
  float lgBrightness;
  // The pixel list lives in the image's pool (Workspace::starPixelPool), so
  // that a field of a thousand small stars touches a few pages, not 4 MB:
  // entries pixelStart .. pixelStart + pixelCount - 1, in the order the fill
  // accepted them. Read it through starPixels().
  std::uint32_t pixelStart;
};

}  // namespace orelith
