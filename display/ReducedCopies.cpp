#include "display/ReducedCopies.h"

#include <cmath>

#include "display/PanelView.h"

namespace orelith {
namespace {

// Half the size, each pixel the largest of the up to four it covers; fmax
// passes over NaN.
ReducedCopies::Level halved(const float* values, int width, int height) {
  ReducedCopies::Level out;
  out.width = (width + 1) / 2;
  out.height = (height + 1) / 2;
  out.values.resize(static_cast<std::size_t>(out.width) * out.height);
  for (int y = 0; y < out.height; ++y) {
    const float* a = values + static_cast<std::size_t>(2 * y) * width;
    const float* b = 2 * y + 1 < height ? a + width : a;
    float* o = out.values.data() + static_cast<std::size_t>(y) * out.width;
    for (int x = 0; x < out.width; ++x) {
      const int x1 = 2 * x + 1 < width ? 2 * x + 1 : 2 * x;
      o[x] = std::fmax(std::fmax(a[2 * x], a[x1]), std::fmax(b[2 * x], b[x1]));
    }
  }
  return out;
}

}  // namespace

void ReducedCopies::build(const float* values, int width, int height) {
  levels_.clear();
  levels_.reserve(32);  // each level reads the one before: none may move
  while (width > kPanelWidth || height > kPanelHeight) {
    levels_.push_back(halved(values, width, height));
    values = levels_.back().values.data();
    width = levels_.back().width;
    height = levels_.back().height;
  }
}

int ReducedCopies::levelFor(double frameStep) const {
  int k = 0;
  while (k < static_cast<int>(levels_.size()) && std::ldexp(1.0, k + 1) <= frameStep) ++k;
  return k;
}

const ReducedCopies& reducedCopies(Workspace& ws, int image) {
  PanelState& p = ws.display.panel[image];
  const ImageFrame& f = ws.frame[image];
  if (!p.reduced || p.reducedLoad != ws.loadCount[image] || p.reducedFrom != f.values.data() ||
      p.reducedWidth != f.width || p.reducedHeight != f.height) {
    // A copy of the workspace shares the pointer; it gets copies of its own.
    p.reduced = std::make_shared<ReducedCopies>();
    p.reduced->build(f.values.data(), f.width, f.height);
    p.reducedLoad = ws.loadCount[image];
    p.reducedFrom = f.values.data();
    p.reducedWidth = f.width;
    p.reducedHeight = f.height;
  }
  return *p.reduced;
}

}  // namespace orelith
