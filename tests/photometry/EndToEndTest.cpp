// The whole measurement on a generated pair with known magnitudes: search,
// compare, eight calibration stars from V = 9 to 13, three coefficients. It
// also fails on a broken field generator.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <vector>

#include "analysis/Correspondence.h"
#include "analysis/StarSearch.h"
#include "photometry/Calibration.h"
#include "photometry/StarProperties.h"
#include "resources/ControlIds.h"
#include "tests/support/RecordingPort.h"
#include "tests/support/TestWorkspace.h"
#include "tools/FieldGenerator.h"

namespace orelith {
namespace {

struct Candidate {
  double v;
  int blueStar;
  int truth;
};

class EndToEnd : public testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    params.seed = static_cast<std::uint64_t>(GetParam());
    field = gen::generateField(params);
    ws = test::makeWorkspace();
    for (int image : {kBlue, kGreen}) {
      const auto& plane = image == kBlue ? field.blue : field.green;
      for (int y = 0; y < kImageHeight; ++y)
        for (int x = 0; x < kImageWidth; ++x)
          pixelAt(*ws, image, x, y) = plane[static_cast<std::size_t>(y * kImageWidth + x)];
      ws->searchRect[image] = kWholeImage;
      // About four sigma of the sky noise above the sky of 1000.
      ws->backgroundLevel[image] = 1130;
      searchStars(*ws, port, image);
    }
    compareImages(*ws, port);
  }

  // Found label under a true star's nearest pixel in `image`.
  int labelUnder(const gen::TrueStar& t, int image) const {
    const double shiftX = image == kGreen ? params.shiftX : 0;
    const double shiftY = image == kGreen ? params.shiftY : 0;
    const int x = static_cast<int>(std::lround(t.x + shiftX));
    const int y = static_cast<int>(std::lround(t.y + shiftY));
    const int label = labelAt(*ws, image, x, y);
    return label < ws->starCount[image] ? label : -1;
  }

  // Paired blue stars that hold exactly one true star, whose partner holds
  // the same one alone, and that carry no warning mark: blue star -> truth.
  std::map<int, int> isolatedStars() const {
    std::map<int, std::vector<int>> inBlue, inGreen;
    for (int i = 0; i < static_cast<int>(field.truth.size()); ++i) {
      inBlue[labelUnder(field.truth[static_cast<std::size_t>(i)], kBlue)].push_back(i);
      inGreen[labelUnder(field.truth[static_cast<std::size_t>(i)], kGreen)].push_back(i);
    }
    std::map<int, int> isolated;
    for (int k = 0; k < ws->starCount[kBlue]; ++k) {
      const StarRecord& b = star(*ws, kBlue, k);
      if (b.partner < 0 || (b.marks & (MARK_HOT | MARK_LARGE))) continue;
      if (star(*ws, kGreen, b.partner).marks & (MARK_HOT | MARK_LARGE)) continue;
      const auto& here = inBlue[k];
      if (here.size() == 1 && inGreen[b.partner] == here) isolated[k] = here[0];
    }
    return isolated;
  }

  std::vector<Candidate> chooseCalibrationStars(const std::map<int, int>& isolated) const {
    std::vector<Candidate> pool;
    for (auto [k, i] : isolated) {
      const gen::TrueStar& t = field.truth[static_cast<std::size_t>(i)];
      if (!t.saturated && t.V >= 9 && t.V <= 13) pool.push_back({t.V, k, i});
    }
    std::vector<Candidate> chosen;
    for (double target : {9.0, 9.6, 10.2, 10.8, 11.4, 12.0, 12.5, 13.0}) {
      auto best = std::min_element(pool.begin(), pool.end(), [&](const auto& a, const auto& b) {
        return std::abs(a.v - target) < std::abs(b.v - target);
      });
      if (best == pool.end()) break;
      chosen.push_back(*best);
      pool.erase(best);
    }
    return chosen;
  }

  void markCalibration(const Candidate& c, char* vText, char* bvText) {
    const gen::TrueStar& t = field.truth[static_cast<std::size_t>(c.truth)];
    std::snprintf(vText, 32, "%.4f", t.V);
    std::snprintf(bvText, 32, "%.4f", t.BV);
    ws->selectedStar[kBlue] = c.blueStar;
    ws->selectedStar[kGreen] = star(*ws, kBlue, c.blueStar).partner;
    StarPropertiesDialog d = openStarProperties(*ws);
    starPropertiesCalibrationClicked(d, true);
    starPropertiesTextChanged(d, props::VMagnitude, vText);
    starPropertiesTextChanged(d, props::BMinusV, bvText);
    ASSERT_TRUE(starPropertiesOk(*ws, port, d));
  }

  gen::FieldParams params;
  gen::FieldPair field;
  std::unique_ptr<Workspace> ws;
  test::RecordingPort port;
};

TEST_P(EndToEnd, BrightIsolatedStarsMatchTheTruth) {
  ASSERT_TRUE(ws->progressFlags & PRG_COMPARED);
  EXPECT_EQ(ws->offsetX, params.shiftX);
  EXPECT_EQ(ws->offsetY, params.shiftY);
  const std::map<int, int> isolated = isolatedStars();
  const std::vector<Candidate> chosen = chooseCalibrationStars(isolated);
  ASSERT_EQ(chosen.size(), 8u);
  char texts[8][2][32];
  for (std::size_t c = 0; c < chosen.size(); ++c)
    markCalibration(chosen[c], texts[c][0], texts[c][1]);
  ws->algorithm.coefficientCount = 3;
  ASSERT_EQ(calculateMagnitudes(*ws, port), 0);
  EXPECT_TRUE(port.messages().empty());

  for (std::size_t c = 0; c < chosen.size(); ++c) {
    const StarRecord& b = star(*ws, kBlue, chosen[c].blueStar);
    const float v = leadingNumber(texts[c][0]);
    EXPECT_EQ(b.magnitudeV, v);
    EXPECT_EQ(b.magnitudeB, v + leadingNumber(texts[c][1]));
  }
  double sumV = 0, sumBV = 0;
  int count = 0;
  for (auto [k, i] : isolated) {
    const gen::TrueStar& t = field.truth[static_cast<std::size_t>(i)];
    const StarRecord& b = star(*ws, kBlue, k);
    if (t.V >= 13 || (b.marks & MARK_CALIBRATION)) continue;
    sumV += std::pow(b.magnitudeV - t.V, 2);
    sumBV += std::pow((b.magnitudeB - b.magnitudeV) - t.BV, 2);
    ++count;
  }
  ASSERT_GE(count, 20);
  EXPECT_LE(std::sqrt(sumV / count), 0.05);
  EXPECT_LE(std::sqrt(sumBV / count), 0.05);
}

INSTANTIATE_TEST_SUITE_P(Seeds, EndToEnd, testing::Values(1, 7, 2026));

}  // namespace
}  // namespace orelith
