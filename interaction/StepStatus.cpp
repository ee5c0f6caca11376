#include "interaction/StepStatus.h"

#include <cstdio>

#include "photometry/FitDiagnostics.h"
#include "resources/ControlIds.h"
#include "resources/NumberText.h"
#include "resources/StringTable.h"

namespace orelith {
namespace {

template <class... Args>
std::string formatPattern(const std::string& pattern, Args... args) {
  char text[300];
  std::snprintf(text, sizeof text, pattern.c_str(), args...);
  return text;
}

template <class... Args>
std::string format(StringId stringId, Args... args) {
  return formatPattern(std::string(stringText(stringId)), args...);
}

// The panels' captions "Blue" and "Green".
const char* imageName(int image) { return stringText(StringId{image == kBlue ? 34 : 35}).data(); }

std::string searchStatus(const Workspace& ws, int image) {
  if (!hasBit(ws.progressFlags, kSearchedBit[image])) return {};
  // The level as the field shows it: a floating-point frame's may be a fraction.
  return formatPattern(levelPattern(std::string(stringText(str::StatusSearched)), 1),
                       imageName(image), ws.starCount[image],
                       shortestText(ws.backgroundLevel[image]).c_str());
}

int pairCount(const Workspace& ws) {
  int pairs = 0;
  for (int b = 0; b < ws.starCount[kBlue]; ++b) pairs += star(ws, kBlue, b).partner != -1;
  return pairs;
}

std::string compareStatus(const Workspace& ws) {
  if (!hasBit(ws.progressFlags, PRG_COMPARED))
    return hasBit(ws.optionFlags, OPT_PAIR_ENTRY) ? std::string(stringText(str::StatusEnterPairs))
                                                  : std::string();
  const std::string offset = std::to_string(-ws.offsetX) + "|" + std::to_string(-ws.offsetY);
  return format(str::StatusCompared, offset.c_str(), pairCount(ws));
}

std::string calculateStatus(const Workspace& ws) {
  if (!hasBit(ws.progressFlags, PRG_MAGNITUDES)) return {};
  const ModelDiagnostics fit = diagnosePolynomial(ws);
  std::string line = format(str::StatusCalculated, pairCount(ws), ws.calibration.count,
                            fixedText(fit.rmsV, 3).c_str(), fixedText(fit.rmsBV, 3).c_str());
  if (ws.scienceWarnings > 0) line += format(str::StatusWarnings, ws.scienceWarnings);
  return line;
}

}  // namespace

StepBefore beforeStep(const Workspace& ws) { return {{ws.loadCount[kBlue], ws.loadCount[kGreen]}}; }

std::string loadStatus(const Workspace& ws, int image) {
  std::string line = format(str::StatusLoaded, imageName(image), ws.fileTitle[image]);
  if (ws.backgroundLevel[image] == 0 && !hasBit(ws.optionFlags, OPT_AUTO_BACKGROUND))
    line += stringText(str::StatusSetBackground);
  return line;
}

std::string stepStatus(const Workspace& ws, const StepBefore& before, MenuId item) {
  if (item != MenuId::OpenBlue && item != MenuId::OpenGreen) return {};
  const int image = item == MenuId::OpenBlue ? kBlue : kGreen;
  return ws.loadCount[image] != before.loadCount[image] ? loadStatus(ws, image) : std::string();
}

std::string stepStatus(const Workspace& ws, const StepBefore&, ControlId control) {
  switch (control) {
    case ControlId::SearchBlue:
      return searchStatus(ws, kBlue);
    case ControlId::SearchGreen:
      return searchStatus(ws, kGreen);
    case ControlId::CompareImages:
    case ControlId::Set3:
      return compareStatus(ws);
    case ControlId::CalculateMagnitudes:
      return calculateStatus(ws);
    default:
      return {};
  }
}

void showStepStatus(WindowPort& port, const std::string& line) {
  if (!line.empty()) port.setStatusText(0, line);
}

}  // namespace orelith
