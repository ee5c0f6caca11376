// Panel views of frames of any size: fitted, zoomed about a point, panned and held at the
// frame's edges; the map of panel to frame pixels and back; the reduced copies against the
// largest value of each block found pixel by pixel.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "display/PanelView.h"
#include "display/ReducedCopies.h"

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

// Each panel column shows the frame column the map names, and a frame column's span holds
// exactly the panel columns that show it.
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
  EXPECT_EQ(copies.levelFor(3.9), 1);
  EXPECT_EQ(copies.levelFor(1.5), 0);
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

}  // namespace
}  // namespace orelith
