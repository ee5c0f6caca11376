#include "photometry/CalibrationImport.h"

#include <map>
#include <optional>

#include "image/StarLabels.h"
#include "photometry/StarProperties.h"

namespace orelith {
namespace {

bool listed(const Workspace& ws, int blue) {
  for (int e = 0; e < ws.calibration.count; ++e)
    if (ws.calibration.entries[e].blue == blue) return true;
  return false;
}

// The dialog's OK for pair (blue, green), "Calibration star" ticked: the
// magnitudes as typed (B = V + (B-V) as a float sum), both stars marked and
// the pair listed once.
void enterCalibrationStar(Workspace& ws, int blue, int green, float v, float bMinusV) {
  ws.progressFlags |= PRG_CALIBRATION_STAR;
  StarRecord& b = star(ws, kBlue, blue);
  b.magnitudeB = v + bMinusV;
  b.magnitudeV = v;
  b.marks |= MARK_CALIBRATION;
  star(ws, kGreen, green).marks |= MARK_CALIBRATION;
  if (!listed(ws, blue)) ws.calibration.entries[ws.calibration.count++] = {blue, green};
}

// Why the row cannot be entered, checked in the dialog's order; none: it can.
std::optional<RowRefusal> refusal(const Workspace& ws, int label, float v) {
  if (label < 0 || !hasBit(ws.progressFlags, PRG_BLUE_SEARCHED)) return RowRefusal::NoStar;
  const StarRecord& b = star(ws, kBlue, label);
  if (!hasBit(ws.progressFlags, PRG_COMPARED) || b.partner < 0) return RowRefusal::NotPaired;
  if (hasBit(b.marks, MARK_IGNORE)) return RowRefusal::Ignored;
  if (ws.calibration.count == kMaxCalibrationStars) return RowRefusal::ListFull;
  if (v == 0.0f) return RowRefusal::NoVMagnitude;
  return std::nullopt;
}

const char* reason(RowRefusal why) {
  switch (why) {
    case RowRefusal::NoStar:
      return "no star";
    case RowRefusal::NotPaired:
      return "a star without partner";
    case RowRefusal::Ignored:
      return "an ignored star";
    case RowRefusal::Repeated:
      return "the same star as an earlier line";
    case RowRefusal::NoVMagnitude:
      return "V of 0, taken as no value";
    case RowRefusal::ListFull:
      return "the list of calibration stars is full";
  }
  return "";
}

}  // namespace

CalibrationImport importCalibrationStars(Workspace& ws, const std::string& path) {
  CalibrationImport result;
  std::vector<StarRow> rows;
  result.read = readStarRows(path, "x,y,V,BV", kCalibrationRanges, rows, result.error);
  if (!result.read) return result;
  std::map<int, int> seen;  // star -> line
  for (const StarRow& row : rows) {
    const int label = starAtPixel(ws, kBlue, row.x, row.y);
    const float v = leadingNumber(row.extra[0]), bMinusV = leadingNumber(row.extra[1]);
    std::optional<RowRefusal> why = refusal(ws, label, v);
    if (!why && !seen.emplace(label, row.line).second) why = RowRefusal::Repeated;
    if (why) {
      result.refused.push_back({row, *why});
      continue;
    }
    enterCalibrationStar(ws, label, star(ws, kBlue, label).partner, v, bMinusV);
    ++result.accepted;
  }
  return result;
}

std::string calibrationImportReport(const CalibrationImport& result) {
  if (!result.read) return result.error;
  std::string text = std::to_string(result.accepted) + " calibration star" +
                     (result.accepted == 1 ? "" : "s") + " entered.";
  if (!result.refused.empty()) text += " Not placed:";
  for (const RefusedRow& r : result.refused)
    text += "\nline " + std::to_string(r.row.line) + ", blue pixel (" + std::to_string(r.row.x) +
            ", " + std::to_string(r.row.y) + "): " + reason(r.why);
  return text;
}

}  // namespace orelith
