#include "photometry/CurveOfGrowth.h"

#include <algorithm>
#include <cmath>

namespace orelith {
namespace {

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

// Scatter from the median absolute deviation, robust to a disturbed curve.
double robustSigma(const std::vector<double>& v, double centre) {
  std::vector<double> d;
  for (double x : v) d.push_back(std::abs(x - centre));
  return 1.4826 * median(d);
}

}  // namespace

namespace {

// The curves with a positive flux at the largest radius.
std::vector<const std::vector<double>*> usableCurves(
    std::size_t size, const std::vector<std::vector<double>>& fluxes) {
  std::vector<const std::vector<double>*> curves;
  for (const auto& f : fluxes)
    if (f.size() == size && f[size - 1] > 0) curves.push_back(&f);
  return curves;
}

}  // namespace

GrowthChoice growthAt(std::span<const double> radii, const std::vector<std::vector<double>>& fluxes,
                      std::size_t j) {
  GrowthChoice out;
  if (j >= radii.size()) return out;
  out.radius = radii[j];
  const std::size_t last = radii.size() - 1;
  std::vector<double> ratios;
  for (const auto* f : usableCurves(radii.size(), fluxes))
    if ((*f)[j] > 0) ratios.push_back((*f)[last] / (*f)[j]);
  out.stars = static_cast<int>(ratios.size());
  if (ratios.empty()) return out;
  out.correction = median(ratios);
  out.scatter = robustSigma(ratios, out.correction) / out.correction;
  out.correctionError = out.scatter / std::sqrt(static_cast<double>(ratios.size()));
  return out;
}

GrowthChoice chooseAperture(std::span<const double> radii,
                            const std::vector<std::vector<double>>& fluxes, double share) {
  if (radii.empty()) return GrowthChoice{};
  const std::size_t last = radii.size() - 1;
  const auto curves = usableCurves(radii.size(), fluxes);
  if (curves.empty()) return growthAt(radii, fluxes, last);
  for (std::size_t j = 0; j < radii.size(); ++j) {
    std::vector<double> shares;
    for (const auto* f : curves) shares.push_back((*f)[j] / (*f)[last]);
    if (median(shares) >= share) return growthAt(radii, fluxes, j);
  }
  return growthAt(radii, fluxes, last);
}

}  // namespace orelith
