#include "image/OpenImage.h"

#include "image/FileTitle.h"
#include "image/StarLabels.h"

namespace orelith {

Outcome<St6Status> openImage(Workspace& ws, int image, const std::string& path) {
  ws.filePath = path;
  if (const St6Status status = loadImage(ws, image); status != St6Status::Ok)
    return {status, st6MessageFor(status)};
  makeFileTitle(path, ws.fileTitle[image], kFileTitleSize);
  ws.framePath[image] = path;
  ws.searchRect[kBlue] = wholeImage(ws, kBlue);
  ws.searchRect[kGreen] = wholeImage(ws, kGreen);
  ws.starCount[image] = 0;
  forgetLabels(ws, image);
  ws.optionFlags &= ~OPT_SELECTION_SHOWN;
  ws.progressFlags |= kLoadedBit[image];
  ws.progressFlags &= ~kSearchedBit[image];
  ++ws.loadCount[image];
  endCalibrationStage(ws);
  return {St6Status::Ok, std::nullopt};
}

}  // namespace orelith
