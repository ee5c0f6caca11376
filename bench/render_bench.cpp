// A full-panel render in each display mode. With auto update a panel is drawn
// up to 24 times a second while a slider is dragged, so each must stay far
// below the 42 ms between ticks; the target is under 2 ms.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>

#include "display/PanelView.h"
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

// An 8192 x 8192 frame: sky with noise and 20,000 stars, made once for all
// the benchmarks below (it takes some 400 MB with its labels).
Workspace& largeFrame() {
  static const std::unique_ptr<Workspace> ws = [] {
    auto w = std::make_unique<Workspace>();
    constexpr int kSide = 8192;
    resizeFrame(*w, kBlue, kSide, kSide);
    std::uint32_t h = 12345;
    for (float& v : w->frame[kBlue].values) {
      h = h * 1664525u + 1013904223u;
      v = 1000.0f + static_cast<float>(h >> 26);  // 1000..1063
    }
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> at(4, kSide - 5);
    for (int s = 0; s < 20000; ++s) {
      const int x = at(rng), y = at(rng);
      for (int dy = -3; dy <= 3; ++dy)
        for (int dx = -3; dx <= 3; ++dx)
          pixelAt(*w, kBlue, x + dx, y + dy) += 5000.0f / static_cast<float>(1 + dx * dx + dy * dy);
    }
    w->searchRect[kBlue] = wholeImage(*w, kBlue);
    w->backgroundLevel[kBlue] = 1030;
    w->display.range[kBlue] = 400;
    return w;
  }();
  return *ws;
}

// A repaint after a pan: the view moves by a tenth of the panel each time
// (back and forth across the frame) at zoom state.range(0) / 64, and the
// panel is drawn. The reduced copies are made before the timing, as the
// first drawing after a load makes them.
void BM_RenderLargeFramePanned(benchmark::State& state) {
  Workspace& ws = largeFrame();
  const double zoom = static_cast<double>(state.range(0)) / 64;
  setView(ws, kBlue, {zoom, 0, 0});
  renderImage(ws, kBlue);
  double step = 37.5 / zoom;
  for (auto _ : state) {
    PanelView v = currentView(ws, kBlue);
    const PanelView moved = pannedBy(v, -step, -step * 0.6, 8192, 8192);
    if (moved == v) step = -step;
    setView(ws, kBlue, moved);
    renderImage(ws, kBlue);
    benchmark::DoNotOptimize(ws.picture[kBlue][12345]);
    benchmark::ClobberMemory();
  }
}

// A repaint after each notch of the wheel, in from the fitted view to 1:1
// and out again about a point off the centre.
void BM_RenderLargeFrameZoomed(benchmark::State& state) {
  Workspace& ws = largeFrame();
  setView(ws, kBlue, fittedView(8192, 8192));
  renderImage(ws, kBlue);
  int direction = 1;
  for (auto _ : state) {
    const PanelView v = currentView(ws, kBlue);
    if ((direction > 0 && v.zoom >= 1.0) || (direction < 0 && v == fittedView(8192, 8192)))
      direction = -direction;
    setView(ws, kBlue, zoomStepped(v, direction, 250, 80, 8192, 8192));
    renderImage(ws, kBlue);
    benchmark::DoNotOptimize(ws.picture[kBlue][12345]);
    benchmark::ClobberMemory();
  }
}

BENCHMARK(BM_RenderLargeFramePanned)
    ->Arg(2)
    ->Arg(16)
    ->Arg(64)
    ->Arg(256)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RenderLargeFrameZoomed)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RenderGrey)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RenderGreyWithHighlights)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RenderCustomColors)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RenderOverlayGrey)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RenderOverlayCustomColors)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RenderPlotWithCurve)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace orelith
