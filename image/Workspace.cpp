#include "image/Workspace.h"

#include <algorithm>

namespace orelith {

SearchRect clippedToImage(const Workspace& ws, int image, const SearchRect& r) {
  const ImageFrame& f = ws.frame[image];
  return {std::max(r.left, 0), std::max(r.top, 0), std::min(r.right, f.width),
          std::min(r.bottom, f.height)};
}

SearchLimits searchLimits(const Workspace& ws, int image) {
  const ImageFrame& f = ws.frame[image];
  return f.width == kImageWidth && f.height == kImageHeight ? kSt6Limits : kFrameLimits;
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
  for (int e = 0; e < ws.calibration.count; ++e) {
    const CalibrationEntry& entry = ws.calibration.entries[e];
    star(ws, kBlue, entry.blue).marks &= ~MARK_CALIBRATION;
    star(ws, kGreen, entry.green).marks &= ~MARK_CALIBRATION;
  }
  ws.calibration.count = 0;
  ws.progressFlags &= ~(PRG_COMPARED | PRG_CALIBRATION_STAR | PRG_MAGNITUDES);
  // The stars these numbers named are gone; the report, the diagram and the
  // calculation read partners without asking whether a pairing is current.
  // Records beyond a star count are never read, so they are left alone.
  for (int image : {kBlue, kGreen}) {
    for (int k = 0; k < ws.starCount[image]; ++k) star(ws, image, k).partner = -1;
  }
}

}  // namespace orelith
