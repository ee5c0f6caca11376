#include <gtest/gtest.h>

#include "photometry/StarProperties.h"
#include "resources/ControlIds.h"
#include "resources/StringTable.h"
#include "tests/support/ParamName.h"
#include "tests/support/RecordingPort.h"
#include "tests/support/TestWorkspace.h"

namespace orelith {
namespace {

using test::RecordingPort;

// 20 blue stars paired with green star k + 100; star k has brightness
// 1000 + k, 5 + k pixels and sits at (10 + k, 20 + k).
std::unique_ptr<Workspace> pairedWorkspace() {
  auto ws = test::makeWorkspace();
  ws->starCount[kBlue] = 20;
  ws->starCount[kGreen] = 120;
  for (int k = 0; k < 20; ++k) {
    StarRecord& b = star(*ws, kBlue, k);
    b.brightness = static_cast<std::uint32_t>(1000 + k);
    b.pixelCount = static_cast<std::uint16_t>(5 + k);
    b.x = static_cast<std::uint16_t>(10 + k);
    b.y = static_cast<std::uint16_t>(20 + k);
    b.partner = static_cast<std::int16_t>(k + 100);
    StarRecord& g = star(*ws, kGreen, k + 100);
    g.brightness = static_cast<std::uint32_t>(2000 + k);
    g.pixelCount = static_cast<std::uint16_t>(7);
    g.partner = static_cast<std::int16_t>(k);
  }
  ws->progressFlags = PRG_BLUE_SEARCHED | PRG_GREEN_SEARCHED | PRG_COMPARED;
  return ws;
}

void select(Workspace& ws, int blue) {
  ws.selectedStar[kBlue] = blue;
  ws.selectedStar[kGreen] = star(ws, kBlue, blue).partner;
}

// Opens the dialog on `blue`, ticks "Calibration star", types V and B-V and
// presses OK. True when the dialog closed.
bool markCalibration(Workspace& ws, WindowPort& port, int blue, const char* v, const char* bv) {
  select(ws, blue);
  StarPropertiesDialog d = openStarProperties(ws, port);
  starPropertiesCalibrationClicked(d, port, true);
  starPropertiesTextChanged(d, props::VMagnitude, v);
  starPropertiesTextChanged(d, props::BMinusV, bv);
  return starPropertiesOk(ws, port, d);
}

TEST(StarProperties, InformationTextNumbersFromZero) {
  auto ws = pairedWorkspace();
  // By hand from "Star #%3d\nBlue brightness: %5d/%2d\nGreen brightnesst: %5d/%2d\n@(%3d|%3d)".
  EXPECT_EQ(starInformation(*ws, 3, 103),
            "Star #  3\nBlue brightness:  1003/ 8\nGreen brightnesst:  2003/ 7\n@( 13| 23)");
}

TEST(StarProperties, AcceptingTheFirstStarEnablesTheCalibrationControls) {
  auto ws = pairedWorkspace();
  RecordingPort port;
  ASSERT_TRUE(markCalibration(*ws, port, 4, "12.25", "0.5"));
  EXPECT_EQ(ws->calibration.count, 1);
  EXPECT_EQ(ws->calibration.entries[0].blue, 4);
  EXPECT_EQ(ws->calibration.entries[0].green, 104);
  EXPECT_EQ(star(*ws, kBlue, 4).magnitudeV, 12.25f);
  EXPECT_EQ(star(*ws, kBlue, 4).magnitudeB, 12.25f + 0.5f);
  EXPECT_TRUE(star(*ws, kBlue, 4).marks & MARK_CALIBRATION);
  EXPECT_TRUE(star(*ws, kGreen, 104).marks & MARK_CALIBRATION);
  EXPECT_TRUE(ws->progressFlags & PRG_CALIBRATION_STAR);
  for (int id : {ctl::CalculateMagnitudes, ctl::CurveViewBlue, ctl::CurveViewGreen})
    EXPECT_EQ(port.enabled(id), true) << id;
}

TEST(StarProperties, MissingVKeepsTheDialogOpen) {
  auto ws = pairedWorkspace();
  RecordingPort port;
  EXPECT_FALSE(markCalibration(*ws, port, 4, "", "0.5"));
  ASSERT_EQ(port.messages(), std::vector<int>{str::EnterVMagnitude});
  EXPECT_EQ(port.events[static_cast<std::size_t>(port.indexOf(test::PortEvent::Message))].owner,
            MessageOwner::Dialog);
  EXPECT_EQ(ws->calibration.count, 0);
  EXPECT_FALSE(star(*ws, kBlue, 4).marks & MARK_CALIBRATION);
}

TEST(StarProperties, SeventeenthStarIsRefusedEvenWhenAlreadyListed) {
  auto ws = pairedWorkspace();
  RecordingPort port;
  for (int k = 0; k < 16; ++k) ASSERT_TRUE(markCalibration(*ws, port, k, "10", "0"));
  EXPECT_FALSE(markCalibration(*ws, port, 16, "10", "0"));
  EXPECT_FALSE(markCalibration(*ws, port, 3, "11", "0"));
  EXPECT_EQ(port.messages(),
            (std::vector<int>{str::TooManyCalibrationStars, str::TooManyCalibrationStars}));
  EXPECT_EQ(ws->calibration.count, 16);
  EXPECT_EQ(star(*ws, kBlue, 3).magnitudeV, 10.0f);
}

TEST(StarProperties, ReopeningShowsTheValuesAndUpdatesInPlace) {
  auto ws = pairedWorkspace();
  RecordingPort port;
  ASSERT_TRUE(markCalibration(*ws, port, 2, "9.5", "0.25"));
  ASSERT_TRUE(markCalibration(*ws, port, 5, "11", "1"));
  select(*ws, 2);
  port.clear();
  StarPropertiesDialog d = openStarProperties(*ws, port);
  EXPECT_TRUE(d.calibrationRequested);
  EXPECT_EQ(port.text(props::BMinusV), "0.250000");
  EXPECT_EQ(port.text(props::VMagnitude), "9.500000");
  EXPECT_EQ(d.enteredV, 9.5f);
  starPropertiesTextChanged(d, props::VMagnitude, "10.0");
  ASSERT_TRUE(starPropertiesOk(*ws, port, d));
  EXPECT_EQ(ws->calibration.count, 2);
  EXPECT_EQ(ws->calibration.entries[0].blue, 2);
  EXPECT_EQ(star(*ws, kBlue, 2).magnitudeV, 10.0f);
  EXPECT_EQ(star(*ws, kBlue, 2).magnitudeB, 10.25f);
}

TEST(StarProperties, IgnoringWithdrawsAndTheLastOneDisablesTheControls) {
  auto ws = pairedWorkspace();
  RecordingPort port;
  ASSERT_TRUE(markCalibration(*ws, port, 1, "9", "0"));
  ASSERT_TRUE(markCalibration(*ws, port, 2, "10", "0"));
  ASSERT_TRUE(markCalibration(*ws, port, 3, "11", "0"));
  select(*ws, 2);
  StarPropertiesDialog d = openStarProperties(*ws, port);
  starPropertiesIgnoreClicked(d, port, true);
  ASSERT_TRUE(starPropertiesOk(*ws, port, d));
  ASSERT_EQ(ws->calibration.count, 2);
  EXPECT_EQ(ws->calibration.entries[0].blue, 1);
  EXPECT_EQ(ws->calibration.entries[1].blue, 3);
  EXPECT_EQ(star(*ws, kBlue, 2).marks, MARK_IGNORE);
  EXPECT_EQ(star(*ws, kGreen, 102).marks, 0u);

  for (int k : {1, 3}) {
    select(*ws, k);
    StarPropertiesDialog w = openStarProperties(*ws, port);
    starPropertiesCalibrationClicked(w, port, false);
    port.clear();
    ASSERT_TRUE(starPropertiesOk(*ws, port, w));
  }
  EXPECT_EQ(ws->calibration.count, 0);
  EXPECT_FALSE(ws->progressFlags & PRG_CALIBRATION_STAR);
  for (int id : {ctl::CalculateMagnitudes, ctl::CurveViewBlue, ctl::CurveViewGreen})
    EXPECT_EQ(port.enabled(id), false) << id;
}

TEST(StarProperties, OrdinaryStarAfterACalibrationStarChangesNothing) {
  auto ws = pairedWorkspace();
  RecordingPort port;
  ASSERT_TRUE(markCalibration(*ws, port, 1, "9", "0"));
  select(*ws, 7);
  port.clear();
  StarPropertiesDialog d = openStarProperties(*ws, port);
  EXPECT_FALSE(d.calibrationRequested);
  EXPECT_FALSE(d.ignoreChecked);
  ASSERT_TRUE(starPropertiesOk(*ws, port, d));
  EXPECT_EQ(star(*ws, kBlue, 7).marks, 0u);
  EXPECT_EQ(ws->calibration.count, 1);
  EXPECT_EQ(port.enabled(ctl::CalculateMagnitudes), std::nullopt);
}

TEST(StarProperties, IgnoredStarOpensWithCalibrationDisabled) {
  auto ws = pairedWorkspace();
  star(*ws, kBlue, 6).marks = MARK_IGNORE;
  select(*ws, 6);
  RecordingPort port;
  StarPropertiesDialog d = openStarProperties(*ws, port);
  EXPECT_TRUE(d.ignoreChecked);
  EXPECT_EQ(port.enabled(props::CalibrationStar), false);
  starPropertiesCalibrationClicked(d, port, true);
  starPropertiesIgnoreClicked(d, port, false);
  EXPECT_EQ(port.enabled(props::CalibrationStar), true);
  EXPECT_EQ(port.enabled(props::VMagnitude), true);
}

TEST(StarProperties, OpensOnlyOnACurrentPair) {
  auto ws = pairedWorkspace();
  select(*ws, 3);
  EXPECT_TRUE(canOpenStarProperties(*ws));
  star(*ws, kBlue, 3).partner = -1;
  EXPECT_FALSE(canOpenStarProperties(*ws));
  star(*ws, kBlue, 3).partner = 103;
  ws->progressFlags &= ~PRG_COMPARED;
  EXPECT_FALSE(canOpenStarProperties(*ws));
}

struct NumberCase {
  const char* name;
  const char* text;
  float value;
};

class LeadingNumber : public testing::TestWithParam<NumberCase> {};

TEST_P(LeadingNumber, ReadsDecimalNumbersOnly) {
  EXPECT_EQ(leadingNumber(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LeadingNumber,
    testing::Values(NumberCase{"Empty", "", 0.0f}, NumberCase{"Plain", "12.5", 12.5f},
                    NumberCase{"TrailingText", " 12.5mag", 12.5f},
                    NumberCase{"Negative", "-0.25", -0.25f}, NumberCase{"LeadingPoint", ".5", 0.5f},
                    NumberCase{"Exponent", "1.5e1", 15.0f}, NumberCase{"NoNumber", "abc", 0.0f},
                    NumberCase{"Hexadecimal", "0x1A", 0.0f}, NumberCase{"Infinity", "inf", 0.0f},
                    NumberCase{"NotANumber", "nan", 0.0f}, NumberCase{"Overflow", "1e999", 0.0f}),
    test::ParamName());

}  // namespace
}  // namespace orelith
