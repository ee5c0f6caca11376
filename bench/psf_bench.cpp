// Fits of single stars with a held PSF shape, the science's most frequent
// work on a crowded frame: a saturated star from its wings (a 19 x 19 stamp
// whose core is clipped) and an unsaturated one on a 13 x 13 stamp, with the
// profile worked out at every pixel (ST-6 frames) and read from its table
// (larger frames). 200 noisy stars a run, each from a start off by half a
// pixel and by 40 % in flux.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "photometry/Psf.h"

namespace orelith {
namespace {

struct Case {
  Stamp stamp;
  StarGuess guess;
};

constexpr double kSky = 1000.0, kSkySigma = 8.0;

std::vector<Case> makeCases(const PsfShape& shape, int half, double flux, double clipAt) {
  std::mt19937 rng(7);
  std::normal_distribution<double> noise(0.0, 1.0);
  std::uniform_real_distribution<double> place(-0.5, 0.5);
  std::vector<Case> cases;
  for (int n = 0; n < 200; ++n) {
    const double x = 50.0 + place(rng), y = 50.0 + place(rng);
    Stamp s;
    s.left = 50 - half;
    s.top = 50 - half;
    s.width = s.height = 2 * half + 1;
    s.sky = kSky;
    for (int j = 0; j < s.height; ++j)
      for (int i = 0; i < s.width; ++i) {
        const double light = flux * psfPixel(shape, s.left + i - x, s.top + j - y);
        const double sigma = std::sqrt(kSkySigma * kSkySigma + light);
        const double v = kSky + light + sigma * noise(rng);
        s.value.push_back(v >= clipAt ? NAN : v);
        s.sigma.push_back(sigma);
      }
    cases.push_back({s, {std::round(x) + 0.5, std::round(y) - 0.5, 0.6 * flux}});
  }
  return cases;
}

// Argument 0: the table; 1: worked out. Second argument 0: wings, 1: whole.
void BM_StarFits200(benchmark::State& state) {
  const PsfShape shape = PsfShape::round(2.2, 4.0);
  const PsfProfile profile = state.range(0) == 0 ? PsfProfile::tabulated(shape) : PsfProfile(shape);
  const bool wings = state.range(1) == 0;
  const std::vector<Case> cases =
      wings ? makeCases(shape, 9, 4.0e6, 30000.0) : makeCases(shape, 6, 2.0e4, INFINITY);
  int converged = 0;
  for (auto _ : state) {
    converged = 0;
    for (const Case& c : cases)
      converged += fitStars(profile, c.stamp, std::span(&c.guess, 1)).converged;
  }
  state.counters["converged"] = converged;
}
BENCHMARK(BM_StarFits200)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"exact", "whole"})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orelith
