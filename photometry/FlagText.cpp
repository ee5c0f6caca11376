#include "photometry/FlagText.h"

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

}  // namespace orelith
