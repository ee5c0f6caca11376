#include "interaction/Commands.h"

#include <algorithm>
#include <cstdio>

#include "analysis/Correspondence.h"
#include "analysis/StarSearch.h"
#include "base/File.h"
#include "display/DisplayControls.h"
#include "display/Render.h"
#include "image/OpenImage.h"
#include "interaction/MainWindowLayout.h"
#include "interaction/ScienceCommands.h"
#include "photometry/Calibration.h"
#include "report/CmdBitmap.h"
#include "report/SaveCommand.h"
#include "resources/NumberText.h"

namespace orelith {
namespace {

constexpr int kMinFrequency = 1;
constexpr int kMaxFrequency = 24;
constexpr int kMinBackgroundOffset = -128;
constexpr int kMaxBackgroundOffset = 128;
constexpr int kGreenFilter = 3;
constexpr int kBlueFilter = 4;

constexpr ControlId kArrows[] = {ctl::ArrowUp, ctl::ArrowRight, ctl::ArrowDown, ctl::ArrowLeft};
constexpr ControlId kSetButtons[] = {ctl::Set1, ctl::Set2, ctl::Set3};

ControlId backgroundField(int image) {
  return image == kBlue ? ctl::BackgroundFieldBlue : ctl::BackgroundFieldGreen;
}

// An empty calibration list leaves nothing to fit; the button says so.
void greyCalculateWithoutCalibrationStars(const Workspace& ws, WindowPort& port) {
  if (ws.calibration.count == 0) port.setEnabled(ctl::CalculateMagnitudes, false);
}

void repaintBoth(WindowPort& port) {
  port.repaint(kBlue);
  port.repaint(kGreen);
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
  for (ControlId id : kArrows) port.setEnabled(id, on);
  repaintBoth(port);
}

void curveView(Workspace& ws, WindowPort& port, int image, bool on) {
  setBit(ws.optionFlags, image == kBlue ? OPT_CURVE_VIEW_BLUE : OPT_CURVE_VIEW_GREEN, on);
  port.repaint(image);
}

void resetSelection(Workspace& ws, WindowPort& port) {
  ws.searchRect[kBlue] = wholeImage(ws, kBlue);
  ws.searchRect[kGreen] = wholeImage(ws, kGreen);
  repaintBoth(port);
}

// "Search stars": the search and its message, then the list refill, "Reset
// selection" greyed and "Save..." enabled, whatever the outcome.
void searchCommand(Workspace& ws, WindowPort& port, int image) {
  showMessageOf(searchStars(ws, image), port);
  refillStarList(ws, port);
  port.setEnabled(ctl::ResetSelection, false);
  port.setMenuEnabled(menu::Save, true);
  greyCalculateWithoutCalibrationStars(ws, port);
}

// After a pairing by any of the three modes.
void pairingDone(const Workspace& ws, WindowPort& port) {
  port.setEnabled(ctl::CompareImages, false);
  refillStarList(ws, port);
}

void showSetButtons(WindowPort& port, bool on) {
  for (ControlId id : kSetButtons) port.setVisible(id, on);
}

void compareCommand(Workspace& ws, WindowPort& port) {
  if (!canCompare(ws)) return;
  const CompareStatus status = compareImages(ws);
  if (status == CompareStatus::Paired) {
    pairingDone(ws, port);
    return;
  }
  repaintBoth(port);
  port.setVisible(ctl::CompareImages, false);
  showSetButtons(port, true);
  // The list drops the rows of the pairing that no longer holds.
  if (status == CompareStatus::PairEntryEndedAPairing) refillStarList(ws, port);
}

void setPairCommand(Workspace& ws, WindowPort& port, int slot) {
  switch (setReferencePair(ws, slot)) {
    case PairSetStatus::Incomplete:
    case PairSetStatus::Taken:
    case PairSetStatus::OnOneLine:
      port.beep();
      return;
    case PairSetStatus::NotASlot:
    case PairSetStatus::Stored:
      return;
    case PairSetStatus::Complete:
      break;
  }
  endPairEntry(ws);
  showSetButtons(port, false);
  port.setVisible(ctl::CompareImages, true);
  repaintBoth(port);
  pairByReferencePairs(ws);
  pairingDone(ws, port);
}

void moveCommand(Workspace& ws, WindowPort& port, MoveDirection dir) {
  if (moveGreenImage(ws, dir) == MoveStatus::AtLimit) {
    port.beep();
    return;
  }
  port.setText(ctl::OffsetLabel, offsetLabelText(ws));
  port.repaint(kBlue);
}

// Check boxes act on every notification.
bool checkBox(Workspace& ws, WindowPort& port, const CommandEvent& e) {
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
    default:
      return false;
  }
}

// Buttons act on a click only.
bool button(Workspace& ws, WindowPort& port, ControlId id) {
  switch (id) {
    case ctl::SearchBlue:
      searchCommand(ws, port, kBlue);
      return true;
    case ctl::SearchGreen:
      searchCommand(ws, port, kGreen);
      return true;
    case ctl::CompareImages:
      compareCommand(ws, port);
      return true;
    case ctl::ArrowUp:
      moveCommand(ws, port, MoveDirection::Up);
      return true;
    case ctl::ArrowRight:
      moveCommand(ws, port, MoveDirection::Right);
      return true;
    case ctl::ArrowDown:
      moveCommand(ws, port, MoveDirection::Down);
      return true;
    case ctl::ArrowLeft:
      moveCommand(ws, port, MoveDirection::Left);
      return true;
    case ctl::CalculateMagnitudes:
      calculateCommand(ws, port);
      return true;
    case ctl::ResetSelection:
      resetSelection(ws, port);
      return true;
    case ctl::Set1:
      setPairCommand(ws, port, 0);
      return true;
    case ctl::Set2:
      setPairCommand(ws, port, 1);
      return true;
    case ctl::Set3:
      setPairCommand(ws, port, 2);
      return true;
    default:
      return false;
  }
}

bool isRangeSlider(ControlId id) { return id == ctl::RangeBlue || id == ctl::RangeGreen; }
bool isBackgroundSlider(ControlId id) {
  return id == ctl::BackgroundSliderBlue || id == ctl::BackgroundSliderGreen;
}
int imageOfSlider(ControlId id) {
  return id == ctl::RangeBlue || id == ctl::BackgroundSliderBlue ? kBlue : kGreen;
}

// The filter index the open dialog of `image` starts with: a remembered green
// filter turns blue for the blue image, and the reverse.
int openDialogFilter(Workspace& ws, int image) {
  if (image == kBlue && ws.openFilterIndex == kGreenFilter) ws.openFilterIndex = kBlueFilter;
  if (image == kGreen && ws.openFilterIndex == kBlueFilter) ws.openFilterIndex = kGreenFilter;
  return ws.openFilterIndex;
}

void enableImageControls(WindowPort& port, int image) {
  static constexpr ControlId kBlueControls[] = {
      ctl::RangeBlue,  ctl::BackgroundSliderBlue, ctl::CustomColorsBlue, ctl::AutoUpdateBlue,
      ctl::SearchBlue, ctl::BackgroundFieldBlue,  ctl::ResetSelection};
  static constexpr ControlId kGreenControls[] = {ctl::RangeGreen,        ctl::BackgroundSliderGreen,
                                                 ctl::CustomColorsGreen, ctl::AutoUpdateGreen,
                                                 ctl::SearchGreen,       ctl::BackgroundFieldGreen};
  if (image == kBlue) {
    for (ControlId id : kBlueControls) port.setEnabled(id, true);
  } else {
    for (ControlId id : kGreenControls) port.setEnabled(id, true);
  }
  port.setEnabled(ctl::CompareImages, false);
}

// The background field as the loaded frame takes it: digits only for an
// integer frame, a sign and a point too for a floating-point one; told to
// the window only when that changes, so loading ST-6 frames does as before.
// The range slider's steps follow the frame's values.
void fitDisplayToFrame(Workspace& ws, WindowPort& port, int image) {
  chooseRangeUnit(ws, image);
  if (ws.display.decimalField[image] != ws.floatFrame[image]) {
    ws.display.decimalField[image] = ws.floatFrame[image];
    port.setDecimalInput(backgroundField(image), ws.floatFrame[image]);
  }
  if (fitLevelToFrame(ws, image))
    port.setText(backgroundField(image), shortestText(ws.display.backgroundField[image]));
}

}  // namespace

Calculation calculateCommand(Workspace& ws, WindowPort& port) {
  Calculation out;
  if (!canCalculate(ws)) {
    port.beep();
    return out;
  }
  ws.scienceWarnings = 0;
  ScienceResults science;
  port.whileWorking([&] { science = measureScience(ws, ws.science); });
  const std::optional<CurveAbscissae> abscissae = curveAbscissae(ws, science);
  const CurveAbscissae* lg = abscissae ? &*abscissae : nullptr;
  const Outcome<CalculateStatus> outcome = calculateMagnitudes(ws, lg);
  out.status = outcome.status;
  showMessageOf(outcome, port);
  if (outcome.status == CalculateStatus::Underdetermined) {
    out.refusal =
        underdeterminedText(fittableCalibrationStars(ws, lg), ws.algorithm.coefficientCount);
    port.showNote(kRefusalCaption, out.refusal);
  }
  if (outcome.status == CalculateStatus::Ok) refillStarList(ws, port);
  refillStarList(ws, port);
  if (hasBit(ws.optionFlags, OPT_CURVE_VIEW_BLUE)) port.repaint(kBlue);
  if (hasBit(ws.optionFlags, OPT_CURVE_VIEW_GREEN)) port.repaint(kGreen);
  if (outcome.status != CalculateStatus::Ok) return out;
  port.whileWorking([&] { finishScience(ws, science); });
  ws.scienceWarnings = static_cast<int>(science.warnings.size());
  if (!science.warnings.empty()) port.showNote(kWarningsCaption, warningsText(science.warnings));
  out.science = std::move(science);
  return out;
}

bool dispatchCommand(Workspace& ws, WindowPort& port, const CommandEvent& event) {
  if (event.id == ctl::BackgroundFieldBlue || event.id == ctl::BackgroundFieldGreen) {
    if (event.code != CommandCode::TextChanged) return false;
    const int image = event.id == ctl::BackgroundFieldBlue ? kBlue : kGreen;
    backgroundFieldChanged(ws, port, image, event.text);
    return true;
  }
  if (checkBox(ws, port, event)) return true;
  return event.code == CommandCode::Clicked && button(ws, port, event.id);
}

void menuCommand(Workspace& ws, WindowPort& port, MenuId item) {
  switch (item) {
    case menu::OpenBlue:
      openCommand(ws, port, kBlue);
      break;
    case menu::OpenGreen:
      openCommand(ws, port, kGreen);
      break;
    case menu::Exit:
      shutdown(ws, port);
      break;
    case menu::Display:
      port.runDialog(dlg::Display);
      break;
    case menu::Algorithm:
      port.runDialog(dlg::Algorithm);
      break;
    case menu::Save:
      saveCommand(ws, port);
      break;
    case menu::Colors:
      port.runDialog(dlg::Colors);
      break;
    case menu::ImportCalibration:
      importCalibrationCommand(ws, port);
      break;
    case menu::ExportCsv:
      exportCsvCommand(ws, port);
      break;
    case menu::Photometry:
      port.runDialog(dlg::Photometry);
      break;
    case menu::ColourMagnitudeDiagram:
      port.showDiagram();
      break;
  }
}

void sliderMoved(Workspace& ws, ControlId slider, int position) {
  const int image = imageOfSlider(slider);
  if (isRangeSlider(slider)) {
    ws.display.range[image] = std::clamp(position, kMinRange, kMaxRange);
  } else if (isBackgroundSlider(slider)) {
    ws.display.backgroundOffset[image] =
        std::clamp(position, kMinBackgroundOffset, kMaxBackgroundOffset);
  }
}

std::string sliderTip(const Workspace& ws, ControlId slider, int position) {
  const double unit = ws.display.rangeUnit[imageOfSlider(slider)];
  if (!isRangeSlider(slider) && unit == 1.0) return std::to_string(position);
  return shortestText(position * unit);
}

void sliderReleased(Workspace& ws, WindowPort& port, ControlId slider, int position) {
  const int image = imageOfSlider(slider);
  if (isRangeSlider(slider)) {
    takeRangePosition(ws, image, position);
    port.repaint(panelForDisplayOf(ws, image));
  } else if (isBackgroundSlider(slider)) {
    sliderMoved(ws, slider, position);
    // The field written by the program shows what the fold took; the window
    // does not report it back as typed.
    port.setText(backgroundField(image), shortestText(foldBackgroundOffset(ws, image)));
    port.repaint(panelForDisplayOf(ws, image));
    // After the fold: a window that reports this move back finds the offset
    // already folded.
    port.setSliderPosition(slider, 0);
  }
}

void backgroundFieldChanged(Workspace& ws, WindowPort& port, int image, std::string_view text) {
  if (takeBackgroundText(ws, image, text) == FieldStatus::Bounded) {
    port.beep();
    port.setText(backgroundField(image), shortestText(ws.display.backgroundField[image]));
  }
  port.repaint(panelForDisplayOf(ws, image));
}

void timerFired(Workspace& ws, WindowPort& port, TimerId timer) {
  port.repaint(timer == timer::AutoUpdateBlue ? kBlue : panelForGreenDisplay(ws));
}

void setAutoUpdate(Workspace& ws, WindowPort& port, int image) {
  struct Side {
    std::uint32_t bit;
    TimerId timer;
    ControlId box;
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
  ws.openFilterIndex = choice.filterIndex;
  if (openImageFile(ws, port, image, choice.path)) greyCalculateWithoutCalibrationStars(ws, port);
}

bool openImageFile(Workspace& ws, WindowPort& port, int image, const std::string& path) {
  const LoadOutcome outcome = openImage(ws, image, path);
  if (outcome.status != St6Status::Ok) {
    if (outcome.detail.empty())
      port.showMessage(*outcome.message, MessageOwner::MainWindow);
    else
      port.showMessageWithDetail(*outcome.message, outcome.detail, MessageOwner::MainWindow);
    return false;
  }
  enableImageControls(port, image);
  fitDisplayToFrame(ws, port, image);
  if (ws.starCount[1 - image] == 0) port.setMenuEnabled(menu::Save, false);
  // Drawn and listed once the state is final, so the panel shows no
  // highlights of the stars the load discarded.
  port.repaint(image);
  refillStarList(ws, port);
  return true;
}

void saveCommand(Workspace& ws, WindowPort& port) {
  // The save dialog starts at its first filter and leaves the open dialogs'
  // remembered filter alone. The program never changes its working
  // directory, so it is still the start directory, where the CMD templates
  // are looked for first.
  const FileChoice choice = port.askSaveFile(str::SaveTitle, 0);
  if (!choice.chosen) return;
  // The dialog asked before replacing any file; a loaded frame would be lost
  // with its measurement's source, so it is named and asked about again.
  const std::string written = extendedName(choice.path, choice.filterIndex);
  const auto isFrame = [&](int image) {
    return hasBit(ws.progressFlags, kLoadedBit[image]) && sameFile(written, ws.framePath[image]);
  };
  if ((isFrame(kBlue) || isFrame(kGreen)) && !port.askYesNo(str::ReplaceLoadedImage)) return;
  showMessageOf(
      saveOutput(ws, choice.path, choice.filterIndex, defaultTemplateDirs(startDirectory())), port);
}

std::string offsetLabelText(const Workspace& ws) {
  char text[32];
  std::snprintf(text, sizeof text, "%d|%d", -ws.offsetX, -ws.offsetY);
  return text;
}

}  // namespace orelith
