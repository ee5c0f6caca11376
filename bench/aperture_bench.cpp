// Aperture photometry of 1000 stars on a generated frame with the default
// aperture and annulus: the target is under 5 ms.
#include <benchmark/benchmark.h>

#include <memory>

#include "analysis/StarSearch.h"
#include "photometry/Aperture.h"
#include "tools/FieldGenerator.h"

namespace orelith {
namespace {

void BM_Aperture1000Stars(benchmark::State& state) {
  auto ws = std::make_unique<Workspace>();
  const gen::FieldPair field = gen::generateField(gen::FieldParams{});
  for (int i = 0; i < kPixelCount; ++i)
    pixelAt(*ws, kBlue, i % kImageWidth, i / kImageWidth) = field.blue[static_cast<std::size_t>(i)];
  ws->searchRect[kBlue] = kWholeImage;
  ws->backgroundLevel[kBlue] = 1130;
  searchStars(*ws, kBlue);
  const int stars = ws->starCount[kBlue];
  const double fwhm = estimateFwhm(*ws, kBlue, 2.5);
  const ApertureSettings settings{0.85 * fwhm, 3 * fwhm, 5 * fwhm, 1.0, 0.0};
  double x[kMaxStars], y[kMaxStars];
  for (int k = 0; k < stars; ++k) starCentroid(*ws, kBlue, k, x[k], y[k]);
  for (auto _ : state) {
    double sum = 0;
    for (int n = 0; n < 1000; ++n)
      sum += measureAperture(*ws, kBlue, x[n % stars], y[n % stars], settings).flux;
    benchmark::DoNotOptimize(sum);
  }
  state.counters["stars_in_frame"] = stars;
  state.counters["fwhm"] = fwhm;
}
BENCHMARK(BM_Aperture1000Stars)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orelith
