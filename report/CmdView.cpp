#include "report/CmdView.h"

#include <cmath>

#include "resources/NumberText.h"

namespace orelith {
namespace {

template <class Place>
std::vector<CmdTick> ticks(double low, double high, int decimals, Place place) {
  std::vector<CmdTick> out;
  const double step = cmdTickStep(high - low);
  for (double t = std::ceil(low / step) * step; t <= high; t += step)
    out.push_back({place(t), fixedText(std::abs(t) < 1e-9 ? 0.0 : t, decimals)});
  return out;
}

bool known(double error) { return std::isfinite(error) && error > 0; }

std::string withError(const char* name, double value, double error) {
  std::string s = std::string(name) + " " + fixedText(value, 3);
  if (known(error)) s += " \u00b1 " + fixedText(error, 3);
  return s;
}

}  // namespace

std::vector<CmdStar> cmdStars(const Workspace& ws, const ScienceResults& science) {
  std::vector<CmdStar> stars;
  if (!hasBit(ws.progressFlags, PRG_COMPARED)) return stars;
  const double nan = std::nan("");
  for (int k = 0; k < ws.starCount[kBlue]; ++k) {
    const StarRecord& b = star(ws, kBlue, k);
    if (b.partner < 0 || hasBit(b.marks, MARK_IGNORE)) continue;
    const bool calibration = hasBit(b.marks, MARK_CALIBRATION);
    const PairFlags flags = pairFlags(ws, science.flags, k, b.partner);
    CmdPlotPoint p{nan, nan, nan, nan, calibration, isFlagged(flags)};
    if (science.transform) {
      const StandardMagnitudes& m = science.transform->standard[k];
      p = {m.BV, m.V, m.BVError, m.VError, calibration, p.flagged};
    } else if (hasBit(ws.progressFlags, PRG_MAGNITUDES) || calibration) {
      p.bv = static_cast<double>(b.magnitudeB) - b.magnitudeV;
      p.v = b.magnitudeV;
    }
    if (std::isfinite(p.bv) && std::isfinite(p.v)) stars.push_back({k, b.partner, p, flags});
  }
  return stars;
}

CmdView cmdView(std::span<const CmdStar> stars, double width, double height) {
  std::vector<CmdPlotPoint> points;
  points.reserve(stars.size());
  for (const CmdStar& s : stars) points.push_back(s.point);
  return {cmdPlotFrame(points), kPlotLeft, kPlotTop, width - kPlotRight, height - kPlotBottom};
}

CmdMark cmdMark(const CmdView& view, const CmdPlotPoint& p) {
  CmdMark m{view.x(p.bv), view.y(p.v), 0, 0, 0, 0};
  m.barLeft = known(p.bvError) ? view.x(p.bv - p.bvError) : m.x;
  m.barRight = known(p.bvError) ? view.x(p.bv + p.bvError) : m.x;
  m.barTop = known(p.vError) ? view.y(p.v - p.vError) : m.y;
  m.barBottom = known(p.vError) ? view.y(p.v + p.vError) : m.y;
  return m;
}

int cmdStarAt(const CmdView& view, std::span<const CmdStar> stars, double x, double y,
              double reach) {
  int found = -1;
  double best = reach * reach;
  for (std::size_t i = 0; i < stars.size(); ++i) {
    const double dx = view.x(stars[i].point.bv) - x, dy = view.y(stars[i].point.v) - y;
    if (const double d = dx * dx + dy * dy; d <= best) {
      best = d;
      found = static_cast<int>(i);
    }
  }
  return found;
}

std::vector<CmdTick> cmdTicksBV(const CmdView& view) {
  return ticks(view.frame.bvLow, view.frame.bvHigh, 2, [&](double t) { return view.x(t); });
}

std::vector<CmdTick> cmdTicksV(const CmdView& view) {
  return ticks(view.frame.vLow, view.frame.vHigh, 1, [&](double t) { return view.y(t); });
}

std::vector<CmdLegendEntry> cmdLegend(double /*width*/, double height) {
  static constexpr std::pair<CmdLegendKind, const char*> kEntries[] = {
      {CmdLegendKind::Star, "Star"},
      {CmdLegendKind::Calibration, "Calibration star"},
      {CmdLegendKind::Flagged, "Flagged star"},
      {CmdLegendKind::Selected, "Selected star"}};
  constexpr double kSlot = 130;  // room for the longest text at the plot's font
  std::vector<CmdLegendEntry> out;
  double x = kPlotLeft;
  for (const auto& [kind, text] : kEntries) {
    out.push_back({kind, text, x + kCmdMarker, height - 8, x + 3 * kCmdMarker + 4, height - 4});
    x += kSlot;
  }
  return out;
}

std::string cmdStarText(const CmdStar& s) {
  const CmdPlotPoint& p = s.point;
  std::string text = "Star " + std::to_string(s.blue + 1) + "\n" + withError("V", p.v, p.vError) +
                     "\n" + withError("B-V", p.bv, p.bvError);
  if (p.calibration) text += "\ncalibration star";
  if (const std::string words = flagWords(s.flags); !words.empty()) text += "\n" + words;
  return text;
}

}  // namespace orelith
