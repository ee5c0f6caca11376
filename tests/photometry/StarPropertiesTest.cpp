#include <gtest/gtest.h>

#include "photometry/StarProperties.h"
#include "resources/ControlIds.h"
#include "resources/StringTable.h"
#include "tests/support/RecordingPort.h"
#include "tests/support/TestWorkspace.h"

namespace orelith {
namespace {

using test::RecordingPort;

// 20 blue stars, blue star k paired with green star k + 100.
std::unique_ptr<Workspace> paired() {
  auto ws = test::makeWorkspace();
  ws->starCount[kBlue] = 20;
  ws->starCount[kGreen] = 120;
  for (int k = 0; k < 20; ++k) {
    star(*ws, kBlue, k).partner = static_cast<std::int16_t>(k + 100);
    star(*ws, kGreen, k + 100).partner = static_cast<std::int16_t>(k);
  }
  ws->progressFlags = PRG_BLUE_SEARCHED | PRG_GREEN_SEARCHED | PRG_COMPARED;
  return ws;
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

TEST(StarProperties, OpensWithTheStoredStateOfThePair) {
  auto ws = paired();
  RecordingPort port;
  star(*ws, kBlue, 3) = {1003, 13, 23, 8, 103, 0, 0, 0, 0, {}};
  star(*ws, kGreen, 103) = {2003, 0, 0, 7, 3, 0, 0, 0, 0, {}};
  // By hand from string 19 for blue star 3 and green star 103.
  EXPECT_EQ(dialogControl(open(*ws, 3).controls, props::Information).text,
            "Star #  3\nBlue brightness:  1003/ 8\nGreen brightnesst:  2003/ 7\n@( 13| 23)");
  EXPECT_FALSE(dialogControl(open(*ws, 3).controls, props::VMagnitude).enabled);
  ASSERT_TRUE(calibrate(*ws, port, 2, "9.5", "0.25"));
  StarPropertiesDialog d = open(*ws, 2);
  EXPECT_TRUE(d.calibrationRequested);
  EXPECT_EQ(dialogControl(d.controls, props::BMinusV).text, "0.250000");
  EXPECT_EQ(dialogControl(d.controls, props::VMagnitude).text, "9.500000");
  EXPECT_TRUE(dialogControl(d.controls, props::VMagnitude).enabled);
  starPropertiesIgnoreClicked(d, true);
  EXPECT_FALSE(dialogControl(d.controls, props::CalibrationStar).enabled);
  EXPECT_FALSE(dialogControl(d.controls, props::BMinusV).enabled);
  starPropertiesIgnoreClicked(d, false);
  EXPECT_TRUE(dialogControl(d.controls, props::BMinusV).enabled);
  star(*ws, kBlue, 6).marks = MARK_IGNORE;
  EXPECT_TRUE(dialogControl(open(*ws, 6).controls, props::IgnoreStar).checked);
  EXPECT_FALSE(dialogControl(open(*ws, 6).controls, props::CalibrationStar).enabled);
  ws->progressFlags &= ~PRG_COMPARED;
  EXPECT_FALSE(canOpenStarProperties(*ws));
}

TEST(StarProperties, OkKeepsTheCalibrationListAndItsControls) {
  auto ws = paired();
  RecordingPort port;
  EXPECT_FALSE(calibrate(*ws, port, 4, "", "0.5"));
  EXPECT_EQ(port.events.back(),
            (test::PortEvent{
                test::PortEvent::Message, str::EnterVMagnitude, false, {}, MessageOwner::Dialog}));
  for (int k = 0; k < 16; ++k) ASSERT_TRUE(calibrate(*ws, port, k, "10"));
  EXPECT_EQ(port.enabled(ctl::CalculateMagnitudes), true);
  EXPECT_TRUE(ws->progressFlags & PRG_CALIBRATION_STAR);
  EXPECT_FALSE(calibrate(*ws, port, 16, "10"));
  EXPECT_FALSE(calibrate(*ws, port, 3, "11"));  // refused although listed
  EXPECT_EQ(port.messages(), (std::vector<int>{21, 20, 20}));
  // Withdraw all but star 2, then update it in place.
  for (int k = 0; k < 16; ++k) {
    if (k == 2) continue;
    StarPropertiesDialog d = open(*ws, k);
    starPropertiesIgnoreClicked(d, k % 2 == 0);
    starPropertiesCalibrationClicked(d, false);
    ASSERT_TRUE(starPropertiesOk(*ws, port, d));
    EXPECT_EQ(star(*ws, kBlue, k).marks, k % 2 == 0 ? MARK_IGNORE : 0u);
  }
  ASSERT_TRUE(calibrate(*ws, port, 2, "12.25", "0.5"));
  ASSERT_EQ(ws->calibration.count, 1);
  EXPECT_EQ(ws->calibration.entries[0].green, 102);
  EXPECT_EQ(star(*ws, kBlue, 2).magnitudeB, 12.75f);
  EXPECT_EQ(star(*ws, kGreen, 102).marks, MARK_CALIBRATION);
  port.clear();
  StarPropertiesDialog last = open(*ws, 2);
  starPropertiesCalibrationClicked(last, false);
  ASSERT_TRUE(starPropertiesOk(*ws, port, last));
  EXPECT_EQ(ws->calibration.count, 0);
  EXPECT_FALSE(ws->progressFlags & PRG_CALIBRATION_STAR);
  for (int id : {ctl::CalculateMagnitudes, ctl::CurveViewBlue, ctl::CurveViewGreen})
    EXPECT_EQ(port.enabled(id), false) << id;
}

TEST(StarProperties, LeadingNumberReadsDecimalNumbersOnly) {
  const std::pair<const char*, float> rows[] = {
      {"", 0.0f},    {" 12.5mag", 12.5f}, {"-0.25", -0.25f}, {".5", 0.5f},  {"1.5e1", 15.0f},
      {"abc", 0.0f}, {"0x1A", 0.0f},      {"inf", 0.0f},     {"nan", 0.0f}, {"1e999", 0.0f}};
  for (const auto& [text, value] : rows) EXPECT_EQ(leadingNumber(text), value) << text;
}

}  // namespace
}  // namespace orelith
