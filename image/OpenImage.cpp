#include "image/OpenImage.h"

#include <cstdio>

#include "base/File.h"
#include "image/FileTitle.h"
#include "image/FitsReader.h"
#include "image/StarLabels.h"

namespace orelith {
namespace {

// A frame is known by its first bytes, whatever its name; everything that
// does not open a FITS file goes to the ST-6 reader and its messages.
bool isFitsFile(const std::string& path) {
  const File f = openRegularFile(path);
  if (!f) return false;
  char head[16];
  const std::size_t got = std::fread(head, 1, sizeof head, f.get());
  return looksLikeFits(head, got);
}

LoadOutcome loadFits(Workspace& ws, int image, const std::string& path) {
  Frame frame;
  const FitsOutcome read = readFitsFile(path, frame);
  if (read.status == FitsStatus::CannotOpen)
    return {St6Status::CannotOpen, st6MessageFor(St6Status::CannotOpen), {}};
  if (read.status != FitsStatus::Ok)
    return {St6Status::FitsRefused, st6MessageFor(St6Status::FitsRefused), read.message};
  // Masked pixels hold NaN, which is above no level: the search never
  // takes them into a star.
  adoptFrame(ws, image, frame.width, frame.height, std::move(frame.values));
  ws.fitsFrame[image] = true;
  ws.floatFrame[image] = frame.bitpix < 0;
  ws.frameFilter[image] = frame.filter;
  ws.worldCoords[image] = WorldCoords(frame.header, frame.height);
  return {};
}

}  // namespace

LoadOutcome openImage(Workspace& ws, int image, const std::string& path) {
  ws.filePath = path;
  if (isFitsFile(path)) {
    LoadOutcome fits = loadFits(ws, image, path);
    if (fits.status != St6Status::Ok) return fits;
  } else {
    if (const St6Status status = loadImage(ws, image); status != St6Status::Ok)
      return {status, st6MessageFor(status), {}};
    ws.fitsFrame[image] = false;
    ws.floatFrame[image] = false;
    ws.frameFilter[image].clear();
    ws.worldCoords[image] = WorldCoords();
  }
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
  return {};
}

}  // namespace orelith
