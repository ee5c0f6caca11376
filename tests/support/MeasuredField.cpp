#include "tests/support/MeasuredField.h"

#include <cmath>

#include "analysis/Correspondence.h"
#include "analysis/StarSearch.h"

namespace orelith::test {

MeasuredField::MeasuredField(const gen::FieldParams& p, int level)
    : params(p), field(gen::generateField(p)), ws(std::make_unique<Workspace>()) {
  if (level == 0) ws->optionFlags |= OPT_AUTO_BACKGROUND;
  for (int image : {kBlue, kGreen}) {
    const auto& plane = image == kBlue ? field.blue : field.green;
    for (int i = 0; i < kPixelCount; ++i)
      pixelAt(*ws, image, i % kImageWidth, i / kImageWidth) = plane[static_cast<std::size_t>(i)];
    ws->searchRect[image] = kWholeImage, ws->backgroundLevel[image] = level;
    searchStars(*ws, image);
  }
  compareImages(*ws);
}

int MeasuredField::labelUnder(const gen::TrueStar& t, int image) const {
  const int x = static_cast<int>(std::lround(t.x + (image == kGreen ? params.shiftX : 0)));
  const int y = static_cast<int>(std::lround(t.y + (image == kGreen ? params.shiftY : 0)));
  const int label = labelAt(*ws, image, x, y);
  return label < ws->starCount[image] ? label : -1;
}

std::map<int, std::vector<int>> MeasuredField::truthOf(int image) const {
  std::map<int, std::vector<int>> out;
  for (int i = 0; i < static_cast<int>(field.truth.size()); ++i)
    out[labelUnder(truth(i), image)].push_back(i);
  return out;
}

std::map<int, int> MeasuredField::isolatedPairs() const {
  std::map<int, std::vector<int>> inBlue = truthOf(kBlue), inGreen = truthOf(kGreen);
  std::map<int, int> out;
  for (int k = 0; k < ws->starCount[kBlue]; ++k) {
    const int partner = star(*ws, kBlue, k).partner;
    if (partner >= 0 && inBlue[k].size() == 1 && inGreen[partner] == inBlue[k])
      out[k] = inBlue[k][0];
  }
  return out;
}

}  // namespace orelith::test
