// Panel views of frames of any size: fitted, zoomed about a point, panned and held at the
// frame's edges; the map of panel to frame pixels and back; the reduced copies against each
// block's largest value found pixel by pixel; pictures drawn through views other than 1:1.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "display/PanelView.h"
#include "display/ReducedCopies.h"
#include "display/Render.h"
#include "tests/support/TestWorkspace.h"

namespace orelith {
namespace {

TEST(PanelViewTest, FittedZoomedPannedAndHeld) {
  EXPECT_EQ(fittedView(375, 242), (PanelView{1, 0, 0}));
  EXPECT_TRUE(ViewMap(fittedView(375, 242)).identity());
  // 4096 x 4096 fits by its height (242 / 4096), centred across; 100 x 50 by its width.
  EXPECT_EQ(fittedView(4096, 4096), (PanelView{242.0 / 4096, (4096 - 375 * 4096 / 242.0) / 2, 0}));
  EXPECT_EQ(fittedView(100, 50), (PanelView{3.75, 0, (50 - 242 / 3.75) / 2}));
  // The frame point under the pointer stays under it; two steps of sqrt 2 and back are 1:1.
  PanelView v = zoomedAbout(fittedView(4096, 4096), 8, 100, 50, 4096, 4096);
  const PanelView fit = fittedView(4096, 4096);
  EXPECT_NEAR(v.left + 100 / v.zoom, fit.left + 100 / fit.zoom, 1e-9);
  EXPECT_NEAR(v.top + 50 / v.zoom, fit.top + 50 / fit.zoom, 1e-9);
  v = zoomedAbout(zoomedAbout({1, 500, 500}, std::sqrt(2.0), 0, 0, 4096, 4096), std::sqrt(0.5), 0,
                  0, 4096, 4096);
  EXPECT_EQ(v, (PanelView{1, 500, 500}));
  // Panning stops at the frame's edges; zoom stays within the fitted zoom and 32.
  EXPECT_EQ(pannedBy({1, 10, 10}, 100, -5000, 4096, 4096), (PanelView{1, 0, 4096 - 242}));
  EXPECT_EQ(zoomedAbout(fit, 1e-3, 0, 0, 4096, 4096), fit);
  EXPECT_EQ(zoomedAbout({1, 0, 0}, 1e3, 0, 0, 4096, 4096).zoom, kMaxZoom);
  EXPECT_EQ(clampedView({0.5, 0, 0}, 100, 50).zoom, 1.0);  // a small frame not below 1:1
}

// Each panel column shows the frame column the map names; a column's span holds those showing it.
TEST(PanelViewTest, SpansInvertTheMap) {
  for (const PanelView& v :
       {PanelView{1, 0, 0}, {3.7, 12.3, -4.1}, {0.031, 100.5, 7}, {32, 5, 5}}) {
    const ViewMap map(v);
    for (int fx = map.frameX(0) - 1; fx <= map.frameX(kPanelWidth - 1) + 1; ++fx) {
      const ViewMap::Span s = map.panelColumns(fx);
      for (int px = 0; px < kPanelWidth; ++px)
        ASSERT_EQ(map.frameX(px) == fx, px >= s.from && px < s.to) << v.zoom << " " << fx;
    }
    EXPECT_EQ(map.frameY(kPanelHeight - 1), static_cast<int>(std::floor(v.top + 241.5 / v.zoom)));
  }
}

TEST(ReducedCopiesTest, LevelsHoldTheLargestValueOfTheirBlocks) {
  const int w = 1001, h = 530;
  std::vector<float> frame(w * h);
  std::mt19937 rng(5);
  for (float& v : frame) v = rng() % 97 == 0 ? NAN : static_cast<float>(rng() % 5000) - 100;
  for (int x = 0; x < 8; ++x) frame[x] = NAN;  // a block of NaN only
  ReducedCopies copies;
  copies.build(frame.data(), w, h);
  ASSERT_EQ(copies.levelFor(1000), 2);  // 1001 -> 501 -> 251: no larger than the panel
  EXPECT_EQ(std::pair(copies.levelFor(3.9), copies.levelFor(1.5)), std::pair(1, 0));
  for (int k = 1; k <= 2; ++k) {
    const ReducedCopies::Level& l = copies.level(k);
    const int step = 1 << k;
    ASSERT_EQ(l.width, (w + step - 1) / step);
    for (int y = 0; y < l.height; ++y)
      for (int x = 0; x < l.width; ++x) {
        float most = NAN;
        for (int j = y * step; j < std::min(h, (y + 1) * step); ++j)
          for (int i = x * step; i < std::min(w, (x + 1) * step); ++i) {
            const float v = frame[j * w + i];
            if (!std::isnan(v) && (std::isnan(most) || v > most)) most = v;
          }
        ASSERT_TRUE(l.at(x, y) == most || (std::isnan(most) && std::isnan(l.at(x, y))));
      }
  }
}

// Zoom steps run through the powers of 2^(1/4); a fitted zoom between two steps goes to the
// next one: 242 / 4096 lies between 2^(-17/4) and 2^(-16/4).
TEST(PanelViewTest, ZoomStepsLandOnTheLadder) {
  const PanelView fit = fittedView(4096, 4096);
  EXPECT_EQ(zoomStepped(fit, 1, 0, 0, 4096, 4096).zoom, 0.0625);
  EXPECT_EQ(zoomStepped(fit, -1, 0, 0, 4096, 4096), fit);
  EXPECT_EQ(zoomStepped({1, 0, 0}, 4, 0, 0, 4096, 4096).zoom, 2.0);
  EXPECT_EQ(zoomStepped(zoomStepped({1, 0, 0}, 3, 0, 0, 4096, 4096), -3, 0, 0, 4096, 4096).zoom,
            1.0);
}

std::array<std::uint8_t, 3> bgrAt(const Workspace& ws, int panel, int x, int y) {
  const std::uint8_t* p = ws.picture[panel] + y * kPictureStride + x * 3;
  return {p[0], p[1], p[2]};
}
constexpr std::array<std::uint8_t, 3> kVoid{192, 192, 192}, kWhite{255, 255, 255}, kBlack{0, 0, 0},
    kSelectionBgr{255, 0, 0};

std::unique_ptr<Workspace> frameOf(int width, int height, float value) {
  auto ws = test::makeWorkspace();
  resizeFrame(*ws, kBlue, width, height);
  std::fill(ws->frame[kBlue].values.begin(), ws->frame[kBlue].values.end(), value);
  ws->searchRect[kBlue] = wholeImage(*ws, kBlue);
  return ws;
}

// One to one but moved: each panel pixel is the grey of the frame pixel 5 columns, 3 rows on.
TEST(PanelViewRender, MovedOneToOneFollowsTheGreyRule) {
  auto ws = frameOf(400, 300, 0);
  std::mt19937 rng(3);
  for (float& v : ws->frame[kBlue].values) v = static_cast<float>(rng() % 2000);
  ws->backgroundLevel[kBlue] = 500, ws->display.range[kBlue] = 700;
  setView(*ws, kBlue, {1, 5, 3});
  renderImage(*ws, kBlue);
  for (int y = 0; y < kPanelHeight; ++y)
    for (int x = 0; x < kPanelWidth; ++x) {
      const std::uint8_t g =
          greyLevel(static_cast<int>(pixelAt(*ws, kBlue, x + 5, y + 3)), 500, 700);
      ASSERT_EQ(bgrAt(*ws, kBlue, x, y), (std::array{g, g, g})) << x << "," << y;
    }
}

// 750 x 484 is fitted at zoom 1/2: panel pixel (x, y) covers frame pixels 2x..2x+1, 2y..2y+1
// and shows the largest of them (range 1 over background 0: white above 0); a block of masked
// pixels and the part beyond the search rectangle are Void. A selected one-pixel star at
// (100, 50), between the frame pixels the map samples, keeps its highlight at (50, 25).
TEST(PanelViewRender, ZoomedOutShowsTheLargestOfEachBlock) {
  auto ws = frameOf(750, 484, 0);
  pixelAt(*ws, kBlue, 101, 51) = 1000;
  for (int i = 0; i < 4; ++i) pixelAt(*ws, kBlue, 200 + i % 2, 100 + i / 2) = NAN;
  ws->searchRect[kBlue] = {0, 0, 600, 484};
  renderImage(*ws, kBlue);
  EXPECT_EQ(currentView(*ws, kBlue), (PanelView{0.5, 0, 0}));
  EXPECT_EQ(bgrAt(*ws, kBlue, 50, 25), kWhite);
  EXPECT_EQ(bgrAt(*ws, kBlue, 51, 25), kBlack);
  EXPECT_EQ(bgrAt(*ws, kBlue, 100, 50), kVoid);
  EXPECT_EQ(bgrAt(*ws, kBlue, 299, 0), kBlack);
  EXPECT_EQ(bgrAt(*ws, kBlue, 300, 0), kVoid);
  ws->starCount[kBlue] = 1, ws->starPixelPool[kBlue] = {PixelPos{100, 50}};
  star(*ws, kBlue, 0).pixelStart = 0, star(*ws, kBlue, 0).pixelCount = 1;
  ws->selectedStar[kBlue] = 0;
  ws->optionFlags |= OPT_SELECTION_SHOWN;
  renderImage(*ws, kBlue);
  EXPECT_EQ(bgrAt(*ws, kBlue, 50, 25), kSelectionBgr);
}

// Zoom 4 from frame pixel (10, 10): frame pixel (12, 11) fills panel pixels 8..11 x 4..7, as
// its highlight does; in move mode the overlay is drawn through the blue view (blue custom
// colours: Blue where only the blue frame is above its background).
TEST(PanelViewRender, ZoomedInDrawsEachFramePixelAsABlock) {
  auto ws = frameOf(kImageWidth, kImageHeight, 0);
  pixelAt(*ws, kBlue, 12, 11) = 1000;
  setView(*ws, kBlue, {4, 10, 10});
  renderImage(*ws, kBlue);
  for (int y = 3; y <= 8; ++y)
    for (int x = 7; x <= 12; ++x)
      EXPECT_EQ(bgrAt(*ws, kBlue, x, y), x > 7 && x < 12 && y > 3 && y < 8 ? kWhite : kBlack)
          << x << "," << y;
  ws->optionFlags |= OPT_MOVE_MODE | OPT_CUSTOM_COLORS_BLUE;
  ws->searchRect[kGreen] = kWholeImage;
  renderImage(*ws, kBlue);
  EXPECT_EQ(bgrAt(*ws, kBlue, 8, 4), (std::array<std::uint8_t, 3>{255, 0, 0}));
  EXPECT_EQ(bgrAt(*ws, kBlue, 12, 4), kBlack);
}

}  // namespace
}  // namespace orelith
