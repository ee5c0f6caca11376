#include "interaction/AlgorithmDialog.h"

#include <algorithm>
#include <string>

#include "interaction/Commands.h"
#include "interaction/NumberField.h"

namespace orelith {
namespace {

using A = AlgorithmControl;

struct Field {
  AlgorithmControl id;
  int bound;
};
constexpr Field kFields[] = {{A::MaxStarsBlue, kMaxStars},
                             {A::MaxStarsGreen, kMaxStars},
                             {A::Coefficients, kMaxCoefficients},
                             {A::HotPixel, 65535},
                             {A::PixelPerStar, kMaxStarPixels}};

void setPending(AlgorithmSettings& s, AlgorithmControl id, int value) {
  switch (id) {
    case A::MaxStarsBlue:
      s.maxStarsBlue = value;
      break;
    case A::MaxStarsGreen:
      s.maxStarsGreen = value;
      break;
    case A::Coefficients:
      s.coefficientCount = value;
      break;
    case A::HotPixel:
      s.hotPixelValue = value;
      break;
    case A::PixelPerStar:
      s.pixelPerStar = static_cast<std::uint16_t>(value);
      break;
    default:
      break;
  }
}

bool checked(const AlgorithmDialog& d, AlgorithmControl id) { return d.controls[id].checked; }

void showMoveControls(WindowPort& port, bool on) {
  for (ControlId id :
       {ctl::Move, ctl::OffsetLabel, ctl::ArrowUp, ctl::ArrowRight, ctl::ArrowDown, ctl::ArrowLeft})
    port.setVisible(id, on);
}

void manuallyOk(Workspace& ws, WindowPort& port, bool on) {
  if (on) {
    ws.optionFlags |= OPT_MOVE_MANUALLY;
    showMoveControls(port, true);
    port.setText(ctl::OffsetLabel, offsetLabelText(ws));
    return;
  }
  const bool wasMoveMode = hasBit(ws.optionFlags, OPT_MOVE_MODE);
  ws.optionFlags &= ~static_cast<std::uint32_t>(OPT_MOVE_MANUALLY | OPT_MOVE_MODE);
  showMoveControls(port, false);
  // The hidden "Move" box must not come back ticked with its mode off, and
  // the overlay of the move mode leaves the blue panel.
  port.setChecked(ctl::Move, false);
  for (ControlId id : {ctl::ArrowUp, ctl::ArrowRight, ctl::ArrowDown, ctl::ArrowLeft})
    port.setEnabled(id, false);
  if (wasMoveMode) port.repaint(kBlue);
}

}  // namespace

AlgorithmDialog openAlgorithmDialog(const Workspace& ws) {
  AlgorithmDialog d;
  d.pending = ws.algorithm;
  const std::uint32_t o = ws.optionFlags;
  const AlgorithmSettings& s = ws.algorithm;
  d.controls.add(A::Ok);
  d.controls.add(A::Cancel);
  d.controls.add(A::Standard, "", true);
  d.controls.add(A::Sort, "", false, false);
  d.controls.add(A::MaxStarsBlueLabel, "", false, false);
  d.controls.add(A::MaxStarsBlue, std::to_string(s.maxStarsBlue), false, false);
  d.controls.add(A::MaxStarsGreenLabel, "", false, false);
  d.controls.add(A::MaxStarsGreen, std::to_string(s.maxStarsGreen), false, false);
  d.controls.add(A::SubtractBackground, "", !hasBit(o, OPT_NO_BG_SUBTRACT));
  d.controls.add(A::Manually, "", hasBit(o, OPT_MOVE_MANUALLY), !hasBit(o, OPT_ROTATE_IMAGES));
  d.controls.add(A::RotateImages, "", hasBit(o, OPT_ROTATE_IMAGES), !hasBit(o, OPT_PAIR_ENTRY));
  d.controls.add(A::AutoBackground, "", hasBit(o, OPT_AUTO_BACKGROUND));
  d.controls.add(A::Coefficients, std::to_string(s.coefficientCount));
  d.controls.add(A::HotPixel, std::to_string(s.hotPixelValue));
  d.controls.add(A::PixelPerStar, std::to_string(s.pixelPerStar));
  return d;
}

void algorithmFieldChanged(AlgorithmDialog& d, WindowPort& port, AlgorithmControl id,
                           std::string_view text) {
  for (const Field& f : kFields) {
    if (f.id != id) continue;
    DialogControl& field = d.controls[id];
    field.text = text;
    int value = std::max(0, leadingDigits(text, f.bound));
    if (value > f.bound) {
      port.beep();
      value = f.bound;
      field.text = std::to_string(f.bound);
    }
    setPending(d.pending, id, value);
  }
}

void algorithmBoxClicked(AlgorithmDialog& d, AlgorithmControl box, bool on) {
  switch (box) {
    case A::Standard:
    case A::Sort:
      d.changed |= kChangedAlgorithm;
      d.controls[A::Standard].checked = box == A::Standard && on;
      d.controls[A::Sort].checked = box == A::Sort && on;
      for (AlgorithmControl id :
           {A::MaxStarsBlue, A::MaxStarsBlueLabel, A::MaxStarsGreenLabel, A::MaxStarsGreen})
        d.controls[id].enabled = false;
      break;
    case A::Manually:
      d.changed |= kChangedManually;
      d.controls[A::Manually].checked = on;
      break;
    case A::RotateImages: {
      d.changed |= kChangedRotate;
      d.controls[A::RotateImages].checked = on;
      DialogControl& manually = d.controls[A::Manually];
      manually.enabled = !on;
      if (on) {
        manually.checked = false;
        d.changed |= kChangedManually;
      }
      break;
    }
    case A::SubtractBackground:
      d.changed |= kChangedSubtract;
      d.controls[A::SubtractBackground].checked = on;
      break;
    case A::AutoBackground:
      d.changed |= kChangedAutoBackground;
      d.controls[A::AutoBackground].checked = on;
      break;
    default:
      break;
  }
}

void algorithmOk(Workspace& ws, WindowPort& port, const AlgorithmDialog& d) {
  ws.algorithm = d.pending;
  if (d.changed & kChangedAlgorithm)
    setBit(ws.optionFlags, OPT_SORT_ALGORITHM, checked(d, A::Sort));
  if (d.changed & kChangedManually) manuallyOk(ws, port, checked(d, A::Manually));
  if (d.changed & kChangedRotate)
    setBit(ws.optionFlags, OPT_ROTATE_IMAGES, checked(d, A::RotateImages));
  if (d.changed & kChangedSubtract)
    setBit(ws.optionFlags, OPT_NO_BG_SUBTRACT, !checked(d, A::SubtractBackground));
  if (d.changed & kChangedAutoBackground)
    setBit(ws.optionFlags, OPT_AUTO_BACKGROUND, checked(d, A::AutoBackground));
}

}  // namespace orelith
