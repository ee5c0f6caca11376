#include "interaction/AlgorithmDialog.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "interaction/NumberField.h"
#include "resources/ControlIds.h"

namespace orelith {
namespace {

namespace a = algodlg;

struct Field {
  int id;
  int bound;
};
constexpr Field kFields[] = {{a::MaxStarsBlue, kMaxStars},
                             {a::MaxStarsGreen, kMaxStars},
                             {a::Coefficients, kMaxCoefficients},
                             {a::HotPixel, 65535},
                             {a::PixelPerStar, kMaxStarPixels}};

void setPending(AlgorithmSettings& s, int id, int value) {
  switch (id) {
    case a::MaxStarsBlue:
      s.maxStarsBlue = value;
      break;
    case a::MaxStarsGreen:
      s.maxStarsGreen = value;
      break;
    case a::Coefficients:
      s.coefficientCount = value;
      break;
    case a::HotPixel:
      s.hotPixelValue = value;
      break;
    case a::PixelPerStar:
      s.pixelPerStar = static_cast<std::uint16_t>(value);
      break;
    default:
      break;
  }
}

bool checked(const AlgorithmDialog& d, int id) { return dialogControl(d.controls, id).checked; }

void showMoveControls(WindowPort& port, bool on) {
  for (int id :
       {ctl::Move, ctl::OffsetLabel, ctl::ArrowUp, ctl::ArrowRight, ctl::ArrowDown, ctl::ArrowLeft})
    port.setVisible(id, on);
}

void manuallyOk(Workspace& ws, WindowPort& port, bool on) {
  if (on) {
    ws.optionFlags |= OPT_MOVE_MANUALLY;
    showMoveControls(port, true);
    char text[32];
    std::snprintf(text, sizeof text, "%d|%d", -ws.offsetX, -ws.offsetY);
    port.setText(ctl::OffsetLabel, text);
    return;
  }
  const bool wasMoveMode = hasBit(ws.optionFlags, OPT_MOVE_MODE);
  ws.optionFlags &= ~static_cast<std::uint32_t>(OPT_MOVE_MANUALLY | OPT_MOVE_MODE);
  showMoveControls(port, false);
  // The hidden "Move" box must not come back ticked with its mode off, and
  // the overlay of the move mode leaves the blue panel.
  port.setChecked(ctl::Move, false);
  for (int id : {ctl::ArrowUp, ctl::ArrowRight, ctl::ArrowDown, ctl::ArrowLeft})
    port.setEnabled(id, false);
  if (wasMoveMode) port.repaint(kBlue);
}

}  // namespace

AlgorithmDialog openAlgorithmDialog(const Workspace& ws) {
  AlgorithmDialog d;
  d.pending = ws.algorithm;
  const std::uint32_t o = ws.optionFlags;
  const AlgorithmSettings& s = ws.algorithm;
  d.controls = {
      makeControl(a::Ok),
      makeControl(a::Cancel),
      makeControl(a::Standard, "", true),
      makeControl(a::Sort, "", false, false),
      makeControl(a::MaxStarsBlueLabel, "", false, false),
      makeControl(a::MaxStarsBlue, std::to_string(s.maxStarsBlue), false, false),
      makeControl(a::MaxStarsGreenLabel, "", false, false),
      makeControl(a::MaxStarsGreen, std::to_string(s.maxStarsGreen), false, false),
      makeControl(a::SubtractBackground, "", !hasBit(o, OPT_NO_BG_SUBTRACT)),
      makeControl(a::Manually, "", hasBit(o, OPT_MOVE_MANUALLY), !hasBit(o, OPT_ROTATE_IMAGES)),
      makeControl(a::RotateImages, "", hasBit(o, OPT_ROTATE_IMAGES), !hasBit(o, OPT_PAIR_ENTRY)),
      makeControl(a::AutoBackground, "", hasBit(o, OPT_AUTO_BACKGROUND)),
      makeControl(a::Coefficients, std::to_string(s.coefficientCount)),
      makeControl(a::HotPixel, std::to_string(s.hotPixelValue)),
      makeControl(a::PixelPerStar, std::to_string(s.pixelPerStar)),
  };
  return d;
}

void algorithmFieldChanged(AlgorithmDialog& d, WindowPort& port, int controlId,
                           std::string_view text) {
  for (const Field& f : kFields) {
    if (f.id != controlId) continue;
    DialogControl& field = dialogControl(d.controls, controlId);
    field.text = text;
    int value = std::max(0, leadingDigits(text, f.bound));
    if (value > f.bound) {
      port.beep();
      value = f.bound;
      field.text = std::to_string(f.bound);
    }
    setPending(d.pending, controlId, value);
  }
}

void algorithmBoxClicked(AlgorithmDialog& d, int controlId, bool on) {
  switch (controlId) {
    case a::Standard:
    case a::Sort:
      d.changed |= kChangedAlgorithm;
      dialogControl(d.controls, a::Standard).checked = controlId == a::Standard && on;
      dialogControl(d.controls, a::Sort).checked = controlId == a::Sort && on;
      for (int id :
           {a::MaxStarsBlue, a::MaxStarsBlueLabel, a::MaxStarsGreenLabel, a::MaxStarsGreen})
        dialogControl(d.controls, id).enabled = false;
      break;
    case a::Manually:
      d.changed |= kChangedManually;
      dialogControl(d.controls, a::Manually).checked = on;
      break;
    case a::RotateImages: {
      d.changed |= kChangedRotate;
      dialogControl(d.controls, a::RotateImages).checked = on;
      DialogControl& manually = dialogControl(d.controls, a::Manually);
      manually.enabled = !on;
      if (on) {
        manually.checked = false;
        d.changed |= kChangedManually;
      }
      break;
    }
    case a::SubtractBackground:
      d.changed |= kChangedSubtract;
      dialogControl(d.controls, a::SubtractBackground).checked = on;
      break;
    case a::AutoBackground:
      d.changed |= kChangedAutoBackground;
      dialogControl(d.controls, a::AutoBackground).checked = on;
      break;
    default:
      break;
  }
}

void algorithmOk(Workspace& ws, WindowPort& port, const AlgorithmDialog& d) {
  ws.algorithm = d.pending;
  if (d.changed & kChangedAlgorithm)
    setBit(ws.optionFlags, OPT_SORT_ALGORITHM, checked(d, a::Sort));
  if (d.changed & kChangedManually) manuallyOk(ws, port, checked(d, a::Manually));
  if (d.changed & kChangedRotate)
    setBit(ws.optionFlags, OPT_ROTATE_IMAGES, checked(d, a::RotateImages));
  if (d.changed & kChangedSubtract)
    setBit(ws.optionFlags, OPT_NO_BG_SUBTRACT, !checked(d, a::SubtractBackground));
  if (d.changed & kChangedAutoBackground)
    setBit(ws.optionFlags, OPT_AUTO_BACKGROUND, checked(d, a::AutoBackground));
}

}  // namespace orelith
