#include "photometry/FlagText.h"

#include <cmath>

#include "resources/NumberText.h"

namespace orelith {

PairFlags pairFlags(const Workspace& ws, const FlagTable& table, int blue, int green) {
  PairFlags f;
  const int numbers[2] = {blue, green};
  for (int image : {kBlue, kGreen}) {
    if (numbers[image] < 0) continue;
    f.marks |= star(ws, image, numbers[image]).marks;
    f.flags |= table.of(image, numbers[image]);
  }
  return f;
}

bool isFlagged(const PairFlags& f) {
  return hasBit(f.marks, MARK_HOT) || hasBit(f.marks, MARK_LARGE) ||
         (f.flags & (FLAG_SATURATED | FLAG_EDGE | FLAG_BLENDED)) != 0;
}

std::string flagWords(const PairFlags& f) {
  const std::pair<bool, const char*> words[] = {
      {hasBit(f.marks, MARK_HOT), "hot"},
      {hasBit(f.marks, MARK_LARGE), "large"},
      {hasBit(f.flags, FLAG_SATURATED), "saturated"},
      {hasBit(f.flags, FLAG_EDGE), "edge"},
      {hasBit(f.flags, FLAG_EXTRAPOLATED), "extrapolated"},
      {hasBit(f.flags, FLAG_BLENDED), "blended"}};
  std::string out;
  for (const auto& [set, word] : words) {
    if (!set) continue;
    if (!out.empty()) out += ", ";
    out += word;
  }
  return out;
}

namespace {

// "12.345 ± 0.012", or "none" for a value not measured.
std::string valueWithError(double value, double error) {
  if (!std::isfinite(value)) return "none";
  std::string s = fixedText(value, 3);
  if (std::isfinite(error)) s += " \u00b1 " + fixedText(error, 3);
  return s;
}

}  // namespace

std::string pairNotes(const Workspace& ws, const ScienceResults& science, int blue, int green) {
  const std::string words = flagWords(pairFlags(ws, science.flags, blue, green));
  std::string text = "Flags: " + (words.empty() ? std::string("none") : words);
  const int numbers[2] = {blue, green};
  const char* names[2] = {"\nAperture b: ", "\nAperture v: "};
  for (int image : {kBlue, kGreen}) {
    if (!science.apertures || numbers[image] < 0) continue;
    const ApertureResult& a = science.apertures->of(image, numbers[image]);
    text += names[image] + valueWithError(a.mag, a.magError);
  }
  // The curves' magnitudes of a pair they were calculated for; a calibration
  // star's are the values entered.
  const CurveErrorTable& e = science.curveErrors;
  const auto k = static_cast<std::size_t>(blue);
  if (blue >= 0 && green >= 0 && k < e.B.size() && k < e.V.size() &&
      hasBit(ws.progressFlags, PRG_MAGNITUDES) &&
      !hasBit(star(ws, kBlue, blue).marks, MARK_CALIBRATION)) {
    const StarRecord& b = star(ws, kBlue, blue);
    text += "\nB: " + valueWithError(b.magnitudeB, e.B[k]);
    text += "\nV: " + valueWithError(b.magnitudeV, e.V[k]);
  }
  if (science.transform && blue >= 0 && green >= 0) {
    const StandardMagnitudes& m = science.transform->standard[static_cast<std::size_t>(blue)];
    text += "\nStandard V: " + valueWithError(m.V, m.VError);
    text += "\nStandard B-V: " + valueWithError(m.BV, m.BVError);
  }
  return text;
}

}  // namespace orelith
