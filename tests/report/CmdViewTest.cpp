// The diagram's geometry for the window: where stars land, what is under the pointer, the texts.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "report/CmdView.h"
#include "tests/support/TestWorkspace.h"

namespace orelith {
namespace {

// Pairs 0 to 3 with magnitudes; pair 1 a calibration star, 2 ignored, 3 hot in the green image.
std::unique_ptr<Workspace> fourPairs() {
  auto ws = test::twentyPairs();
  ws->starCount[kBlue] = 4;
  const float bv[4] = {0.5f, 1.5f, 0.9f, 1.0f}, v[4] = {10.0f, 14.0f, 12.0f, 12.5f};
  for (int k = 0; k < 4; ++k) {
    star(*ws, kBlue, k).magnitudeV = v[k], star(*ws, kBlue, k).magnitudeB = v[k] + bv[k];
  }
  star(*ws, kBlue, 1).marks |= MARK_CALIBRATION;
  star(*ws, kBlue, 2).marks |= MARK_IGNORE;
  star(*ws, kGreen, 103).marks |= MARK_HOT;
  ws->progressFlags |= PRG_CALIBRATION_STAR | PRG_MAGNITUDES;
  return ws;
}

class CmdView : public testing::Test {
 protected:
  std::unique_ptr<Workspace> ws = fourPairs();
  const std::vector<CmdStar> stars = cmdStars(*ws, ScienceResults{});
  const orelith::CmdView view = cmdView(stars, 400, 300);
};

TEST_F(CmdView, StarsLandWhereTheWrittenPlotPutsThemAtAnySize) {
  ASSERT_EQ(stars.size(), 3u);  // the ignored pair is not plotted
  EXPECT_EQ(std::pair(stars[1].blue, stars[2].green), std::pair(1, 103));
  EXPECT_TRUE(stars[1].point.calibration);
  EXPECT_FALSE(stars[0].point.flagged);
  EXPECT_TRUE(stars[2].point.flagged);
  // At the written plot's size the place is the written plot's.
  const orelith::CmdView full = cmdView(stars, kPlotWidth, kPlotHeight);
  for (const CmdStar& s : stars) {
    double px, py;
    cmdPlotPosition(full.frame, s.point.bv, s.point.v, px, py);
    EXPECT_NEAR(full.x(s.point.bv), px, 1e-9);
    EXPECT_NEAR(full.y(s.point.v), py, 1e-9);
  }
  // By hand: B-V 0.4..1.6 and V 9.7..14.3 over the area (70, 40)-(380, 240).
  EXPECT_NEAR(view.x(0.5), 70 + 0.1 / 1.2 * 310, 1e-6);
  EXPECT_NEAR(view.y(10.0), 40 + 0.3 / 4.6 * 200, 1e-4);
  EXPECT_NEAR(view.y(14.0), 40 + 4.3 / 4.6 * 200, 1e-4);  // fainter: lower
}

TEST_F(CmdView, ErrorBarsSpanTheErrorsAndVanishWithout) {
  CmdPlotPoint p = stars[0].point;
  const CmdMark bare = cmdMark(view, p);
  EXPECT_EQ(std::pair(bare.barLeft, bare.barBottom), std::pair(bare.x, bare.y));
  p.bvError = 0.12, p.vError = 0.46;
  const CmdMark m = cmdMark(view, p);
  EXPECT_NEAR(m.barRight - m.barLeft, 0.24 / 1.2 * 310, 1e-6);
  EXPECT_NEAR(m.barBottom - m.barTop, 0.92 / 4.6 * 200, 1e-6);
  EXPECT_LT(m.barTop, m.y);
}

TEST_F(CmdView, PointerFindsTheNearestStarWithinReach) {
  const double x = view.x(stars[2].point.bv), y = view.y(stars[2].point.v);
  for (auto [dx, dy, expected] :
       {std::tuple{0.0, 0.0, 2}, {3.0, -3.0, 2}, {5.0, 0.0, 2}, {5.1, 0.0, -1}, {40.0, 40.0, -1}})
    EXPECT_EQ(cmdStarAt(view, stars, x + dx, y + dy, 5.0), expected) << dx << "," << dy;
  EXPECT_EQ(cmdStarAt(view, stars, view.x(0.5), view.y(10.0), 5.0), 0);
}

TEST_F(CmdView, TextNamesTheListNumberMagnitudesAndFlags) {
  ScienceResults science;
  science.flags.image[kBlue].star = {0, FLAG_EXTRAPOLATED, 0, FLAG_EDGE};
  const std::vector<CmdStar> flagged = cmdStars(*ws, science);
  EXPECT_EQ(cmdStarText(flagged[0]), "Star 1\nV 10.000\nB-V 0.500");
  EXPECT_EQ(cmdStarText(flagged[1]), "Star 2\nV 14.000\nB-V 1.500\ncalibration star\nextrapolated");
  CmdStar s = flagged[2];
  s.point.vError = 0.0314;
  EXPECT_EQ(cmdStarText(s), "Star 4\nV 12.500 \u00b1 0.031\nB-V 1.000\nhot, edge");
}

TEST_F(CmdView, RowNotesGiveFlagsAndErrorsOfWhatWasComputed) {
  ScienceResults science;
  EXPECT_EQ(pairNotes(*ws, science, 0, 100), "Flags: none");
  EXPECT_EQ(pairNotes(*ws, science, -1, 103), "Flags: hot");
  science.apertures.emplace();
  const double nan = std::nan("");
  science.apertures->image[kBlue].star.resize(4, {0, 0, 0, 0, 0, 0, nan, nan, 0, false});
  science.apertures->image[kGreen].star.resize(104);
  science.apertures->image[kGreen].star[103].mag = -7.25;
  science.apertures->image[kGreen].star[103].magError = 0.0125;
  science.transform.emplace();
  science.transform->standard.resize(4, {12.5, 0.04, 0.75, nan});
  EXPECT_EQ(pairNotes(*ws, science, 3, 103),
            "Flags: hot\nAperture b: none\nAperture v: -7.250 \u00b1 0.013\n"
            "Standard V: 12.500 \u00b1 0.040\nStandard B-V: 0.750");
  EXPECT_EQ(pairNotes(*ws, science, -1, 103), "Flags: hot\nAperture v: -7.250 \u00b1 0.013");
  // Once calculated, the curves' B and V with their errors (V's unknown here); not of the
  // calibration star, whose magnitudes were entered.
  ws->progressFlags |= PRG_MAGNITUDES;
  science = {};
  science.curveErrors = {std::vector<double>(4, 0.021), std::vector<double>(4, nan)};
  star(*ws, kBlue, 3).magnitudeB = 13.25f, star(*ws, kBlue, 3).magnitudeV = 12.5f;
  EXPECT_EQ(pairNotes(*ws, science, 3, 103), "Flags: hot\nB: 13.250 \u00b1 0.021\nV: 12.500");
  EXPECT_EQ(pairNotes(*ws, science, 1, 101), "Flags: none");
}

TEST_F(CmdView, TicksAndLegendStayInsideTheirMargins) {
  const std::vector<CmdTick> bv = cmdTicksBV(view), v = cmdTicksV(view);
  ASSERT_FALSE(bv.empty());
  // The span 1.6 - 0.4 lies a hair above 1.2, so the steps are 0.5.
  EXPECT_EQ(bv.front().label, "0.50");
  EXPECT_EQ(v.front().label, "10.0");  // steps of 1 from the first whole V
  for (const CmdTick& t : bv) EXPECT_TRUE(t.at >= view.left && t.at <= view.right);
  for (const CmdTick& t : v) EXPECT_TRUE(t.at >= view.top && t.at <= view.bottom);
  for (const CmdLegendEntry& e : cmdLegend(400, 300)) EXPECT_GT(e.markY, view.bottom + 40);
}

}  // namespace
}  // namespace orelith
