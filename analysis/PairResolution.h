// One-to-one partners. The row-major match links a star with every star of
// the other image it overlaps, the last one met winning, so a large blue star
// over two green stars can point to a speck while its real partner points
// back at it. Where that happens the overlapping stars are paired by largest
// overlap instead; where the row-major result is already one-to-one it stays.
#pragma once

#include <span>
#include <vector>

namespace orelith {

// Pixel positions at which blue star `blue` lies on green star `green`; the
// position of the last of them in the order the match met them.
struct Overlap {
  int blue, green;
  int pixels;
  int last;
};

// The overlaps of a match from the star pair of each overlapping pixel, in
// the order the match met them.
std::vector<Overlap> countOverlaps(std::span<const std::pair<int, int>> pixelPairs);

// `blue[b]` and `green[g]`: the partners the match left (-1 none), changed in
// place. Within each group of stars joined by overlaps, the links stay when
// all of them are mutual; otherwise the group's overlaps, largest first (the
// later met first among equal ones), pair stars that are both still free,
// and the stars left over get no partner.
void resolvePartners(std::span<const Overlap> overlaps, std::vector<int>& blue,
                     std::vector<int>& green);

}  // namespace orelith
