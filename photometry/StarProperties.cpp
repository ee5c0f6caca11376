#include "photometry/StarProperties.h"

#include <cmath>
#include <cstdio>
#include <span>
#include <string>

#include "base/Number.h"
#include "resources/StringTable.h"

namespace orelith {
namespace {

int entryOf(const Workspace& ws, int blueStar) {
  const std::span<const CalibrationEntry> list = calibrationEntries(ws);
  for (std::size_t e = 0; e < list.size(); ++e)
    if (list[e].blue == blueStar) return static_cast<int>(e);
  return -1;
}

void acceptCalibrationStar(Workspace& ws, const StarPropertiesEntry& d) {
  ws.progressFlags |= PRG_CALIBRATION_STAR;
  StarRecord& blue = star(ws, kBlue, d.blueStar);
  blue.magnitudeB = d.v + d.bMinusV;
  blue.magnitudeV = d.v;
  blue.marks |= MARK_CALIBRATION;
  star(ws, kGreen, d.greenStar).marks |= MARK_CALIBRATION;
  if (entryOf(ws, d.blueStar) < 0) appendCalibrationEntry(ws, {d.blueStar, d.greenStar});
}

CalibrationEdit withdrawCalibrationStar(Workspace& ws, const StarPropertiesEntry& d) {
  StarRecord& blue = star(ws, kBlue, d.blueStar);
  if (!hasBit(blue.marks, MARK_CALIBRATION)) return CalibrationEdit::Unchanged;
  blue.marks &= ~MARK_CALIBRATION;
  star(ws, kGreen, d.greenStar).marks &= ~MARK_CALIBRATION;
  if (const int e = entryOf(ws, d.blueStar); e >= 0) {
    // The green star marked when the entry was made, should a later
    // comparison have paired the blue star differently.
    star(ws, kGreen, calibrationEntries(ws)[static_cast<std::size_t>(e)].green).marks &=
        ~MARK_CALIBRATION;
    removeCalibrationEntry(ws, e);
  }
  if (ws.calibration.count > 0) return CalibrationEdit::Withdrawn;
  ws.progressFlags &= ~PRG_CALIBRATION_STAR;
  return CalibrationEdit::LastWithdrawn;
}

}  // namespace

bool canOpenStarProperties(const Workspace& ws) {
  const int blue = ws.selectedStar[kBlue];
  return hasBit(ws.progressFlags, PRG_COMPARED) && blue >= 0 && blue < ws.starCount[kBlue] &&
         star(ws, kBlue, blue).partner != -1 && ws.selectedStar[kGreen] >= 0;
}

std::string starInformation(const Workspace& ws, int blueStar, int greenStar) {
  const StarRecord& b = star(ws, kBlue, blueStar);
  const StarRecord& g = star(ws, kGreen, greenStar);
  const std::string format(stringText(str::StarInformation));
  char text[550];
  std::snprintf(text, sizeof text, format.c_str(), blueStar, static_cast<int>(b.brightness),
                static_cast<int>(b.pixelCount), static_cast<int>(g.brightness),
                static_cast<int>(g.pixelCount), static_cast<int>(b.x), static_cast<int>(b.y));
  return text;
}

float leadingNumber(std::string_view text) {
  const auto value = static_cast<float>(leadingDecimal(text).value_or(0.0));
  return std::isfinite(value) ? value : 0.0f;
}

Outcome<CalibrationEdit> applyStarProperties(Workspace& ws, const StarPropertiesEntry& entry) {
  StarRecord& blue = star(ws, kBlue, entry.blueStar);
  setBit(blue.marks, MARK_IGNORE, entry.ignore);
  if (!entry.calibration || entry.ignore) return {withdrawCalibrationStar(ws, entry), std::nullopt};
  if (ws.calibration.count >= calibrationCapacity(ws))
    return {CalibrationEdit::ListFull, str::TooManyCalibrationStars};
  if (entry.v == 0.0f) return {CalibrationEdit::NoVMagnitude, str::EnterVMagnitude};
  acceptCalibrationStar(ws, entry);
  return {CalibrationEdit::Accepted, std::nullopt};
}

}  // namespace orelith
