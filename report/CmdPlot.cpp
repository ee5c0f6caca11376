#include "report/CmdPlot.h"

#include <algorithm>
#include <cmath>

#include "base/AtomicFile.h"
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
  if (!hasBit(ws.progressFlags, PRG_COMPARED)) return points;
  const double nan = std::nan("");
  for (int k = 0; k < ws.starCount[kBlue]; ++k) {
    const StarRecord& b = star(ws, kBlue, k);
    if (b.partner < 0 || (b.marks & MARK_IGNORE)) continue;
    const bool calibration = b.marks & MARK_CALIBRATION;
    const std::uint32_t flags = science.flags.of(kBlue, k) | science.flags.of(kGreen, b.partner);
    const bool flagged = ((flags | b.marks | star(ws, kGreen, b.partner).marks) &
                          (FLAG_SATURATED | FLAG_EDGE | FLAG_BLENDED | MARK_HOT | MARK_LARGE)) != 0;
    CmdPlotPoint p{nan, nan, nan, nan, calibration, flagged};
    if (science.transform) {
      const StandardMagnitudes& m = science.transform->standard[k];
      p = {m.BV, m.V, m.BVError, m.VError, calibration, flagged};
    } else if (hasBit(ws.progressFlags, PRG_MAGNITUDES) || calibration) {
      p.bv = static_cast<double>(b.magnitudeB) - b.magnitudeV;
      p.v = b.magnitudeV;
    }
    if (std::isfinite(p.bv) && std::isfinite(p.v)) points.push_back(p);
  }
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
