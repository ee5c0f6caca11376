#include "photometry/Transformation.h"

#include <algorithm>
#include <vector>

namespace orelith {

const StarMeasure& MeasureTable::of(int which, int k) const {
  static const StarMeasure none{};
  const std::vector<StarMeasure>& s = image[which];
  return k >= 0 && k < static_cast<int>(s.size()) ? s[k] : none;
}

Instrumental pairMagnitudes(const MeasureTable& m, int blue, int green) {
  const StarMeasure &b = m.of(kBlue, blue), &v = m.of(kGreen, green);
  return {b.mag, b.error, v.mag, v.error, b.systematic * v.systematic};
}

std::optional<TransformTable> transformPairs(const Workspace& ws, const MeasureTable& m,
                                             const DiagnosticPoint* points, int n) {
  std::vector<CalibrationPoint> fitPoints;
  fitPoints.reserve(static_cast<std::size_t>(std::max(n, 0)));
  for (int i = 0; i < n; ++i) fitPoints.push_back({points[i].inst, points[i].V, points[i].BV});
  TransformTable table;
  if (!fitTransform(fitPoints.data(), n, table.fit)) return std::nullopt;
  table.standard.resize(static_cast<std::size_t>(ws.starCount[kBlue]));
  for (int k = 0; k < ws.starCount[kBlue]; ++k) {
    const int partner = star(ws, kBlue, k).partner;
    if (partner < 0 || !hasBit(ws.progressFlags, PRG_COMPARED)) continue;
    table.standard[k] = applyTransform(table.fit, pairMagnitudes(m, k, partner));
  }
  table.diagnostics = diagnoseModel(points, n, 0, predictTransform);
  return table;
}

}  // namespace orelith
