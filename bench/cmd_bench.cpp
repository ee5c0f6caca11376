// The colour-magnitude diagram's layout (report/CmdView) for 2000 stars,
// without a window: the view and every star's mark, as each redraw lays them
// out (its share of the 16 ms a redraw may take), and the star under the
// pointer, as each hover asks.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "report/CmdView.h"

namespace orelith {
namespace {

// A cluster sequence of `count` stars with errors, every tenth flagged and
// every hundredth a calibration star (as the window's benchmark draws).
std::vector<CmdStar> clusterSequence(int count) {
  std::vector<CmdStar> stars;
  for (int k = 0; k < count; ++k) {
    const double v = 9.0 + 8.0 * k / count, bv = 0.1 + 0.12 * (v - 9.0) + 0.05 * std::sin(k);
    stars.push_back({k, k, {bv, v, 0.01 * (v - 8), 0.02 * (v - 8), k % 100 == 0, k % 10 == 0}, {}});
  }
  return stars;
}

void BM_CmdLayout2000Stars(benchmark::State& state) {
  const std::vector<CmdStar> stars = clusterSequence(2000);
  for (auto _ : state) {
    const CmdView view = cmdView(stars, 800, 600);
    double sum = 0;
    for (const CmdStar& s : stars) {
      const CmdMark m = cmdMark(view, s.point);
      sum += m.x + m.y + m.barLeft + m.barBottom;
    }
    benchmark::DoNotOptimize(sum);
    benchmark::DoNotOptimize(cmdTicksBV(view));
    benchmark::DoNotOptimize(cmdTicksV(view));
  }
}
BENCHMARK(BM_CmdLayout2000Stars)->Unit(benchmark::kMicrosecond);

// The pointer sweeps across the plot, a new place each time.
void BM_CmdStarUnderPointer2000Stars(benchmark::State& state) {
  const std::vector<CmdStar> stars = clusterSequence(2000);
  const CmdView view = cmdView(stars, 800, 600);
  double x = 0;
  for (auto _ : state) {
    x = std::fmod(x + 7.3, 800.0);
    benchmark::DoNotOptimize(cmdStarAt(view, stars, x, 300, kCmdMarker + 2));
  }
}
BENCHMARK(BM_CmdStarUnderPointer2000Stars)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace orelith
