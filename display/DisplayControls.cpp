#include "display/DisplayControls.h"

#include <algorithm>
#include <string>

#include "display/Render.h"
#include "resources/ControlIds.h"

namespace orelith {
namespace {

int backgroundField(int image) {
  return image == kBlue ? ctl::BackgroundFieldBlue : ctl::BackgroundFieldGreen;
}

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

}  // namespace

int panelForDisplayOf(const Workspace& ws, int image) {
  return image == kBlue ? kBlue : panelForGreenDisplay(ws);
}

void backgroundFieldChanged(Workspace& ws, WindowPort& port, int image, std::string_view text) {
  int value = leadingNumber(text, kMaxBackground);
  if (value > kMaxBackground) {
    port.beep();
    port.setText(backgroundField(image), std::to_string(kMaxBackground));
    value = kMaxBackground;
  }
  ws.display.backgroundField[image] = value;
  ws.backgroundLevel[image] = value;
  port.repaint(panelForDisplayOf(ws, image));
}

void foldBackgroundSlider(Workspace& ws, WindowPort& port, int image) {
  const int folded = std::clamp(
      ws.display.backgroundField[image] + ws.display.backgroundOffset[image], 0, kMaxBackground);
  ws.display.backgroundOffset[image] = 0;
  const std::string text = std::to_string(folded);
  port.setText(backgroundField(image), text);
  // A field written by the program runs the same handler as one typed into,
  // so the background and the repaint come from one place. Should the
  // window's setText raise the change handler again, that second run finds
  // the same text and only repaints once more.
  backgroundFieldChanged(ws, port, image, text);
}

void releaseRangeSlider(Workspace& ws, WindowPort& port, int image, int position) {
  ws.display.range[image] = std::clamp(position, kMinRange, kMaxRange);
  setBit(ws.optionFlags, image == kBlue ? OPT_RANGE_ONE_BLUE : OPT_RANGE_ONE_GREEN,
         ws.display.range[image] == 1);
  port.repaint(panelForDisplayOf(ws, image));
}

}  // namespace orelith
