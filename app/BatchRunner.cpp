#include "app/BatchRunner.h"

#include <filesystem>
#include <map>
#include <string_view>
#include <utility>

#include "analysis/Correspondence.h"
#include "analysis/StarSearch.h"
#include "app/BatchJson.h"
#include "app/BatchPort.h"
#include "base/AtomicFile.h"
#include "base/StarFile.h"
#include "display/DisplayControls.h"
#include "display/PngWriter.h"
#include "display/Render.h"
#include "image/StarLabels.h"
#include "interaction/AlgorithmDialog.h"
#include "interaction/Commands.h"
#include "interaction/DisplayDialog.h"
#include "interaction/Pointer.h"
#include "interaction/Selection.h"
#include "interaction/StarPropertiesDialog.h"
#include "report/CmdBitmap.h"
#include "report/CmdPlot.h"
#include "report/CsvTable.h"
#include "report/SaveCommand.h"
#include "resources/ControlIds.h"
#include "resources/NumberText.h"
#include "resources/StringTable.h"

namespace orelith::batch {
namespace {

struct Run {
  const Options& o;
  Workspace& ws;
  BatchPort port;
  std::ostream& err;
  bool failed = false;  // a step that is no window message went wrong
  ScienceResults science;
  bool scienceDone = false;  // finished by the calculation
};

// A click on a button or a check box of the main window.
void click(Run& run, ControlId id, bool checked = false) {
  dispatchCommand(run.ws, run.port, {id, CommandCode::Clicked, checked, {}});
}

// The "Open ... Image..." commands with the file chosen in their dialog.
void loadFrames(Run& run) {
  const std::string* files[2] = {&run.o.blue, &run.o.green};
  for (int image : {kBlue, kGreen}) {
    if (files[image]->empty()) continue;
    run.port.chooseFile(*files[image], run.ws.openFilterIndex);
    menuCommand(run.ws, run.port, image == kBlue ? menu::OpenBlue : menu::OpenGreen);
  }
}

// A drag over the blue panel from the top left to the bottom right pixel:
// both images get the same rectangle.
void applyRect(Run& run) {
  if (!run.o.rect) return;
  const SearchRect& r = *run.o.rect;
  beginSelectionDrag(run.ws, run.port, r.left, r.top);
  endSelectionDrag(run.ws, run.port, r.right - 1, r.bottom - 1);
}

// The background fields typed into, and "Configuration" / "Algorithm...".
void applySettings(Run& run) {
  const Options& o = run.o;
  Workspace& ws = run.ws;
  ws.science = o.science;  // as the window's "Photometry configuration" would
  const std::optional<double>* backgrounds[2] = {&o.backgroundBlue, &o.backgroundGreen};
  const ControlId fields[2] = {ctl::BackgroundFieldBlue, ctl::BackgroundFieldGreen};
  for (int image : {kBlue, kGreen}) {
    if (!*backgrounds[image]) continue;
    const std::string text = shortestText(**backgrounds[image]);
    dispatchCommand(ws, run.port, {fields[image], CommandCode::TextChanged, false, text});
  }
  AlgorithmDialog d = openAlgorithmDialog(ws);
  if (o.autoBackground) algorithmBoxClicked(d, algodlg::AutoBackground, true);
  if (o.noSubtract) algorithmBoxClicked(d, algodlg::SubtractBackground, false);
  const std::pair<const std::optional<int>*, AlgorithmControl> fieldValues[] = {
      {&o.hotPixel, algodlg::HotPixel},
      {&o.pixelPerStar, algodlg::PixelPerStar},
      {&o.coefficients, algodlg::Coefficients}};
  for (const auto& [value, field] : fieldValues)
    if (*value) algorithmFieldChanged(d, run.port, field, std::to_string(**value));
  algorithmOk(ws, run.port, d);
}

void searchImages(Run& run) {
  if (!run.o.search) return;
  for (int image : {kBlue, kGreen}) {
    if (hasBit(run.ws.progressFlags, kLoadedBit[image]))
      click(run, image == kBlue ? ctl::SearchBlue : ctl::SearchGreen);
  }
}

// One check box of the algorithm dialog ticked, then OK.
void tickAlgorithmBox(Run& run, AlgorithmControl box) {
  AlgorithmDialog d = openAlgorithmDialog(run.ws);
  algorithmBoxClicked(d, box, true);
  algorithmOk(run.ws, run.port, d);
}

// Manual mode: the green image at the offset that arrow presses would reach.
void moveGreenImageTo(Run& run) {
  if (!run.o.offset) return;
  tickAlgorithmBox(run, algodlg::Manually);
  setManualOffset(run.ws, run.o.offset->first, run.o.offset->second);
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
  tickAlgorithmBox(run, algodlg::RotateImages);
  click(run, ctl::CompareImages);
  // Each star clicked at its brightest pixel, then "Set 1" to "Set 3".
  const ControlId setButtons[3] = {ctl::Set1, ctl::Set2, ctl::Set3};
  for (int slot = 0; slot < 3; ++slot) {
    const StarRecord& blue = star(ws, kBlue, run.o.pairs[slot].blue);
    const StarRecord& green = star(ws, kGreen, run.o.pairs[slot].green);
    selectStarAtPixel(ws, run.port, kBlue, blue.x, blue.y);
    selectStarAtPixel(ws, run.port, kGreen, green.x, green.y);
    click(run, setButtons[slot]);
  }
  if (!hasBit(ws.progressFlags, PRG_COMPARED)) {
    run.err << "ERROR: --pairs: no pairing; the three blue stars lie on one line\n";
    run.failed = true;
  }
}

// A step whose button the window would still keep disabled.
void refuse(Run& run, std::string_view what) {
  run.err << "ERROR: " << what << '\n';
  run.failed = true;
}

void compare(Run& run) {
  if (run.o.pairs.empty() && !run.o.compare && !run.o.offset) return;
  if (!canCompare(run.ws)) {
    refuse(run, "comparing needs both images searched");
    return;
  }
  if (!run.o.pairs.empty()) {
    compareByPairs(run);
  } else {
    click(run, ctl::CompareImages);
  }
}

// A row that names no usable star: -1.
int complain(Run& run, const std::string& file, const StarRow& row, const std::string& what) {
  run.err << "ERROR: " << file << " line " << row.line << ": " << what << " at blue pixel ("
          << row.x << ", " << row.y << ")\n";
  run.failed = true;
  return -1;
}

// The paired blue star whose label covers blue pixel (x, y), selected with
// its partner by a click there; -1 with a complaint about the row otherwise.
int selectStarAt(Run& run, const std::string& file, const StarRow& row) {
  Workspace& ws = run.ws;
  const int label = starAtPixel(ws, kBlue, row.x, row.y);
  if (label < 0 || !hasBit(ws.progressFlags, PRG_BLUE_SEARCHED))
    return complain(run, file, row, "no star");
  if (!hasBit(ws.progressFlags, PRG_COMPARED) || star(ws, kBlue, label).partner == -1)
    return complain(run, file, row, "a star without partner");
  selectStarAtPixel(ws, run.port, kBlue, row.x, row.y);
  return label;
}

bool readRows(Run& run, const std::string& file, const char* header,
              std::span<const ColumnRange> ranges, std::vector<StarRow>& rows) {
  std::string error;
  if (readStarRows(file, header, ranges, rows, error)) return true;
  run.err << "ERROR: " << error << '\n';
  run.failed = true;
  return false;
}

// Each row as the "Star properties" dialog would take it: "Calibration star"
// ticked, V and B-V typed, OK. Values beyond any star's (V -5..30, B-V
// -2..5) are refused, and so is a second row naming the same star, whose
// values would silently replace the first row's.
void markCalibrationStars(Run& run) {
  static constexpr ColumnRange kRanges[] = {{-5, 30}, {-2, 5}};
  const std::string& file = run.o.calibrationFile;
  std::vector<StarRow> rows;
  if (file.empty() || !readRows(run, file, "x,y,V,BV", kRanges, rows)) return;
  std::map<int, int> lineOfStar;
  for (const StarRow& row : rows) {
    const int label = selectStarAt(run, file, row);
    if (label < 0) continue;
    if (const auto [at, first] = lineOfStar.emplace(label, row.line); !first) {
      complain(run, file, row, "the star of line " + std::to_string(at->second) + " again");
      continue;
    }
    StarPropertiesDialog d = openStarProperties(run.ws);
    starPropertiesCalibrationClicked(d, true);
    starPropertiesTextChanged(d, props::VMagnitude, row.extra[0]);
    starPropertiesTextChanged(d, props::BMinusV, row.extra[1]);
    starPropertiesOk(run.ws, run.port, d);
  }
}

// Each row as the dialog with "Ignore star" ticked and OK.
void markIgnoredStars(Run& run) {
  std::vector<StarRow> rows;
  if (run.o.ignoreFile.empty() || !readRows(run, run.o.ignoreFile, "x,y", {}, rows)) return;
  for (const StarRow& row : rows) {
    if (selectStarAt(run, run.o.ignoreFile, row) < 0) continue;
    StarPropertiesDialog d = openStarProperties(run.ws);
    starPropertiesIgnoreClicked(d, true);
    starPropertiesOk(run.ws, run.port, d);
  }
}

void calculate(Run& run) {
  if (!run.o.calculate) return;
  if (!canCalculate(run.ws)) {
    refuse(run, "calculating magnitudes needs calibration stars");
    return;
  }
  // The button's command with the science options chosen.
  Calculation c = calculateCommand(run.ws, run.port);
  if (!c.refusal.empty()) refuse(run, c.refusal);
  if (!c.science) return;
  run.science = std::move(*c.science);
  run.scienceDone = true;
}

// "Complex output" and "Thick stars in CMD bitmap" ticked in the display
// dialog, then each file saved by "Save..." with that filter.
void saveOutputs(Run& run) {
  const Options& o = run.o;
  if (o.complex || o.thick) {
    DisplayDialog d = openDisplayDialog(run.ws);
    if (o.complex) displayBoxClicked(d, displaydlg::ComplexOutput, true);
    if (o.thick) displayBoxClicked(d, displaydlg::ThickStars, true);
    displayOk(run.ws, run.port, d);
  }
  const std::pair<const std::string*, int> outputs[] = {{&o.html, kSaveFilterHtml},
                                                        {&o.cmdMono, kSaveFilterMonochrome},
                                                        {&o.cmdColor, kSaveFilterColour}};
  for (const auto& [file, filter] : outputs) {
    if (file->empty()) continue;
    run.port.chooseFile(*file, filter);
    menuCommand(run.ws, run.port, menu::Save);
  }
}

void applyDisplay(Run& run) {
  const Options& o = run.o;
  Workspace& ws = run.ws;
  // In the range unit of the frame loaded: 1 for integer frames, whose
  // positions pass as given.
  if (o.rangeBlue)
    sliderReleased(ws, run.port, ctl::RangeBlue, rangePosition(ws, kBlue, *o.rangeBlue));
  if (o.rangeGreen)
    sliderReleased(ws, run.port, ctl::RangeGreen, rangePosition(ws, kGreen, *o.rangeGreen));
  const std::pair<bool, ControlId> boxes[] = {{o.customColorsBlue, ctl::CustomColorsBlue},
                                              {o.customColorsGreen, ctl::CustomColorsGreen},
                                              {o.moveMode, ctl::Move},
                                              {o.curveBlue, ctl::CurveViewBlue},
                                              {o.curveGreen, ctl::CurveViewGreen}};
  for (const auto& [on, box] : boxes)
    if (on) click(run, box, true);
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

// Without a calculation the science is computed here; its warnings go to
// standard error, a line each with its code.
void computeScienceResults(Run& run) {
  if (!run.scienceDone) run.science = computeScience(run.ws, run.ws.science).results;
  if (run.science.status != ScienceStatus::Done) refuse(run, scienceStatusText(run.science.status));
  for (const Warning& w : run.science.warnings)
    run.err << "WARNING [" << w.code << "]: " << w.text << '\n';
}

// The CSV table and the plotted diagram, as chosen.
void writeScienceOutputs(Run& run) {
  const Options& o = run.o;
  StringId message = kNoString;
  if (!o.csv.empty() && !writeCsv(run.ws, run.science, o.csv, message)) {
    run.err << "ERROR: " << stringText(message) << " " << o.csv << '\n';
    run.failed = true;
  }
  if (!o.plotCmd.empty() &&
      !plotCmd(cmdPlotPoints(run.ws, run.science), cmdPlotTitle(run.ws), o.plotCmd, message)) {
    run.err << "ERROR: " << stringText(message) << " " << o.plotCmd << '\n';
    run.failed = true;
  }
}

bool writeJson(Run& run, std::ostream& out) {
  if (run.o.json.empty()) return true;
  JsonInputs in{{run.o.blue, run.o.green}, run.o.withPixels, run.port.messages(), &run.science};
  const std::string text = workspaceJsonText(run.ws, in);
  if (run.o.json == "-") {
    out << text << std::flush;
    if (!out) run.err << "ERROR: cannot write the JSON to standard output\n";
    return static_cast<bool>(out);
  }
  // As the reports: an existing file is replaced only by a complete one.
  StringId failure = kNoString;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  if (writeFileAtomically(run.o.json, {bytes, text.size()}, failure)) return true;
  run.err << "ERROR: cannot write " << run.o.json << '\n';
  return false;
}

}  // namespace

int runBatch(const Options& options, Workspace& ws, std::ostream& out, std::ostream& err) {
  Run run{options, ws, BatchPort(err, ws.filePath), err, false, {}};
  loadFrames(run);
  applyRect(run);
  applySettings(run);
  searchImages(run);
  moveGreenImageTo(run);
  compare(run);
  markCalibrationStars(run);
  markIgnoredStars(run);
  calculate(run);
  computeScienceResults(run);
  saveOutputs(run);
  writeScienceOutputs(run);
  applyDisplay(run);
  renderPanels(run);
  if (!writeJson(run, out)) run.failed = true;
  return run.failed || !run.port.messages().empty() ? 2 : 0;
}

}  // namespace orelith::batch
