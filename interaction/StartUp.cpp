#include "interaction/StartUp.h"

#include <cctype>
#include <cstdio>
#include <filesystem>

#include "base/File.h"
#include "image/FitsReader.h"
#include "interaction/Commands.h"
#include "interaction/ScienceCommands.h"
#include "interaction/StepStatus.h"
#include "interaction/Workflow.h"
#include "resources/ControlIds.h"
#include "resources/NumberText.h"

namespace orelith {
namespace {

std::string upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

FrameBand bandOfWord(const std::string& word) {
  for (const char* blue : {"B", "BLUE"})
    if (word == blue) return FrameBand::Blue;
  for (const char* green : {"V", "G", "GREEN", "VISUAL"})
    if (word == green) return FrameBand::Green;
  // The names of filter systems, and a filter wheel's slot number, say
  // nothing of the band.
  for (const char* system : {"JOHNSON", "BESSELL", "BESSEL", "COUSINS", "SDSS", "FILTER"})
    if (word == system) return FrameBand::Unknown;
  if (word.find_first_not_of("0123456789") == std::string::npos) return FrameBand::Unknown;
  return FrameBand::Other;
}

const char* bandName(FrameBand band) { return band == FrameBand::Blue ? "blue" : "green"; }

std::string fileName(const std::string& path) {
  const std::string name = std::filesystem::path(path).filename().string();
  return name.empty() ? path : name;
}

bool isFits(const std::string& path) {
  const File f = openRegularFile(path);
  char head[16] = {};
  return f && looksLikeFits(head, std::fread(head, 1, sizeof head, f.get()));
}

}  // namespace

FrameBand bandOfFilter(std::string_view filter) {
  FrameBand found = FrameBand::Unknown;
  std::string word;
  // A trailing blank ends the last word.
  for (const char c : upper(filter) + ' ') {
    if (std::isalnum(static_cast<unsigned char>(c))) {
      word += c;
      continue;
    }
    if (word.empty()) continue;
    const FrameBand band = bandOfWord(word);
    word.clear();
    if (band == FrameBand::Unknown) continue;
    // "B-V" or "R G B" names no single band.
    if (found != FrameBand::Unknown && found != band) return FrameBand::Other;
    found = band;
  }
  return found;
}

FrameFile classifyFrame(const std::string& path) {
  if (isFits(path)) {
    const std::string filter = readFitsFilter(path);
    if (const FrameBand band = bandOfFilter(filter); band != FrameBand::Unknown)
      return {path, band, "FILTER '" + filter + "'"};
  }
  const std::string extension = upper(std::filesystem::path(path).extension().string());
  const FrameBand band = extension == ".B"   ? FrameBand::Blue
                         : extension == ".G" ? FrameBand::Green
                         : extension == ".R" ? FrameBand::Other
                                             : FrameBand::Unknown;
  return {path, band, band == FrameBand::Other ? "a red frame by its name" : ""};
}

FramePlacement placeFrames(const std::vector<FrameFile>& files) {
  FramePlacement out;
  std::vector<std::string> refused(files.size());
  for (std::size_t i = 0; i < files.size(); ++i) {
    const FrameFile& f = files[i];
    if (f.band == FrameBand::Other) {
      refused[i] = f.named + "; the panels take blue (B) and green (V) frames";
    } else if (f.band != FrameBand::Unknown) {
      std::string& panel = out.panel[f.band == FrameBand::Blue ? kBlue : kGreen];
      if (panel.empty()) {
        panel = f.path;
      } else {
        refused[i] =
            std::string("a second ") + bandName(f.band) + " frame, after " + fileName(panel);
      }
    }
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (files[i].band != FrameBand::Unknown) continue;
    std::string* free = out.panel[kBlue].empty()    ? &out.panel[kBlue]
                        : out.panel[kGreen].empty() ? &out.panel[kGreen]
                                                    : nullptr;
    if (free != nullptr) {
      *free = files[i].path;
    } else {
      refused[i] = "both panels are taken";
    }
  }
  for (std::size_t i = 0; i < files.size(); ++i)
    if (!refused[i].empty()) out.refused.push_back(fileName(files[i].path) + ": " + refused[i]);
  return out;
}

namespace {

// A click or a typed text as the window passes it on, with the status line
// after it.
void command(Workspace& ws, WindowPort& port, const CommandEvent& event) {
  const StepBefore before = beforeStep(ws);
  dispatchCommand(ws, port, event);
  showStepStatus(port, stepStatus(ws, before, event.id));
}

void openFrames(Workspace& ws, WindowPort& port, const StartRequest& request,
                std::vector<std::string>& problems) {
  std::vector<FrameFile> files;
  for (const std::string& path : request.files) files.push_back(classifyFrame(path));
  const FramePlacement placement = placeFrames(files);
  for (int image : {kBlue, kGreen}) {
    if (!placement.panel[image].empty() && openImageFile(ws, port, image, placement.panel[image]))
      showStepStatus(port, loadStatus(ws, image));
  }
  if (placement.refused.empty()) return;
  std::string text =
      "Not opened (File > Open Blue Image... and Open Green Image... load a frame "
      "into either panel):";
  for (const std::string& line : placement.refused) text += "\n" + line;
  problems.push_back(text);
}

void typeBackgrounds(Workspace& ws, WindowPort& port, const StartRequest& request,
                     std::vector<std::string>& problems) {
  const ControlId fields[2] = {ctl::BackgroundFieldBlue, ctl::BackgroundFieldGreen};
  for (int image : {kBlue, kGreen}) {
    if (!request.background[image]) continue;
    if (!hasBit(ws.progressFlags, kLoadedBit[image])) {
      problems.push_back(std::string(image == kBlue ? "--background-blue" : "--background-green") +
                         ": no " + (image == kBlue ? "blue" : "green") + " frame is loaded");
      continue;
    }
    const std::string text = shortestText(*request.background[image]);
    port.setText(fields[image], text);
    command(ws, port, {fields[image], CommandCode::TextChanged, false, text});
  }
}

void click(Workspace& ws, WindowPort& port, ControlId button) {
  command(ws, port, {button, CommandCode::Clicked, false, {}});
}

void search(Workspace& ws, WindowPort& port, std::vector<std::string>& problems) {
  bool any = false;
  for (int image : {kBlue, kGreen}) {
    if (!hasBit(ws.progressFlags, kLoadedBit[image])) continue;
    click(ws, port, image == kBlue ? ctl::SearchBlue : ctl::SearchGreen);
    any = true;
  }
  if (!any) problems.push_back("--search: no frame is loaded");
}

void importCalibration(Workspace& ws, WindowPort& port, const std::string& path,
                       std::vector<std::string>& problems) {
  const CalibrationImport result = importCalibrationFile(ws, port, path);
  if (!result.read || !result.refused.empty())
    problems.push_back("--calibration: " + calibrationImportReport(result));
}

}  // namespace

void startWindow(Workspace& ws, WindowPort& port, const StartRequest& request) {
  std::vector<std::string> problems;
  openFrames(ws, port, request, problems);
  typeBackgrounds(ws, port, request, problems);
  if (request.search) search(ws, port, problems);
  if (request.compare) {
    if (canCompare(ws)) {
      click(ws, port, ctl::CompareImages);
    } else {
      problems.push_back("--compare: comparing needs both images searched");
    }
  }
  if (!request.calibrationFile.empty())
    importCalibration(ws, port, request.calibrationFile, problems);
  if (request.calculate) {
    if (canCalculate(ws)) {
      click(ws, port, ctl::CalculateMagnitudes);
    } else {
      problems.push_back("--calculate: calculating magnitudes needs calibration stars");
    }
  }
  if (problems.empty()) return;
  std::string text;
  for (const std::string& p : problems) text += (text.empty() ? "" : "\n\n") + p;
  port.showNote(kStartCaption, text);
}

}  // namespace orelith
