// The aperture radius from the stars' curve of growth, and the aperture
// correction that takes a flux in that radius to the flux in the largest.
#pragma once

#include <span>
#include <vector>

namespace orelith {

struct GrowthChoice {
  double radius = 0;      // where the curve has flattened
  double correction = 1;  // flux in the largest radius / flux in `radius`, median over the stars
  double correctionError = 0;  // of that median, relative
  double scatter = 0;          // of one star's ratio about the median, relative
  int stars = 0;               // curves that took part
};

// `fluxes[s][j]`: star s's flux within radii[j] (ascending). The radius is
// the smallest at which the median curve, each star's divided by its value
// at the largest radius, reaches `share`. Stars without a positive flux at
// the largest radius take no part; with none, the result has stars == 0 and
// the largest radius.
GrowthChoice chooseAperture(std::span<const double> radii,
                            const std::vector<std::vector<double>>& fluxes, double share = 0.95);

// The correction at radii[j].
GrowthChoice growthAt(std::span<const double> radii, const std::vector<std::vector<double>>& fluxes,
                      std::size_t j);

}  // namespace orelith
