#include "app/BatchRunner.h"

#include <filesystem>

#include "analysis/Correspondence.h"
#include "analysis/StarSearch.h"
#include "app/BatchJson.h"
#include "app/BatchPort.h"
#include "app/StarFile.h"
#include "display/DisplayControls.h"
#include "display/PngWriter.h"
#include "display/Render.h"
#include "image/OpenImage.h"
#include "image/StarLabels.h"
#include "photometry/Calibration.h"
#include "photometry/StarProperties.h"
#include "report/AtomicFile.h"
#include "report/CmdBitmap.h"
#include "report/SaveCommand.h"
#include "resources/ControlIds.h"

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
    if (*backgrounds[image])
      backgroundFieldChanged(ws, run.port, image, std::to_string(**backgrounds[image]));
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

// Manual mode: the green image walks to the offset as arrow presses would.
void moveGreenImageTo(Run& run) {
  if (!run.o.offset) return;
  Workspace& ws = run.ws;
  ws.optionFlags |= OPT_MOVE_MANUALLY;
  const auto [dx, dy] = *run.o.offset;
  while (ws.offsetX < dx) moveGreenImage(ws, run.port, MoveDirection::Left);
  while (ws.offsetX > dx) moveGreenImage(ws, run.port, MoveDirection::Right);
  while (ws.offsetY < dy) moveGreenImage(ws, run.port, MoveDirection::Up);
  while (ws.offsetY > dy) moveGreenImage(ws, run.port, MoveDirection::Down);
}

// Three-pair mode: the entry starts, each pair is clicked and set.
void compareByPairs(Run& run) {
  Workspace& ws = run.ws;
  for (const StarPairArg& pair : run.o.pairs) {
    if (pair.blue >= ws.starCount[kBlue] || pair.green >= ws.starCount[kGreen]) {
      run.err << "ERROR: --pairs: " << pair.blue << ":" << pair.green
              << " names no star found in the images\n";
      run.failed = true;
      return;
    }
  }
  ws.optionFlags |= OPT_ROTATE_IMAGES;
  ws.optionFlags &= ~(OPT_MOVE_MANUALLY | OPT_MOVE_MODE);
  compareImages(ws, run.port);
  for (int slot = 0; slot < 3; ++slot) {
    pickPendingStar(ws, kBlue, run.o.pairs[slot].blue);
    pickPendingStar(ws, kGreen, run.o.pairs[slot].green);
    setReferencePair(ws, run.port, slot);
  }
  if (!hasBit(ws.progressFlags, PRG_COMPARED)) {
    run.err << "ERROR: --pairs: no pairing; the three blue stars lie on one line\n";
    run.failed = true;
  }
}

// A step whose button the window would still keep disabled.
void refuse(Run& run, const char* what) {
  run.err << "ERROR: " << what << '\n';
  run.failed = true;
}

void compare(Run& run) {
  if (run.o.pairs.empty() && !run.o.compare && !run.o.offset) return;
  if (!hasBit(run.ws.progressFlags, PRG_BLUE_SEARCHED) ||
      !hasBit(run.ws.progressFlags, PRG_GREEN_SEARCHED)) {
    refuse(run, "comparing needs both images searched");
    return;
  }
  if (!run.o.pairs.empty()) {
    compareByPairs(run);
  } else if (run.o.compare || run.o.offset) {
    compareImages(run.ws, run.port);
  }
}

// The paired blue star whose label covers blue pixel (x, y), selected with
// its partner as a click would; -1 with a complaint about the row otherwise.
int selectStarAt(Run& run, const std::string& file, const StarRow& row) {
  Workspace& ws = run.ws;
  auto complain = [&](const std::string& what) {
    run.err << "ERROR: " << file << " line " << row.line << ": " << what << " at blue pixel ("
            << row.x << ", " << row.y << ")\n";
    run.failed = true;
    return -1;
  };
  const int label = starAtPixel(ws, kBlue, row.x, row.y);
  if (label < 0 || !hasBit(ws.progressFlags, PRG_BLUE_SEARCHED)) return complain("no star");
  const int partner = star(ws, kBlue, label).partner;
  if (!hasBit(ws.progressFlags, PRG_COMPARED) || partner == -1)
    return complain("a star without partner");
  ws.selectedStar[kBlue] = label;
  ws.selectedStar[kGreen] = partner;
  return label;
}

bool readRows(Run& run, const std::string& file, const char* header, std::vector<StarRow>& rows) {
  std::string error;
  if (readStarRows(file, header, rows, error)) return true;
  run.err << "ERROR: " << error << '\n';
  run.failed = true;
  return false;
}

// Each row as the "Star properties" dialog would take it: "Calibration star"
// ticked, V and B-V typed, OK.
void markCalibrationStars(Run& run) {
  std::vector<StarRow> rows;
  if (run.o.calibrationFile.empty() || !readRows(run, run.o.calibrationFile, "x,y,V,BV", rows))
    return;
  for (const StarRow& row : rows) {
    if (selectStarAt(run, run.o.calibrationFile, row) < 0) continue;
    StarPropertiesDialog d = openStarProperties(run.ws, run.port);
    starPropertiesCalibrationClicked(d, run.port, true);
    starPropertiesTextChanged(d, props::VMagnitude, row.extra[0]);
    starPropertiesTextChanged(d, props::BMinusV, row.extra[1]);
    starPropertiesOk(run.ws, run.port, d);
  }
}

// Each row as the dialog with "Ignore star" ticked and OK.
void markIgnoredStars(Run& run) {
  std::vector<StarRow> rows;
  if (run.o.ignoreFile.empty() || !readRows(run, run.o.ignoreFile, "x,y", rows)) return;
  for (const StarRow& row : rows) {
    if (selectStarAt(run, run.o.ignoreFile, row) < 0) continue;
    StarPropertiesDialog d = openStarProperties(run.ws, run.port);
    starPropertiesIgnoreClicked(d, run.port, true);
    starPropertiesOk(run.ws, run.port, d);
  }
}

void calculate(Run& run) {
  if (!run.o.calculate) return;
  if (run.ws.calibration.count == 0) {
    refuse(run, "calculating magnitudes needs calibration stars");
    return;
  }
  calculateMagnitudesCommand(run.ws, run.port);
}

// Each file as the Save command would write it with that filter.
void saveOutputs(Run& run) {
  const Options& o = run.o;
  if (o.complex) run.ws.optionFlags |= OPT_COMPLEX_OUTPUT;
  if (o.thick) run.ws.optionFlags |= OPT_THICK_CMD_STARS;
  // Templates are looked for in the working directory first.
  std::error_code ec;
  const std::string startDir = std::filesystem::current_path(ec).string() + "/";
  const std::vector<std::string> dirs = defaultTemplateDirs(startDir);
  const std::pair<const std::string*, int> outputs[] = {{&o.html, kSaveFilterHtml},
                                                        {&o.cmdMono, kSaveFilterMonochrome},
                                                        {&o.cmdColor, kSaveFilterColour}};
  for (const auto& [file, filter] : outputs) {
    if (!file->empty()) saveOutput(run.ws, run.port, *file, filter, dirs);
  }
}

void applyDisplay(Run& run) {
  const Options& o = run.o;
  Workspace& ws = run.ws;
  if (o.rangeBlue) releaseRangeSlider(ws, run.port, kBlue, *o.rangeBlue);
  if (o.rangeGreen) releaseRangeSlider(ws, run.port, kGreen, *o.rangeGreen);
  setBit(ws.optionFlags, OPT_CUSTOM_COLORS_BLUE, o.customColorsBlue);
  setBit(ws.optionFlags, OPT_CUSTOM_COLORS_GREEN, o.customColorsGreen);
  if (o.moveMode) ws.optionFlags |= OPT_MOVE_MODE;
  setBit(ws.optionFlags, OPT_CURVE_VIEW_BLUE, o.curveBlue);
  setBit(ws.optionFlags, OPT_CURVE_VIEW_GREEN, o.curveGreen);
}

// The panels as the window would show them once everything is done.
void renderPanels(Run& run) {
  const std::string* files[2] = {&run.o.renderBlue, &run.o.renderGreen};
  for (int panel : {kBlue, kGreen}) {
    if (files[panel]->empty()) continue;
    renderImage(run.ws, panel);
    // Encoded in memory, then written as the reports are.
    if (!writePanelPng(run.ws, panel, *files[panel])) {
      run.err << "ERROR: cannot write " << *files[panel] << '\n';
      run.failed = true;
    }
  }
}

bool writeJson(Run& run, std::ostream& out) {
  if (run.o.json.empty()) return true;
  JsonInputs in{{run.o.blue, run.o.green}, run.o.withPixels, run.port.messages()};
  const std::string text = workspaceJsonText(run.ws, in);
  if (run.o.json == "-") {
    out << text << std::flush;
    if (!out) run.err << "ERROR: cannot write the JSON to standard output\n";
    return static_cast<bool>(out);
  }
  // As the reports: an existing file is replaced only by a complete one.
  int failure = 0;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  if (writeFileAtomically(run.o.json, {bytes, text.size()}, failure)) return true;
  run.err << "ERROR: cannot write " << run.o.json << '\n';
  return false;
}

}  // namespace

int runBatch(const Options& options, Workspace& ws, std::ostream& out, std::ostream& err) {
  Run run{options, ws, BatchPort(err), err};
  loadFrames(run);
  applyRect(run);
  applySettings(run);
  searchImages(run);
  moveGreenImageTo(run);
  compare(run);
  markCalibrationStars(run);
  markIgnoredStars(run);
  calculate(run);
  saveOutputs(run);
  applyDisplay(run);
  renderPanels(run);
  if (!writeJson(run, out)) run.failed = true;
  return run.failed || !run.port.messages().empty() ? 2 : 0;
}

}  // namespace orelith::batch
