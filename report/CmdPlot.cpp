#include "report/CmdPlot.h"

#include <algorithm>
#include <cmath>

#include "base/AtomicFile.h"
#include "report/CmdView.h"
#include "resources/StringTable.h"

namespace orelith {
namespace {

bool endsWith(const std::string& s, const std::string& tail) {
  if (s.size() < tail.size()) return false;
  return std::equal(tail.rbegin(), tail.rend(), s.rbegin(), [](char a, char b) {
    return a == std::tolower(static_cast<unsigned char>(b));
  });
}

}  // namespace

std::vector<CmdPlotPoint> cmdPlotPoints(const Workspace& ws, const ScienceResults& science) {
  std::vector<CmdPlotPoint> points;
  for (const CmdStar& s : cmdStars(ws, science)) points.push_back(s.point);
  return points;
}

std::string cmdPlotTitle(const Workspace& ws) {
  return std::string(ws.fileTitle[kBlue]) + " / " + ws.fileTitle[kGreen];
}

bool plotCmd(std::span<const CmdPlotPoint> points, const std::string& title,
             const std::string& path, StringId& failureMessage) {
  std::vector<unsigned char> bytes;
  if (!drawCmdPlot(points, title, endsWith(path, ".svg"), bytes)) {
    failureMessage = str::UnableToSaveFile;
    return false;
  }
  return writeFileAtomically(path, bytes, failureMessage);
}

}  // namespace orelith
