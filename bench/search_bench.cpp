// The star search, the automatic background and the star flags on a full
// generated frame: sky near 1000, about 150 stars, the brightest saturated at 65535.
#include <benchmark/benchmark.h>

#include <memory>

#include "analysis/StarFlags.h"
#include "analysis/StarSearch.h"
#include "tests/support/LiteralAutoBackground.h"
#include "tools/FieldGenerator.h"

namespace orelith {
namespace {

std::unique_ptr<Workspace> generatedFrame() {
  auto ws = std::make_unique<Workspace>();
  gen::FieldParams params;
  const gen::FieldPair field = gen::generateField(params);
  for (int y = 0; y < kImageHeight; ++y)
    for (int x = 0; x < kImageWidth; ++x)
      pixelAt(*ws, kBlue, x, y) = field.blue[static_cast<std::size_t>(y * kImageWidth + x)];
  ws->searchRect[kBlue] = kWholeImage;
  return ws;
}

void BM_SearchFullFrame(benchmark::State& state) {
  auto ws = generatedFrame();
  ws->backgroundLevel[kBlue] = 1150;
  for (auto _ : state) {
    searchStars(*ws, kBlue);
    benchmark::DoNotOptimize(ws->starCount[kBlue]);
  }
  state.counters["stars"] = ws->starCount[kBlue];
}
BENCHMARK(BM_SearchFullFrame)->Unit(benchmark::kMillisecond);

void BM_AutoBackgroundFast(benchmark::State& state) {
  auto ws = generatedFrame();
  for (auto _ : state) {
    ws->backgroundLevel[kBlue] = 0;
    chooseAutoBackground(*ws, kBlue);
    benchmark::DoNotOptimize(ws->backgroundLevel[kBlue]);
  }
  state.counters["level"] = ws->backgroundLevel[kBlue];
}
BENCHMARK(BM_AutoBackgroundFast)->Unit(benchmark::kMillisecond);

// About a minute: one iteration is enough to compare. The level must equal
// the fast one's.
void BM_AutoBackgroundLiteral(benchmark::State& state) {
  auto ws = generatedFrame();
  for (auto _ : state) {
    ws->backgroundLevel[kBlue] = 0;
    benchmark::DoNotOptimize(test::literalAutoBackground(*ws, kBlue));
  }
  state.counters["level"] = ws->backgroundLevel[kBlue];
}
BENCHMARK(BM_AutoBackgroundLiteral)->Unit(benchmark::kMillisecond)->Iterations(1);

// The flag pass of the science step on the searched frame: argument 0 at the
// level 1150, 1 at the automatic level (about a thousand small stars).
std::unique_ptr<Workspace> searchedFrame(bool autoBackground) {
  auto ws = generatedFrame();
  ws->backgroundLevel[kBlue] = 1150;
  if (autoBackground) ws->optionFlags |= OPT_AUTO_BACKGROUND;
  searchStars(*ws, kBlue);
  return ws;
}

void BM_SkyNoise(benchmark::State& state) {
  auto ws = searchedFrame(state.range(0) != 0);
  for (auto _ : state) benchmark::DoNotOptimize(measureSkyNoise(*ws, kBlue));
}
BENCHMARK(BM_SkyNoise)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_ShapeFlags(benchmark::State& state) {
  auto ws = searchedFrame(state.range(0) != 0);
  const FlagLimits limits{65000, measureSkyNoise(*ws, kBlue), 1.0};
  for (auto _ : state) {
    std::uint32_t all = 0;
    for (int k = 0; k < ws->starCount[kBlue]; ++k) all |= starShapeFlags(*ws, kBlue, k, limits);
    benchmark::DoNotOptimize(all);
  }
  state.counters["stars"] = ws->starCount[kBlue];
}
BENCHMARK(BM_ShapeFlags)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace orelith
