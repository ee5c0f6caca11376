#include "display/DisplayControls.h"

#include <algorithm>
#include <cmath>

#include "base/Number.h"
#include "display/Render.h"

namespace orelith {
namespace {

// The leading decimal digits, saturated just above the bound so that a long
// run of digits cannot overflow.
int leadingNumber(std::string_view text, int bound) {
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = std::min(value * 10 + (c - '0'), bound + 1);
  }
  return value;
}

void setBackground(Workspace& ws, int image, double value) {
  ws.display.backgroundField[image] = value;
  ws.backgroundLevel[image] = value;
}

}  // namespace

int panelForDisplayOf(const Workspace& ws, int image) {
  return image == kBlue ? kBlue : panelForGreenDisplay(ws);
}

FieldStatus takeBackgroundText(Workspace& ws, int image, std::string_view text) {
  if (ws.floatFrame[image]) {
    const BoundedNumber n = boundedLeadingDecimal(text, kMaxFloatBackground);
    setBackground(ws, image, n.value);
    return n.beyond ? FieldStatus::Bounded : FieldStatus::Taken;
  }
  const int value = leadingNumber(text, kMaxBackground);
  setBackground(ws, image, std::min(value, kMaxBackground));
  return value > kMaxBackground ? FieldStatus::Bounded : FieldStatus::Taken;
}

double foldBackgroundOffset(Workspace& ws, int image) {
  const double bound = ws.floatFrame[image] ? kMaxFloatBackground : kMaxBackground;
  const double low = ws.floatFrame[image] ? -bound : 0.0;
  const double folded =
      std::clamp(ws.display.backgroundField[image] + backgroundOffsetValue(ws, image), low, bound);
  ws.display.backgroundOffset[image] = 0;
  setBackground(ws, image, folded);
  return folded;
}

bool fitLevelToFrame(Workspace& ws, int image) {
  if (ws.floatFrame[image]) return false;
  const auto whole = [](double v) {
    return std::clamp(std::floor(v), 0.0, double{kMaxBackground});
  };
  // Each on its own: the automatic background sets the level alone.
  ws.backgroundLevel[image] = whole(ws.backgroundLevel[image]);
  const double field = ws.display.backgroundField[image];
  ws.display.backgroundField[image] = whole(field);
  return ws.display.backgroundField[image] != field;
}

void chooseRangeUnit(Workspace& ws, int image) {
  ws.display.rangeUnit[image] = 1.0;
  if (!ws.floatFrame[image]) return;
  float low = INFINITY, high = -INFINITY;
  for (const float v : ws.frame[image].values) {
    if (!std::isfinite(v)) continue;
    low = std::min(low, v);
    high = std::max(high, v);
  }
  const double spread = double{high} - double{low};
  if (!(spread > 0)) return;
  ws.display.rangeUnit[image] =
      std::min(1.0, std::pow(10.0, std::ceil(std::log10(spread / kMaxRange))));
}

int rangePosition(const Workspace& ws, int image, double range) {
  const double steps = std::round(range / ws.display.rangeUnit[image]);
  return static_cast<int>(std::clamp(steps, double{kMinRange}, double{kMaxRange}));
}

void takeRangePosition(Workspace& ws, int image, int position) {
  ws.display.range[image] = std::clamp(position, kMinRange, kMaxRange);
  setBit(ws.optionFlags, image == kBlue ? OPT_RANGE_ONE_BLUE : OPT_RANGE_ONE_GREEN,
         ws.display.range[image] == 1);
}

}  // namespace orelith
