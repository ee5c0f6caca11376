// The key of one row of the star list: the row's blue star and green star,
// each a star number or none. Star number 0 is a real star in either half.
#pragma once

namespace orelith {

inline constexpr int kNoStar = -1;

struct StarRowKey {
  int blue = kNoStar;
  int green = kNoStar;
  bool operator==(const StarRowKey&) const = default;
};

}  // namespace orelith
