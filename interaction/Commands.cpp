#include "interaction/Commands.h"

#include <algorithm>

#include "analysis/Correspondence.h"
#include "analysis/StarSearch.h"
#include "display/DisplayControls.h"
#include "display/Render.h"
#include "image/OpenImage.h"
#include "interaction/MainWindowLayout.h"
#include "photometry/Calibration.h"
#include "report/CmdBitmap.h"
#include "report/SaveCommand.h"
#include "resources/ControlIds.h"
#include "resources/StringTable.h"

namespace orelith {
namespace {

constexpr int kMinFrequency = 1;
constexpr int kMaxFrequency = 24;
constexpr int kMinBackgroundOffset = -128;
constexpr int kMaxBackgroundOffset = 128;

// An empty calibration list leaves nothing to fit; the button says so.
void greyCalculateWithoutCalibrationStars(const Workspace& ws, WindowPort& port) {
  if (ws.calibration.count == 0) port.setEnabled(ctl::CalculateMagnitudes, false);
}

void customColors(Workspace& ws, WindowPort& port, int image, bool on) {
  setBit(ws.optionFlags, image == kBlue ? OPT_CUSTOM_COLORS_BLUE : OPT_CUSTOM_COLORS_GREEN, on);
  // The custom colours do not use the range.
  port.setEnabled(image == kBlue ? ctl::RangeBlue : ctl::RangeGreen, !on);
  port.repaint(image);
}

void autoUpdateBox(Workspace& ws, WindowPort& port, int image, bool on) {
  setBit(ws.optionFlags, image == kBlue ? OPT_AUTO_UPDATE_BLUE : OPT_AUTO_UPDATE_GREEN, on);
  setAutoUpdate(ws, port, image);
}

void moveMode(Workspace& ws, WindowPort& port, bool on) {
  setBit(ws.optionFlags, OPT_MOVE_MODE, on);
  for (int id : {ctl::ArrowUp, ctl::ArrowRight, ctl::ArrowDown, ctl::ArrowLeft})
    port.setEnabled(id, on);
  port.repaint(kBlue);
  port.repaint(kGreen);
}

void curveView(Workspace& ws, WindowPort& port, int image, bool on) {
  setBit(ws.optionFlags, image == kBlue ? OPT_CURVE_VIEW_BLUE : OPT_CURVE_VIEW_GREEN, on);
  port.repaint(image);
}

void resetSelection(Workspace& ws, WindowPort& port) {
  ws.searchRect[kBlue] = kWholeImage;
  ws.searchRect[kGreen] = kWholeImage;
  port.repaint(kBlue);
  port.repaint(kGreen);
}

void searchCommand(Workspace& ws, WindowPort& port, int image) {
  searchStarsCommand(ws, port, image);
  greyCalculateWithoutCalibrationStars(ws, port);
}

void calculateCommand(Workspace& ws, WindowPort& port) {
  if (!canCalculate(ws)) {
    port.beep();
    return;
  }
  calculateMagnitudesCommand(ws, port);
}

// Check boxes and menu items act on every notification.
bool checkBoxOrMenu(Workspace& ws, WindowPort& port, const CommandEvent& e) {
  switch (e.id) {
    case ctl::CustomColorsBlue:
      customColors(ws, port, kBlue, e.checked);
      return true;
    case ctl::CustomColorsGreen:
      customColors(ws, port, kGreen, e.checked);
      return true;
    case ctl::AutoUpdateBlue:
      autoUpdateBox(ws, port, kBlue, e.checked);
      return true;
    case ctl::AutoUpdateGreen:
      autoUpdateBox(ws, port, kGreen, e.checked);
      return true;
    case ctl::Move:
      moveMode(ws, port, e.checked);
      return true;
    case ctl::CurveViewBlue:
      curveView(ws, port, kBlue, e.checked);
      return true;
    case ctl::CurveViewGreen:
      curveView(ws, port, kGreen, e.checked);
      return true;
    case menu::OpenBlue:
      openCommand(ws, port, kBlue);
      return true;
    case menu::OpenGreen:
      openCommand(ws, port, kGreen);
      return true;
    case menu::Exit:
      shutdown(ws, port);
      return true;
    case menu::Display:
      port.runDialog(dlg::Display);
      return true;
    case menu::Algorithm:
      port.runDialog(dlg::Algorithm);
      return true;
    case menu::Save:
      saveCommand(ws, port);
      return true;
    case menu::Colors:
      port.runDialog(dlg::Colors);
      return true;
    default:
      return false;
  }
}

// Buttons act on a click only.
bool button(Workspace& ws, WindowPort& port, int id) {
  switch (id) {
    case ctl::SearchBlue:
      searchCommand(ws, port, kBlue);
      return true;
    case ctl::SearchGreen:
      searchCommand(ws, port, kGreen);
      return true;
    case ctl::CompareImages:
      if (canCompare(ws)) compareImages(ws, port);
      return true;
    case ctl::ArrowUp:
      moveGreenImage(ws, port, MoveDirection::Up);
      return true;
    case ctl::ArrowRight:
      moveGreenImage(ws, port, MoveDirection::Right);
      return true;
    case ctl::ArrowDown:
      moveGreenImage(ws, port, MoveDirection::Down);
      return true;
    case ctl::ArrowLeft:
      moveGreenImage(ws, port, MoveDirection::Left);
      return true;
    case ctl::CalculateMagnitudes:
      calculateCommand(ws, port);
      return true;
    case ctl::ResetSelection:
      resetSelection(ws, port);
      return true;
    case ctl::Set1:
      setReferencePair(ws, port, 0);
      return true;
    case ctl::Set2:
      setReferencePair(ws, port, 1);
      return true;
    case ctl::Set3:
      setReferencePair(ws, port, 2);
      return true;
    default:
      return false;
  }
}

int imageOfSlider(int controlId) {
  return controlId == ctl::RangeBlue || controlId == ctl::BackgroundSliderBlue ? kBlue : kGreen;
}

}  // namespace

bool dispatchCommand(Workspace& ws, WindowPort& port, const CommandEvent& event) {
  if (event.id == ctl::BackgroundFieldBlue || event.id == ctl::BackgroundFieldGreen) {
    if (event.code != CommandCode::TextChanged) return false;
    const int image = event.id == ctl::BackgroundFieldBlue ? kBlue : kGreen;
    backgroundFieldChanged(ws, port, image, event.text);
    return true;
  }
  if (checkBoxOrMenu(ws, port, event)) return true;
  return event.code == CommandCode::Clicked && button(ws, port, event.id);
}

void sliderMoved(Workspace& ws, int controlId, int position) {
  const int image = imageOfSlider(controlId);
  if (controlId == ctl::RangeBlue || controlId == ctl::RangeGreen) {
    ws.display.range[image] = std::clamp(position, kMinRange, kMaxRange);
  } else if (controlId == ctl::BackgroundSliderBlue || controlId == ctl::BackgroundSliderGreen) {
    ws.display.backgroundOffset[image] =
        std::clamp(position, kMinBackgroundOffset, kMaxBackgroundOffset);
  }
}

void sliderReleased(Workspace& ws, WindowPort& port, int controlId, int position) {
  const int image = imageOfSlider(controlId);
  if (controlId == ctl::RangeBlue || controlId == ctl::RangeGreen) {
    releaseRangeSlider(ws, port, image, position);
  } else if (controlId == ctl::BackgroundSliderBlue || controlId == ctl::BackgroundSliderGreen) {
    sliderMoved(ws, controlId, position);
    foldBackgroundSlider(ws, port, image);
    // After the fold: a window that reports this move back finds the offset
    // already folded.
    port.setSliderPosition(controlId, 0);
  }
}

bool timerFired(Workspace& ws, WindowPort& port, int timerId) {
  if (timerId == timer::AutoUpdateBlue) {
    port.repaint(kBlue);
  } else if (timerId == timer::AutoUpdateGreen) {
    port.repaint(panelForGreenDisplay(ws));
  } else {
    return false;
  }
  return true;
}

void setAutoUpdate(Workspace& ws, WindowPort& port, int image) {
  struct Side {
    std::uint32_t bit;
    int timer;
    int box;
  };
  constexpr Side kSides[2] = {
      {OPT_AUTO_UPDATE_BLUE, timer::AutoUpdateBlue, ctl::AutoUpdateBlue},
      {OPT_AUTO_UPDATE_GREEN, timer::AutoUpdateGreen, ctl::AutoUpdateGreen}};
  const Side& self = kSides[image == kBlue ? 0 : 1];
  const Side& other = kSides[image == kBlue ? 1 : 0];
  if (!hasBit(ws.optionFlags, self.bit)) {
    port.stopTimer(self.timer);
    return;
  }
  if (hasBit(ws.optionFlags, other.bit)) {
    port.setChecked(other.box, false);
    ws.optionFlags &= ~other.bit;
    port.stopTimer(other.timer);
  }
  port.startTimer(self.timer, autoUpdatePeriod(ws));
}

int autoUpdatePeriod(const Workspace& ws) {
  const int f = std::clamp(ws.display.autoUpdateFrequency, kMinFrequency, kMaxFrequency);
  return static_cast<int>(1000.0 / f + 0.5);
}

void shutdown(Workspace& ws, WindowPort& port) {
  if (hasBit(ws.optionFlags, OPT_AUTO_UPDATE_BLUE)) port.stopTimer(timer::AutoUpdateBlue);
  if (hasBit(ws.optionFlags, OPT_AUTO_UPDATE_GREEN)) port.stopTimer(timer::AutoUpdateGreen);
  port.quit();
}

void openCommand(Workspace& ws, WindowPort& port, int image) {
  const int filter = openDialogFilter(ws, image);
  const FileChoice choice =
      port.askOpenFile(image == kBlue ? str::OpenBlueTitle : str::OpenGreenTitle, filter);
  if (!choice.chosen) return;
  rememberOpenFilter(ws, choice.filterIndex);
  if (openImage(ws, port, image, choice.path) == 0) greyCalculateWithoutCalibrationStars(ws, port);
}

void saveCommand(Workspace& ws, WindowPort& port) {
  // The save dialog starts at its first filter and leaves the open dialogs'
  // remembered filter alone. The program never changes its working
  // directory, so it is still the start directory, where the CMD templates
  // are looked for first.
  const FileChoice choice = port.askSaveFile(str::SaveTitle, 0);
  if (!choice.chosen) return;
  saveOutput(ws, port, choice.path, choice.filterIndex, defaultTemplateDirs(startDirectory()));
}

bool canCompare(const Workspace& ws) {
  const std::uint32_t p = ws.progressFlags;
  return hasBit(p, PRG_BLUE_SEARCHED) && hasBit(p, PRG_GREEN_SEARCHED) &&
         !hasBit(p, PRG_COMPARED) && !hasBit(ws.optionFlags, OPT_PAIR_ENTRY);
}

bool canCalculate(const Workspace& ws) {
  return ws.calibration.count > 0 && hasBit(ws.progressFlags, PRG_COMPARED);
}

}  // namespace orelith
