// A generated frame pair searched and compared as the window would, and which
// found stars hold which true stars.
#pragma once

#include <algorithm>
#include <cmath>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "analysis/Correspondence.h"
#include "analysis/StarSearch.h"
#include "tests/support/TestWorkspace.h"
#include "tools/FieldGenerator.h"

namespace orelith::test {

struct MeasuredField {
  gen::FieldParams params;
  gen::FieldPair field;
  std::unique_ptr<Workspace> ws = makeWorkspace();

  explicit MeasuredField(const gen::FieldParams& p) : params(p), field(gen::generateField(p)) {
    NullWindowPort port;
    for (int image : {kBlue, kGreen}) {
      const auto& plane = image == kBlue ? field.blue : field.green;
      for (int i = 0; i < kPixelCount; ++i)
        pixelAt(*ws, image, i % kImageWidth, i / kImageWidth) = plane[static_cast<std::size_t>(i)];
      ws->searchRect[image] = kWholeImage;
      ws->backgroundLevel[image] = 1130;  // about four sigma of the sky noise above the sky of 1000
      searchStars(*ws, port, image);
    }
    compareImages(*ws, port);
  }

  const gen::TrueStar& truth(int i) const { return field.truth[static_cast<std::size_t>(i)]; }

  // The found star under a true star's nearest pixel in `image`, or -1.
  int labelUnder(const gen::TrueStar& t, int image) const {
    const int x = static_cast<int>(std::lround(t.x + (image == kGreen ? params.shiftX : 0)));
    const int y = static_cast<int>(std::lround(t.y + (image == kGreen ? params.shiftY : 0)));
    const int label = labelAt(*ws, image, x, y);
    return label < ws->starCount[image] ? label : -1;
  }

  // Paired blue star -> truth, where both stars hold that one true star alone.
  std::map<int, int> isolatedPairs() const {
    std::map<int, std::vector<int>> inBlue, inGreen;
    for (int i = 0; i < static_cast<int>(field.truth.size()); ++i) {
      inBlue[labelUnder(truth(i), kBlue)].push_back(i);
      inGreen[labelUnder(truth(i), kGreen)].push_back(i);
    }
    std::map<int, int> out;
    for (int k = 0; k < ws->starCount[kBlue]; ++k) {
      const int partner = star(*ws, kBlue, k).partner;
      if (partner >= 0 && inBlue[k].size() == 1 && inGreen[partner] == inBlue[k])
        out[k] = inBlue[k][0];
    }
    return out;
  }

  // For each target V in turn, the (blue star, truth) of `pool` of least
  // score(entry, target), taken out of the pool.
  std::vector<std::pair<int, int>> pick(
      std::vector<std::pair<int, int>> pool, std::initializer_list<double> targets,
      const std::function<double(const std::pair<int, int>&, double)>& score) const {
    std::vector<std::pair<int, int>> chosen;
    for (double target : targets) {
      auto best = std::min_element(pool.begin(), pool.end(), [&](const auto& a, const auto& b) {
        return score(a, target) < score(b, target);
      });
      if (best == pool.end()) break;
      chosen.push_back(*best);
      pool.erase(best);
    }
    return chosen;
  }
};

}  // namespace orelith::test
