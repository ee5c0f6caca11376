// The window's rules on the hot paths: a refill builds every list row (the
// target for 1024 pairs and for 2048 unpaired rows is well under 2 ms), and
// every pointer move over a panel writes the readouts and the help (well
// under 50 us).
#include <benchmark/benchmark.h>

#include <memory>

#include "interaction/Pointer.h"
#include "interaction/StarList.h"
#include "interaction/WindowPort.h"
#include "resources/ControlIds.h"

namespace orelith {
namespace {

// Full star tables with distinct values; `paired` pairs star k with star k.
std::unique_ptr<Workspace> fullTables(bool paired) {
  auto ws = std::make_unique<Workspace>();
  for (int image : {kBlue, kGreen}) {
    ws->starCount[image] = kMaxStars;
    for (int k = 0; k < kMaxStars; ++k) {
      StarRecord& s = star(*ws, image, k);
      s.brightness = static_cast<std::uint32_t>(1000 + 37 * k);
      s.pixelCount = static_cast<std::uint16_t>(1 + k % 512);
      s.lgBrightness = static_cast<float>(3.0 + k * 0.001);
      s.partner = static_cast<std::int16_t>(paired ? k : -1);
      s.magnitudeB = static_cast<float>(10.0 + k * 0.01);
      s.magnitudeV = static_cast<float>(9.5 + k * 0.01);
    }
  }
  ws->progressFlags =
      PRG_BLUE_SEARCHED | PRG_GREEN_SEARCHED | (paired ? PRG_COMPARED | PRG_CALIBRATION_STAR : 0u);
  return ws;
}

void BM_StarListRows(benchmark::State& state) {
  auto ws = fullTables(state.range(0) != 0);
  auto rows = std::make_unique<StarListRows>();
  for (auto _ : state) {
    starListRows(*ws, *rows);
    benchmark::DoNotOptimize(rows->count);
  }
}
BENCHMARK(BM_StarListRows)->Arg(1)->Arg(0)->ArgNames({"paired"})->Unit(benchmark::kMicrosecond);

void BM_PointerMoveOverPanel(benchmark::State& state) {
  auto ws = fullTables(false);
  NullWindowPort port;
  int x = 0;
  for (auto _ : state) {
    pointerMoved(*ws, port, 6 + x, 100, ctl::BlueFrame);
    x = (x + 1) % kImageWidth;
  }
}
BENCHMARK(BM_PointerMoveOverPanel);

}  // namespace
}  // namespace orelith
