#include "photometry/CalibrationImport.h"

#include <map>
#include <optional>

#include "image/StarLabels.h"
#include "photometry/StarProperties.h"

namespace orelith {
namespace {

// Why the row names no star the dialog could open on as a calibration star.
std::optional<RowRefusal> refusal(const Workspace& ws, int label) {
  if (label < 0 || !hasBit(ws.progressFlags, PRG_BLUE_SEARCHED)) return RowRefusal::NoStar;
  const StarRecord& b = star(ws, kBlue, label);
  if (!hasBit(ws.progressFlags, PRG_COMPARED) || b.partner < 0) return RowRefusal::NotPaired;
  if (hasBit(b.marks, MARK_IGNORE)) return RowRefusal::Ignored;
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
    std::optional<RowRefusal> why = refusal(ws, label);
    if (!why && !seen.emplace(label, row.line).second) why = RowRefusal::Repeated;
    if (!why) {
      // The dialog's OK with "Calibration star" ticked and the values typed.
      const int green = star(ws, kBlue, label).partner;
      const CalibrationEdit edit =
          applyStarProperties(ws, {label, green, false, true, v, bMinusV}).status;
      if (edit == CalibrationEdit::ListFull) why = RowRefusal::ListFull;
      if (edit == CalibrationEdit::NoVMagnitude) why = RowRefusal::NoVMagnitude;
      if (why) seen.erase(label);  // a refused row leaves the star free for a later one
    }
    if (why) {
      result.refused.push_back({row, *why});
      continue;
    }
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
