// Random numbers for the synthetic fields, drawn with our own formulas on top
// of std::mt19937_64 so that a seed gives the same field with every standard
// library (the std:: distributions are implementation-defined).
#pragma once

#include <cstdint>
#include <random>

namespace orelith::gen {

class Random {
 public:
  // `stream` separates independent sequences drawn from one seed, so that
  // e.g. the noise of a frame does not change when the star count does.
  Random(std::uint64_t seed, std::uint64_t stream);

  // Uniform in (0, 1]: never 0, so its logarithm is finite.
  double uniform();
  // Uniform in [lo, hi).
  double uniform(double lo, double hi);
  // Uniform integer in [0, n), n > 0.
  std::uint64_t below(std::uint64_t n);
  // Standard normal (Box-Muller, the second value kept for the next call).
  double normal();
  // Poisson with mean `mean` >= 0. Exact (product of uniforms) below 30; above
  // that the rounded normal approximation, whose skew (1/sqrt(mean)) is far
  // below anything the frames resolve.
  std::int64_t poisson(double mean);

 private:
  std::mt19937_64 engine_;
  double spare_ = 0.0;
  bool hasSpare_ = false;
};

}  // namespace orelith::gen
