// The whole measurement on a generated pair with known magnitudes: search,
// compare, eight calibration stars from V = 9 to 13 entered in the dialog,
// three coefficients. It also fails on a broken field generator.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "photometry/Calibration.h"
#include "photometry/StarProperties.h"
#include "resources/ControlIds.h"
#include "tests/photometry/MeasuredField.h"
#include "tests/support/RecordingPort.h"

namespace orelith {
namespace {

class EndToEnd : public testing::TestWithParam<int> {};

TEST_P(EndToEnd, BrightIsolatedStarsMatchTheTruth) {
  gen::FieldParams params;
  params.seed = static_cast<std::uint64_t>(GetParam());
  const test::MeasuredField m(params);
  Workspace& ws = *m.ws;
  ASSERT_TRUE(ws.progressFlags & PRG_COMPARED);
  EXPECT_EQ(ws.offsetX, params.shiftX);
  EXPECT_EQ(ws.offsetY, params.shiftY);
  // Isolated pairs without a warning mark; calibration candidates unsaturated.
  std::map<int, int> isolated = m.isolatedPairs();
  std::erase_if(isolated, [&](const auto& e) {
    const StarRecord& b = star(ws, kBlue, e.first);
    return ((b.marks | star(ws, kGreen, b.partner).marks) & (MARK_HOT | MARK_LARGE)) != 0;
  });
  std::vector<std::pair<int, int>> pool;
  for (auto e : isolated)
    if (!m.truth(e.second).saturated && m.truth(e.second).V >= 9 && m.truth(e.second).V <= 13)
      pool.push_back(e);
  const auto chosen =
      m.pick(pool, {9.0, 9.6, 10.2, 10.8, 11.4, 12.0, 12.5, 13.0},
             [&](const auto& e, double target) { return std::abs(m.truth(e.second).V - target); });
  ASSERT_EQ(chosen.size(), 8u);

  test::RecordingPort port;
  std::map<int, std::pair<float, float>> entered;  // blue star -> V, B as the field reads them
  for (auto [k, i] : chosen) {
    char v[32], bv[32];
    std::snprintf(v, sizeof v, "%.4f", m.truth(i).V);
    std::snprintf(bv, sizeof bv, "%.4f", m.truth(i).BV);
    ws.selectedStar[kBlue] = k;
    ws.selectedStar[kGreen] = star(ws, kBlue, k).partner;
    StarPropertiesDialog d = openStarProperties(ws);
    starPropertiesCalibrationClicked(d, true);
    starPropertiesTextChanged(d, props::VMagnitude, v);
    starPropertiesTextChanged(d, props::BMinusV, bv);
    ASSERT_TRUE(starPropertiesOk(ws, port, d));
    entered[k] = {leadingNumber(v), leadingNumber(v) + leadingNumber(bv)};
  }
  ws.algorithm.coefficientCount = 3;
  ASSERT_EQ(calculateMagnitudes(ws, port), 0);
  EXPECT_TRUE(port.messages().empty());
  for (auto [k, vb] : entered)
    EXPECT_EQ(std::pair(star(ws, kBlue, k).magnitudeV, star(ws, kBlue, k).magnitudeB), vb);

  double sumV = 0, sumBV = 0;
  int count = 0;
  for (auto [k, i] : isolated) {
    const StarRecord& b = star(ws, kBlue, k);
    if (m.truth(i).V >= 13 || (b.marks & MARK_CALIBRATION)) continue;
    sumV += std::pow(b.magnitudeV - m.truth(i).V, 2);
    sumBV += std::pow((b.magnitudeB - b.magnitudeV) - m.truth(i).BV, 2);
    ++count;
  }
  ASSERT_GE(count, 20);
  EXPECT_LE(std::sqrt(sumV / count), 0.05);
  EXPECT_LE(std::sqrt(sumBV / count), 0.05);
}

INSTANTIATE_TEST_SUITE_P(Seeds, EndToEnd, testing::Values(1, 7, 2026));

}  // namespace
}  // namespace orelith
