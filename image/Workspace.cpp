#include "image/Workspace.h"

#include <algorithm>

namespace orelith {

SearchRect clippedToImage(const Workspace& ws, int image, const SearchRect& r) {
  const ImageFrame& f = ws.frame[image];
  return {std::max(r.left, 0), std::max(r.top, 0), std::min(r.right, f.width),
          std::min(r.bottom, f.height)};
}

SearchLimits searchLimits(const Workspace& ws, int image) {
  return isSt6Frame(ws.frame[image]) ? kSt6Limits : kFrameLimits;
}

int calibrationCapacity(const Workspace& ws) {
  return isSt6Frame(ws.frame[kBlue]) || isSt6Frame(ws.frame[kGreen]) ? kMaxCalibrationStars
                                                                     : kMaxFrameCalibrationStars;
}

void appendCalibrationEntry(Workspace& ws, CalibrationEntry entry) {
  CalibrationList& list = ws.calibration;
  if (list.count < kMaxCalibrationStars && list.grown.empty()) {
    list.entries[list.count++] = entry;
    return;
  }
  // The seventeenth entry moves the list into the grown store for good.
  if (list.grown.empty()) list.grown.assign(list.entries, list.entries + list.count);
  list.grown.push_back(entry);
  ++list.count;
}

void removeCalibrationEntry(Workspace& ws, int e) {
  CalibrationList& list = ws.calibration;
  if (e < 0 || e >= list.count) return;
  if (list.grown.empty()) {
    for (int k = e; k + 1 < list.count; ++k) list.entries[k] = list.entries[k + 1];
  } else {
    list.grown.erase(list.grown.begin() + e);
  }
  --list.count;
}

void resizeFrame(Workspace& ws, int image, int width, int height) {
  ImageFrame& f = ws.frame[image];
  if (f.width != width || f.height != height) {
    f.width = width;
    f.height = height;
    f.values.assign(f.pixels(), 0.0f);
    f.labels.assign(f.pixels(), 0);
  }
  ws.starTable[image].resize(static_cast<std::size_t>(searchLimits(ws, image).maxStars));
}

void adoptFrame(Workspace& ws, int image, int width, int height, std::vector<float>&& values) {
  ImageFrame& f = ws.frame[image];
  const bool resized = f.width != width || f.height != height;
  f.width = width;
  f.height = height;
  f.values = std::move(values);
  if (resized) {
    // Released first, so that a large frame's labels are never held twice.
    f.labels = {};
    f.labels.assign(f.pixels(), 0);
  }
  ws.starTable[image].resize(static_cast<std::size_t>(searchLimits(ws, image).maxStars));
}

void endCalibrationStage(Workspace& ws) {
  for (const CalibrationEntry& entry : calibrationEntries(ws)) {
    star(ws, kBlue, entry.blue).marks &= ~MARK_CALIBRATION;
    star(ws, kGreen, entry.green).marks &= ~MARK_CALIBRATION;
  }
  ws.calibration.count = 0;
  ws.calibration.grown = {};  // a large list's memory goes with it
  ws.progressFlags &= ~(PRG_COMPARED | PRG_CALIBRATION_STAR | PRG_MAGNITUDES);
  // The stars these numbers named are gone; the report, the diagram and the
  // calculation read partners without asking whether a pairing is current.
  // Records beyond a star count are never read, so they are left alone.
  for (int image : {kBlue, kGreen}) {
    for (int k = 0; k < ws.starCount[image]; ++k) star(ws, image, k).partner = -1;
  }
}

}  // namespace orelith
