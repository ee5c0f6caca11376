// Workspaces and ST-6 files built inside a test.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "image/Workspace.h"

namespace orelith::test {

// A zero-initialised workspace with the program's start values.
std::unique_ptr<Workspace> makeWorkspace();

// Twenty blue stars, blue star k with lg 2 + 0.3 k paired with green star k + 100 with lg
// 2.1 + 0.3 k; no magnitudes yet (-1); both images searched and compared.
std::unique_ptr<Workspace> twentyPairs();

// Every pixel of `image` labelled as no star.
void clearLabels(Workspace& ws, int image);

// Both images loaded and searched whole, one-pixel star k of each at the k-th position given.
std::unique_ptr<Workspace> onePixelStars(const std::vector<std::array<int, 2>>& blue,
                                         const std::vector<std::array<int, 2>>& green);

// Sets the pixels of `image` from rows of characters: '.' is 100, a digit d
// is 100 + (d + 1) * 100; rows and columns beyond the pattern stay 100.
void paintPattern(Workspace& ws, int image, const std::vector<std::string>& rows, int left = 0,
                  int top = 0);

// Fills the pixel plane of `image` with one value.
void fillPlane(Workspace& ws, int image, std::uint16_t value);

// A fresh empty directory below the system's temporary directory.
std::filesystem::path makeTempDir();

// Bytes of an ST-6 file whose pixel (x, y) is pixel(x, y).
std::vector<unsigned char> st6Bytes(std::uint16_t (*pixel)(int x, int y));

void writeBytes(const std::filesystem::path& path, const std::vector<unsigned char>& bytes);

// One FITS header card: the value right-aligned to column 30 as the fixed format puts numbers and
// logicals, a quoted string from column 11.
inline std::string card(std::string key, std::string value) {
  key.resize(8, ' ');
  if (value[0] != '\'' && value.size() < 20) value.insert(0, 20 - value.size(), ' ');
  std::string c = key + "= " + value;
  c.resize(80, ' ');
  return c;
}

}  // namespace orelith::test
