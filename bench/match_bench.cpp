// The automatic comparison on a full frame: about 150 stars a side, the green
// image the blue one shifted by (2, -3) with a few stars missing and added.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "analysis/Correspondence.h"
#include "image/Workspace.h"
#include "tests/support/LiteralCompare.h"

namespace orelith {
namespace {

constexpr int kShiftX = 2;
constexpr int kShiftY = -3;

// True when no pixel of another star touches (x, y), diagonals included.
bool freeFor(const Workspace& ws, int image, int n, int x, int y) {
  for (int ax = x - 1; ax <= x + 1; ++ax) {
    for (int ay = y - 1; ay <= y + 1; ++ay) {
      if (!insideImage(ws, image, ax, ay)) continue;
      const int label = labelAt(ws, image, ax, ay);
      if (label != kLabelNoStar && label != n) return false;
    }
  }
  return insideImage(ws, image, x, y);
}

// A 4-connected blob of 5..40 pixels labelled n that touches no other star.
void paintBlob(Workspace& ws, int image, int n, std::mt19937& rng) {
  std::uniform_int_distribution<int> px(8, kImageWidth - 9), py(8, kImageHeight - 9);
  const int size = std::uniform_int_distribution<int>(5, 40)(rng);
  const int step[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
  for (int attempt = 0; attempt < 50; ++attempt) {
    const int x0 = px(rng);
    const int y0 = py(rng);
    if (!freeFor(ws, image, n, x0, y0)) continue;
    std::vector<std::array<int, 2>> pixels{{x0, y0}};
    labelAt(ws, image, x0, y0) = static_cast<std::uint16_t>(n);
    for (int tries = 0; static_cast<int>(pixels.size()) < size && tries < 20 * size; ++tries) {
      const auto from = pixels[rng() % pixels.size()];
      const int* s = step[rng() % 4];
      const int x = from[0] + s[0];
      const int y = from[1] + s[1];
      if (!freeFor(ws, image, n, x, y) || labelAt(ws, image, x, y) == n) continue;
      labelAt(ws, image, x, y) = static_cast<std::uint16_t>(n);
      pixels.push_back({x, y});
    }
    return;
  }
}

// Numbers the stars of `image` in row-major order of their first pixel, as
// the star search does; returns the star count.
int renumber(Workspace& ws, int image) {
  std::vector<int> number(kMaxStars, -1);
  int count = 0;
  for (int y = 0; y < kImageHeight; ++y) {
    for (int x = 0; x < kImageWidth; ++x) {
      const int label = labelAt(ws, image, x, y);
      if (label >= kMaxStars) continue;
      if (number[static_cast<std::size_t>(label)] < 0)
        number[static_cast<std::size_t>(label)] = count++;
      labelAt(ws, image, x, y) =
          static_cast<std::uint16_t>(number[static_cast<std::size_t>(label)]);
    }
  }
  return count;
}

std::unique_ptr<Workspace> makeField() {
  auto ws = std::make_unique<Workspace>();
  std::mt19937 rng(7);
  for (int x = 0; x < kImageWidth; ++x) {
    for (int y = 0; y < kImageHeight; ++y) {
      labelAt(*ws, kBlue, x, y) = kLabelNoStar;
      labelAt(*ws, kGreen, x, y) = kLabelNoStar;
    }
  }
  for (int n = 0; n < 150; ++n) paintBlob(*ws, kBlue, n, rng);
  const int blue = renumber(*ws, kBlue);
  for (int x = 0; x < kImageWidth; ++x) {
    for (int y = 0; y < kImageHeight; ++y) {
      const int label = labelAt(*ws, kBlue, x, y);
      const bool missing = label % 23 == 5;  // a few stars not seen in green
      if (label >= kMaxStars || missing || !insideImage(*ws, kGreen, x + kShiftX, y + kShiftY))
        continue;
      labelAt(*ws, kGreen, x + kShiftX, y + kShiftY) = static_cast<std::uint16_t>(label);
    }
  }
  for (int n = blue; n < blue + 6; ++n) paintBlob(*ws, kGreen, n, rng);
  ws->starCount[kBlue] = blue;
  ws->starCount[kGreen] = renumber(*ws, kGreen);
  ws->searchRect[kBlue] = kWholeImage;
  ws->searchRect[kGreen] = kWholeImage;
  ws->labelledRect[kBlue] = kWholeImage;  // as a search of the whole frames leaves them
  ws->labelledRect[kGreen] = kWholeImage;
  return ws;
}

void reportResult(benchmark::State& state, const Workspace& ws) {
  if (ws.offsetX != kShiftX || ws.offsetY != kShiftY) state.SkipWithError("wrong offset found");
  state.counters["overlap"] = ws.overlapCount;
  state.counters["blueStars"] = ws.starCount[kBlue];
  state.counters["greenStars"] = ws.starCount[kGreen];
}

void BM_CompareFast(benchmark::State& state) {
  auto ws = makeField();
  for (auto _ : state) {
    compareImages(*ws);
    benchmark::DoNotOptimize(ws->overlapCount);
  }
  reportResult(state, *ws);
}
BENCHMARK(BM_CompareFast)->Unit(benchmark::kMicrosecond);

void BM_CompareLiteral(benchmark::State& state) {
  auto ws = makeField();
  for (auto _ : state) {
    test::literalAutomaticCompare(*ws);
    benchmark::DoNotOptimize(ws->overlapCount);
  }
  reportResult(state, *ws);
}
BENCHMARK(BM_CompareLiteral)->Unit(benchmark::kMicrosecond);

void BM_MatchAtOffset(benchmark::State& state) {
  auto ws = makeField();
  ws->offsetX = kShiftX;
  ws->offsetY = kShiftY;
  for (auto _ : state) benchmark::DoNotOptimize(matchAtOffset(*ws));
}
BENCHMARK(BM_MatchAtOffset)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace orelith
