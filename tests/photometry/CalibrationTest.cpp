#include <gtest/gtest.h>

#include <cmath>

#include "photometry/Calibration.h"
#include "photometry/CalibrationCurve.h"
#include "resources/StringTable.h"
#include "tests/support/RecordingPort.h"
#include "tests/support/TestWorkspace.h"

namespace orelith {
namespace {

using test::RecordingPort;

// Ten pairs; blue star k has lg 2 + 0.3 k and green star k + 50 has lg
// 2.1 + 0.3 k. Stars 0, 3, 6 and 9 are calibration stars on the exact lines
// B = 20 - 2.5 lgB and V = 19 - 2.5 lgV.
std::unique_ptr<Workspace> calibratedWorkspace() {
  auto ws = test::makeWorkspace();
  ws->starCount[kBlue] = 10;
  ws->starCount[kGreen] = 60;
  for (int k = 0; k < 10; ++k) {
    StarRecord &b = star(*ws, kBlue, k), &g = star(*ws, kGreen, k + 50);
    b.lgBrightness = static_cast<float>(2.0 + 0.3 * k);
    g.lgBrightness = static_cast<float>(2.1 + 0.3 * k);
    b.partner = static_cast<std::int16_t>(k + 50);
    g.partner = static_cast<std::int16_t>(k);
    b.magnitudeB = b.magnitudeV = -1.0f;
  }
  for (int k : {0, 3, 6, 9}) {
    StarRecord& b = star(*ws, kBlue, k);
    b.marks = MARK_CALIBRATION;
    star(*ws, kGreen, k + 50).marks = MARK_CALIBRATION;
    b.magnitudeV = static_cast<float>(19.0 - 2.5 * star(*ws, kGreen, k + 50).lgBrightness);
    b.magnitudeB = static_cast<float>(20.0 - 2.5 * b.lgBrightness);
    ws->calibration.entries[ws->calibration.count++] = {k, k + 50};
  }
  ws->progressFlags = PRG_BLUE_SEARCHED | PRG_GREEN_SEARCHED | PRG_COMPARED | PRG_CALIBRATION_STAR;
  return ws;
}

// n = 0 gives every star 0; 2 and 3 coefficients find the exact lines. In
// every case the calibration stars keep what was entered, unpaired stars keep
// their values and ignored stars are calculated as well.
TEST(Calibration, FitsTheLinesAndAppliesThemToThePairedStars) {
  for (int n : {0, 2, 3}) {
    auto ws = calibratedWorkspace();
    ws->algorithm.coefficientCount = n;
    star(*ws, kBlue, 4).partner = -1;
    star(*ws, kBlue, 5).marks = MARK_IGNORE;
    const float enteredB = star(*ws, kBlue, 3).magnitudeB,
                enteredV = star(*ws, kBlue, 3).magnitudeV;
    RecordingPort port;
    ASSERT_EQ(calculateMagnitudes(*ws, port), 0);
    EXPECT_TRUE(ws->progressFlags & PRG_MAGNITUDES);
    EXPECT_EQ(port.count(test::PortEvent::ListRefill), 1);
    EXPECT_EQ(star(*ws, kBlue, 3).magnitudeB, enteredB) << n;
    EXPECT_EQ(star(*ws, kBlue, 3).magnitudeV, enteredV) << n;
    EXPECT_EQ(star(*ws, kBlue, 4).magnitudeB, -1.0f) << n;
    EXPECT_EQ(star(*ws, kBlue, 4).magnitudeV, -1.0f) << n;
    for (int k : {1, 2, 5, 7, 8}) {
      const StarRecord& b = star(*ws, kBlue, k);
      const double lgV = star(*ws, kGreen, k + 50).lgBrightness;
      EXPECT_NEAR(b.magnitudeB, n == 0 ? 0.0 : 20.0 - 2.5 * b.lgBrightness, 1e-5) << n << " " << k;
      EXPECT_NEAR(b.magnitudeV, n == 0 ? 0.0 : 19.0 - 2.5 * lgV, 1e-5) << n << " " << k;
    }
  }
}

// The button refills the list and repaints each curve view; with more
// coefficients than the library takes the fit refuses: message 15, nothing
// applied and no magnitudes bit.
TEST(Calibration, CommandShowsTheFitAndRefusesTooManyCoefficients) {
  struct Row {
    int coefficients;
    std::uint32_t views;
    std::vector<int> messages, repaints;
    int refills;
  };
  const Row rows[] = {{3, OPT_CURVE_VIEW_BLUE | OPT_CURVE_VIEW_GREEN, {}, {kBlue, kGreen}, 2},
                      {11, OPT_CURVE_VIEW_GREEN, {str::MinimisationFailed}, {kGreen}, 1}};
  for (const Row& row : rows) {
    auto ws = calibratedWorkspace();
    ws->algorithm.coefficientCount = row.coefficients;
    ws->optionFlags = row.views;
    RecordingPort port;
    calculateMagnitudesCommand(*ws, port);
    EXPECT_EQ(port.messages(), row.messages);
    EXPECT_EQ(port.repaints(), row.repaints);
    EXPECT_EQ(port.count(test::PortEvent::ListRefill), row.refills);
    EXPECT_EQ(hasBit(ws->progressFlags, PRG_MAGNITUDES), row.messages.empty());
    EXPECT_EQ(star(*ws, kBlue, 1).magnitudeB == -1.0f, !row.messages.empty());
  }
}

TEST(CalibrationCurve, PowersByRepeatedMultiplication) {
  const double c[3] = {1.0, 2.0, 3.0};
  EXPECT_EQ(evaluatePolynomial(c, 3, 2.0), 1.0 + 4.0 + 12.0);
  EXPECT_EQ(evaluatePolynomial(c, 3, 0.0), 1.0);  // 0^0 is 1
  EXPECT_EQ(evaluatePolynomial(c, 0, 5.0), 0.0);
}

}  // namespace
}  // namespace orelith
