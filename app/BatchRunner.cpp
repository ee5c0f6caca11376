#include "app/BatchRunner.h"

#include <fstream>

#include "analysis/StarSearch.h"
#include "app/BatchJson.h"
#include "app/BatchPort.h"
#include "image/OpenImage.h"

namespace orelith::batch {
namespace {

struct Run {
  const Options& o;
  Workspace& ws;
  BatchPort port;
  std::ostream& err;
  bool failed = false;  // a step that is no window message went wrong
};

void loadFrames(Run& run) {
  const std::string* files[2] = {&run.o.blue, &run.o.green};
  for (int image : {kBlue, kGreen}) {
    if (!files[image]->empty()) openImage(run.ws, run.port, image, *files[image]);
  }
}

// As a drag over the blue panel: both images get the same rectangle.
void applyRect(Run& run) {
  if (!run.o.rect) return;
  run.ws.searchRect[kBlue] = *run.o.rect;
  run.ws.searchRect[kGreen] = *run.o.rect;
}

void applySettings(Run& run) {
  const Options& o = run.o;
  Workspace& ws = run.ws;
  const std::optional<int>* backgrounds[2] = {&o.backgroundBlue, &o.backgroundGreen};
  for (int image : {kBlue, kGreen}) {
    if (!*backgrounds[image]) continue;
    ws.backgroundLevel[image] = **backgrounds[image];
    ws.display.backgroundField[image] = **backgrounds[image];
  }
  if (o.autoBackground) ws.optionFlags |= OPT_AUTO_BACKGROUND;
  if (o.noSubtract) ws.optionFlags |= OPT_NO_BG_SUBTRACT;
  if (o.hotPixel) ws.algorithm.hotPixelValue = *o.hotPixel;
  if (o.pixelPerStar) ws.algorithm.pixelPerStar = static_cast<std::uint16_t>(*o.pixelPerStar);
  if (o.coefficients) ws.algorithm.coefficientCount = *o.coefficients;
}

void searchImages(Run& run) {
  if (!run.o.search) return;
  for (int image : {kBlue, kGreen}) {
    if (hasBit(run.ws.progressFlags, kLoadedBit[image]))
      searchStarsCommand(run.ws, run.port, image);
  }
}

bool writeJson(Run& run, std::ostream& out) {
  if (run.o.json.empty()) return true;
  JsonInputs in{{run.o.blue, run.o.green}, run.o.withPixels, run.port.messages()};
  // Names that are no valid UTF-8 are written with replacement characters.
  const std::string text =
      workspaceJson(run.ws, in).dump(2, ' ', false, nlohmann::json::error_handler_t::replace) +
      "\n";
  if (run.o.json == "-") {
    out << text;
    return static_cast<bool>(out);
  }
  std::ofstream file(run.o.json, std::ios::binary);
  file << text;
  file.close();
  if (!file) run.err << "ERROR: cannot write " << run.o.json << '\n';
  return static_cast<bool>(file);
}

}  // namespace

int runBatch(const Options& options, Workspace& ws, std::ostream& out, std::ostream& err) {
  Run run{options, ws, BatchPort(err), err};
  loadFrames(run);
  applyRect(run);
  applySettings(run);
  searchImages(run);
  if (!writeJson(run, out)) run.failed = true;
  return run.failed || !run.port.messages().empty() ? 2 : 0;
}

}  // namespace orelith::batch
