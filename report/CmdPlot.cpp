#include "report/CmdPlot.h"

#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <new>

#include "base/AtomicFile.h"
#include "report/CmdPlotModule.h"
#include "resources/StringTable.h"

namespace orelith {
namespace {

int appendBytes(void* closure, const unsigned char* data, unsigned int length) {
  auto* bytes = static_cast<std::vector<unsigned char>*>(closure);
  try {
    bytes->insert(bytes->end(), data, data + length);
  } catch (const std::bad_alloc&) {
    return 1;  // no exception may cross cairo's C frames
  }
  return 0;
}

// The module lies where the install puts it relative to the program, in the
// build tree as in an installed or unpacked one.
std::string modulePath() {
  char exe[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0) return {};
  const std::string program(exe, static_cast<std::size_t>(n));
  return program.substr(0, program.rfind('/') + 1) + ORELITH_PLOT_MODULE;
}

using PlotEntry = decltype(&orelith_plot_cmd);

// Loaded on the first plot and kept to the end of the process; null when the
// module is missing or broken.
PlotEntry plotEntry() {
  static const PlotEntry entry = [] {
    PlotEntry found = nullptr;
    const std::string path = modulePath();
    void* module = path.empty() ? nullptr : ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (void* symbol = module ? ::dlsym(module, kPlotEntryName) : nullptr)
      std::memcpy(&found, &symbol, sizeof found);
    return found;
  }();
  return entry;
}

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
             const std::string& path, int& failureMessage) {
  const PlotEntry draw = plotEntry();
  std::vector<unsigned char> bytes;
  if (draw == nullptr || draw(points.data(), points.size(), title.c_str(),
                              endsWith(path, ".svg") ? 1 : 0, appendBytes, &bytes) != 0) {
    failureMessage = str::UnableToSaveFile;
    return false;
  }
  return writeFileAtomically(path, bytes, failureMessage);
}

}  // namespace orelith
