// The calibration curves and magnitudes, and the star properties operations
// that keep the calibration list.
#include <gtest/gtest.h>

#include "photometry/Calibration.h"
#include "photometry/StarProperties.h"
#include "resources/ControlIds.h"
#include "resources/StringTable.h"
#include "tests/support/RecordingPort.h"
#include "tests/support/TestWorkspace.h"

namespace orelith {
namespace {

using test::RecordingPort;

// Stars 0, 3, 6 and 9 are calibration stars on the exact lines
// B = 20 - 2.5 lgB and V = 19 - 2.5 lgV.
std::unique_ptr<Workspace> calibratedWorkspace() {
  auto ws = test::twentyPairs();
  for (int k : {0, 3, 6, 9}) {
    StarRecord& b = star(*ws, kBlue, k);
    b.marks = MARK_CALIBRATION;
    star(*ws, kGreen, k + 100).marks = MARK_CALIBRATION;
    b.magnitudeV = static_cast<float>(19.0 - 2.5 * star(*ws, kGreen, k + 100).lgBrightness);
    b.magnitudeB = static_cast<float>(20.0 - 2.5 * b.lgBrightness);
    ws->calibration.entries[ws->calibration.count++] = {k, k + 100};
  }
  ws->progressFlags |= PRG_CALIBRATION_STAR;
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
    EXPECT_EQ(std::pair(star(*ws, kBlue, 3).magnitudeB, star(*ws, kBlue, 3).magnitudeV),
              std::pair(enteredB, enteredV));
    EXPECT_EQ(std::pair(star(*ws, kBlue, 4).magnitudeB, star(*ws, kBlue, 4).magnitudeV),
              std::pair(-1.0f, -1.0f));
    for (int k : {1, 2, 5, 7, 8}) {
      const StarRecord& b = star(*ws, kBlue, k);
      const double lgV = star(*ws, kGreen, k + 100).lgBrightness;
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

StarPropertiesDialog open(Workspace& ws, int blue) {
  ws.selectedStar[kBlue] = blue;
  ws.selectedStar[kGreen] = blue + 100;
  return openStarProperties(ws);
}

// "Calibration star" ticked, V and B-V typed, OK; true when it closed.
bool calibrate(Workspace& ws, WindowPort& port, int blue, const char* v, const char* bv = "0") {
  StarPropertiesDialog d = open(ws, blue);
  starPropertiesCalibrationClicked(d, true);
  starPropertiesTextChanged(d, props::VMagnitude, v);
  starPropertiesTextChanged(d, props::BMinusV, bv);
  return starPropertiesOk(ws, port, d);
}

// The stored state and the reopened values are checked through the Qt dialog.
TEST(StarProperties, OkKeepsTheCalibrationListAndItsControls) {
  auto ws = test::twentyPairs();
  RecordingPort port;
  EXPECT_FALSE(calibrate(*ws, port, 4, "", "0.5"));
  EXPECT_EQ(port.events.back(),
            (test::PortEvent{
                test::PortEvent::Message, str::EnterVMagnitude, false, {}, MessageOwner::Dialog}));
  for (int k = 0; k < 16; ++k) ASSERT_TRUE(calibrate(*ws, port, k, "10"));
  EXPECT_EQ(port.enabled(ctl::CalculateMagnitudes), true);
  EXPECT_FALSE(calibrate(*ws, port, 16, "11"));  // the seventeenth
  EXPECT_FALSE(calibrate(*ws, port, 3, "11"));   // refused although listed
  EXPECT_EQ(port.messages(), (std::vector<int>{21, 20, 20}));
  // Withdraw all but star 2, the even ones by "Ignore star", which greys the calibration entry
  // while it is ticked; then update star 2 in place.
  for (int k = 0; k < 16; ++k) {
    if (k == 2) continue;
    StarPropertiesDialog d = open(*ws, k);
    starPropertiesIgnoreClicked(d, true);
    EXPECT_FALSE(dialogControl(d.controls, props::CalibrationStar).enabled);
    starPropertiesIgnoreClicked(d, k % 2 == 0);
    EXPECT_EQ(dialogControl(d.controls, props::BMinusV).enabled, k % 2 != 0);
    starPropertiesCalibrationClicked(d, false);
    ASSERT_TRUE(starPropertiesOk(*ws, port, d));
    EXPECT_EQ(star(*ws, kBlue, k).marks, k % 2 == 0 ? MARK_IGNORE : 0u);
  }
  ASSERT_TRUE(calibrate(*ws, port, 2, "12.25", "0.5"));
  EXPECT_EQ(star(*ws, kBlue, 2).magnitudeB, 12.75f);  // B = V + B-V
  ASSERT_EQ(ws->calibration.count, 1);
  EXPECT_EQ(ws->calibration.entries[0].green, 102);
  EXPECT_EQ(star(*ws, kGreen, 102).marks, MARK_CALIBRATION);
  port.clear();
  StarPropertiesDialog last = open(*ws, 2);
  starPropertiesCalibrationClicked(last, false);
  ASSERT_TRUE(starPropertiesOk(*ws, port, last));
  EXPECT_EQ(ws->calibration.count, 0);
  EXPECT_FALSE(ws->progressFlags & PRG_CALIBRATION_STAR);
  for (int id : {ctl::CalculateMagnitudes, ctl::CurveViewBlue, ctl::CurveViewGreen})
    EXPECT_EQ(port.enabled(id), false) << id;
  ws->progressFlags &= ~PRG_COMPARED;
  EXPECT_FALSE(canOpenStarProperties(*ws));
}

TEST(StarProperties, LeadingNumberReadsDecimalNumbersOnly) {
  const std::pair<const char*, float> rows[] = {
      {"", 0.0f},    {" 12.5mag", 12.5f}, {"-0.25", -0.25f}, {".5", 0.5f},  {"1.5e1", 15.0f},
      {"abc", 0.0f}, {"0x1A", 0.0f},      {"inf", 0.0f},     {"nan", 0.0f}, {"1e999", 0.0f}};
  for (const auto& [text, value] : rows) EXPECT_EQ(leadingNumber(text), value) << text;
}

}  // namespace
}  // namespace orelith
