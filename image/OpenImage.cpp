#include "image/OpenImage.h"

#include "image/FileTitle.h"
#include "image/St6Loader.h"
#include "image/StarLabels.h"
#include "image/Workflow.h"
#include "resources/ControlIds.h"

namespace orelith {
namespace {

constexpr int kGreenFilter = 3;
constexpr int kBlueFilter = 4;

void enableImageControls(WindowPort& port, int image) {
  static constexpr int kBlueControls[] = {
      ctl::RangeBlue,  ctl::BackgroundSliderBlue, ctl::CustomColorsBlue, ctl::AutoUpdateBlue,
      ctl::SearchBlue, ctl::BackgroundFieldBlue,  ctl::ResetSelection};
  static constexpr int kGreenControls[] = {ctl::RangeGreen,        ctl::BackgroundSliderGreen,
                                           ctl::CustomColorsGreen, ctl::AutoUpdateGreen,
                                           ctl::SearchGreen,       ctl::BackgroundFieldGreen};
  if (image == kBlue) {
    for (int id : kBlueControls) port.setEnabled(id, true);
  } else {
    for (int id : kGreenControls) port.setEnabled(id, true);
  }
  port.setEnabled(ctl::CompareImages, false);
}

}  // namespace

int openDialogFilter(Workspace& ws, int image) {
  if (image == kBlue && ws.openFilterIndex == kGreenFilter) ws.openFilterIndex = kBlueFilter;
  if (image == kGreen && ws.openFilterIndex == kBlueFilter) ws.openFilterIndex = kGreenFilter;
  return ws.openFilterIndex;
}

void rememberOpenFilter(Workspace& ws, int filterIndex) { ws.openFilterIndex = filterIndex; }

OpenResult openImage(Workspace& ws, WindowPort& port, int image, const std::string& path) {
  ws.filePath = path;
  if (loadImage(ws, port, image) != kLoadOk) return kOpenFailed;
  makeFileTitle(path, ws.fileTitle[image], kFileTitleSize);

  ws.searchRect[kBlue] = kWholeImage;
  ws.searchRect[kGreen] = kWholeImage;
  enableImageControls(port, image);
  if (ws.starCount[1 - image] == 0) port.setMenuEnabled(menu::Save, false);
  ws.starCount[image] = 0;
  forgetLabels(ws, image);
  ws.optionFlags &= ~OPT_SELECTION_SHOWN;
  ws.progressFlags |= kLoadedBit[image];
  ws.progressFlags &= ~kSearchedBit[image];
  endCalibrationStage(ws);
  // Drawn and listed once the state is final, so the panel shows no
  // highlights of the stars the load discarded.
  port.repaint(image);
  refillStarList(ws, port);
  return kOpenOk;
}

}  // namespace orelith
