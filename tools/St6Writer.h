// Writing frames as ST-6 image files and the truth of a field as CSV.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/FieldGenerator.h"

namespace orelith::gen {

// Size of every file encodeSt6 makes: the 2048-byte header and 375 x 242
// pixels of two bytes.
inline constexpr std::size_t kSt6FileSize = 183548;

// A complete uncompressed ST-6 file of the row-major plane (y * 375 + x): a
// CCDOPS text header whose lines end in LF CR, closed by "End", then one 0x1A
// and zero bytes up to offset 2048; then the pixels row by row, LSB first.
std::vector<unsigned char> encodeSt6(const std::uint16_t* rowMajor);

// false when the file cannot be created or written completely.
bool writeSt6(const std::string& path, const std::uint16_t* rowMajor);

// One line per star, header "x,y,green_x,green_y,V,BV,blue_flux,green_flux,saturated";
// green_x = x + shiftX, green_y = y + shiftY; saturated is 0 or 1.
bool writeTruthCsv(const std::string& path, const std::vector<TrueStar>& truth, int shiftX,
                   int shiftY);

}  // namespace orelith::gen
