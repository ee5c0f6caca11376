#include "tools/Random.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace orelith::gen {
namespace {

// splitmix64: spreads nearby seeds and stream numbers over the whole state.
std::uint64_t mix(std::uint64_t z) {
  z += 0x9E3779B97F4A7C15ULL;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

constexpr double kPoissonExactBelow = 30.0;

}  // namespace

Random::Random(std::uint64_t seed, std::uint64_t stream) : engine_(mix(mix(seed) ^ mix(stream))) {}

double Random::uniform() {
  // 53 random bits, shifted by one step so that 0 cannot come out.
  return static_cast<double>((engine_() >> 11) + 1) * 0x1.0p-53;
}

double Random::uniform(double lo, double hi) { return lo + (hi - lo) * (1.0 - uniform()); }

std::uint64_t Random::below(std::uint64_t n) {
  // Rejection keeps every value equally likely.
  const std::uint64_t limit =
      std::numeric_limits<std::uint64_t>::max() - std::numeric_limits<std::uint64_t>::max() % n;
  std::uint64_t r;
  do r = engine_();
  while (r >= limit);
  return r % n;
}

double Random::normal() {
  if (hasSpare_) {
    hasSpare_ = false;
    return spare_;
  }
  const double radius = std::sqrt(-2.0 * std::log(uniform()));
  const double angle = 2.0 * std::numbers::pi * uniform();
  spare_ = radius * std::sin(angle);
  hasSpare_ = true;
  return radius * std::cos(angle);
}

std::int64_t Random::poisson(double mean) {
  if (mean <= 0.0) return 0;
  if (mean < kPoissonExactBelow) {
    const double limit = std::exp(-mean);
    std::int64_t k = 0;
    double product = uniform();
    while (product > limit) {
      ++k;
      product *= uniform();
    }
    return k;
  }
  const double k = std::floor(mean + std::sqrt(mean) * normal() + 0.5);
  return k < 0.0 ? 0 : static_cast<std::int64_t>(k);
}

}  // namespace orelith::gen
