// A full-panel render in each display mode. With auto update a panel is drawn
// up to 24 times a second while a slider is dragged, so each must stay far
// below the 42 ms between ticks; the target is under 2 ms.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>

#include "display/Render.h"
#include "image/Workspace.h"

namespace orelith {
namespace {

// A star field like a real frame: sky around 1000 counts with noise, a few
// hundred stars of Gaussian profile, some of them saturated.
void fillField(Workspace& ws, int image, unsigned seed) {
  std::mt19937 rng(seed);
  std::normal_distribution<double> noise(1000.0, 15.0);
  for (int x = 0; x < kImageWidth; ++x)
    for (int y = 0; y < kImageHeight; ++y)
      pixelAt(ws, image, x, y) = static_cast<std::uint16_t>(noise(rng));
  std::uniform_real_distribution<double> col(0, kImageWidth), row(0, kImageHeight);
  std::uniform_real_distribution<double> peak(200, 70000), width(0.8, 2.5);
  for (int s = 0; s < 300; ++s) {
    const double cx = col(rng), cy = row(rng), a = peak(rng), w = width(rng);
    for (int x = std::max(0, int(cx) - 8); x < std::min(kImageWidth, int(cx) + 9); ++x)
      for (int y = std::max(0, int(cy) - 8); y < std::min(kImageHeight, int(cy) + 9); ++y) {
        const double d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
        const double v = pixelAt(ws, image, x, y) + a * std::exp(-d2 / (2 * w * w));
        pixelAt(ws, image, x, y) = static_cast<std::uint16_t>(std::min(v, 65535.0));
      }
  }
}

std::unique_ptr<Workspace> makeFrame() {
  auto ws = std::make_unique<Workspace>();
  fillField(*ws, kBlue, 11);
  fillField(*ws, kGreen, 12);
  ws->searchRect[kBlue] = kWholeImage;
  ws->searchRect[kGreen] = {2, -3, 377, 239};  // moved by the arrows
  ws->offsetX = 2;
  ws->offsetY = -3;
  for (int image = 0; image < 2; ++image) {
    ws->backgroundLevel[image] = 1010;
    ws->display.backgroundOffset[image] = 17;
    ws->display.range[image] = 600;
  }
  return ws;
}

// 16 calibration stars and a fitted cubic for the plot.
void addCalibration(Workspace& ws) {
  ws.progressFlags = PRG_MAGNITUDES | PRG_CALIBRATION_STAR;
  ws.algorithm.coefficientCount = 4;
  const double curve[4] = {17.5, -1.9, 0.05, -0.002};
  for (int i = 0; i < 4; ++i) ws.curves[0][i] = ws.curves[1][i] = curve[i];
  for (int j = 0; j < kMaxCalibrationStars; ++j) {
    ws.calibration.entries[j] = {j, j};
    StarRecord& b = star(ws, kBlue, j);
    b.lgBrightness = 1.0f + 0.3f * static_cast<float>(j);
    b.magnitudeB = 15.0f - 0.4f * static_cast<float>(j);
    b.magnitudeV = 14.5f - 0.4f * static_cast<float>(j);
    star(ws, kGreen, j).lgBrightness = b.lgBrightness + 0.1f;
    for (int image = 0; image < 2; ++image) {
      StarRecord& s = star(ws, image, j);
      s.pixelCount = 64;
      s.pixelStart = static_cast<std::uint32_t>(64 * j);
      sized(ws.starPixelPool[image], 64 * static_cast<std::size_t>(j) + 64);
      for (int k = 0; k < 64; ++k)
        ws.starPixelPool[image][64 * j + k] = {static_cast<std::uint16_t>(20 * j + k % 8),
                                               static_cast<std::uint16_t>(10 * j + k / 8)};
    }
  }
  ws.selectedStar[kBlue] = 3;
  ws.calibration.count = kMaxCalibrationStars;
}

void run(benchmark::State& state, std::uint32_t options, int panel, bool calibration) {
  auto ws = makeFrame();
  ws->optionFlags = options;
  if (calibration) addCalibration(*ws);
  for (auto _ : state) {
    renderImage(*ws, panel);
    benchmark::DoNotOptimize(ws->picture[panel][12345]);
    benchmark::ClobberMemory();
  }
}

void BM_RenderGrey(benchmark::State& state) { run(state, 0, kBlue, false); }
void BM_RenderGreyWithHighlights(benchmark::State& state) {
  run(state, OPT_SELECTION_SHOWN, kBlue, true);
}
void BM_RenderCustomColors(benchmark::State& state) {
  run(state, OPT_CUSTOM_COLORS_GREEN, kGreen, false);
}
void BM_RenderOverlayGrey(benchmark::State& state) { run(state, OPT_MOVE_MODE, kBlue, false); }
void BM_RenderOverlayCustomColors(benchmark::State& state) {
  run(state, OPT_MOVE_MODE | OPT_CUSTOM_COLORS_BLUE, kBlue, false);
}
void BM_RenderPlotWithCurve(benchmark::State& state) {
  run(state, OPT_CURVE_VIEW_GREEN, kGreen, true);
}

BENCHMARK(BM_RenderGrey)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RenderGreyWithHighlights)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RenderCustomColors)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RenderOverlayGrey)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RenderOverlayCustomColors)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RenderPlotWithCurve)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace orelith
