// Moving about large frames in the panels: the wheel, the keys, the middle-button drag and the
// scroll bars change the view of the panel they act on; the pointer's readout, the selection
// drag and clicks are in frame pixels at every zoom.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "display/PanelView.h"
#include "interaction/PanelNavigation.h"
#include "interaction/Pointer.h"
#include "interaction/Selection.h"
#include "resources/StringTable.h"
#include "tests/support/RecordingPort.h"
#include "tests/support/TestWorkspace.h"

namespace orelith {
namespace {

using test::cx;
using test::cy;
using test::PortEvent;
using test::RecordingPort;

// Both images 2048 x 2048 and loaded.
std::unique_ptr<Workspace> largeFrames() {
  auto ws = test::makeWorkspace();
  for (int image : {kBlue, kGreen}) {
    resizeFrame(*ws, image, 2048, 2048);
    ws->progressFlags |= kLoadedBit[image];
  }
  return ws;
}

TEST(PanelNavigation, EventsChangeTheViewOfThePanelTheyActOn) {
  // Fitted: zoom 242 / 2048, centred across. Expected views worked by hand: a wheel notch goes
  // from the fit to the next rung 2^-3 about the pointer's pixel centre; four notches from 1:1
  // reach 2; "1" keeps the frame point at the panel's centre (187.5, 121) under it; a drag of (10,
  // 5) at 1:1 moves the frame's corner back by (10, 5); the bar sets the left column.
  const double fitZoom = 242.0 / 2048, fitLeft = (2048 - 375 / fitZoom) / 2;
  constexpr PanelView kFit{0, 0, 0}, kSame{0, 0, 0};
  using Act = std::function<bool(Workspace&, RecordingPort&)>;
  struct Row {
    const char* name;
    std::uint32_t options;
    PanelView from;
    Act act;
    int panel;
    PanelView to;
  };
  const auto key = [](ZoomKey k) {
    return [k](Workspace& w, RecordingPort& p) { return zoomKeyPressed(w, p, kBlue, k), true; };
  };
  // clang-format off
  const Row rows[] = {
      {"WheelIn", 0, kFit,
       [](auto& w, auto& p) { return wheelTurned(w, p, cx(0, 187), cy(121), 1); }, kBlue,
       {0.125, fitLeft + 187.5 / fitZoom - 187.5 / 0.125, 121.5 / fitZoom - 121.5 / 0.125}},
      {"WheelFourSteps", 0, {1, 1000, 1000},
       [](auto& w, auto& p) { return wheelTurned(w, p, cx(1, 0), cy(0), 4); }, kGreen,
       {2, 1000.25, 1000.25}},
      {"OneToOne", 0, kFit, key(ZoomKey::OneToOne), kBlue, {1, 1024 - 187.5, 1024 - 121}},
      {"Fit", 0, {2, 100, 100}, key(ZoomKey::Fit), kBlue, {fitZoom, fitLeft, 0}},
      {"MiddleDrag", 0, {1, 500, 500}, [](auto& w, auto& p) {
         middleButtonPressed(w, cx(0, 50), cy(50));
         const bool moved = middleButtonMoved(w, p, cx(0, 60), cy(55));
         middleButtonReleased(w);
         return moved && !middleButtonMoved(w, p, cx(0, 90), cy(90));
       }, kBlue, {1, 490, 495}},
      {"ScrollBar", 0, {1, 500, 500},
       [](auto& w, auto& p) { return scrolledTo(w, p, kGreen, ScrollAxis::Vertical, 1000), true; },
       kGreen, {1, 500, 1000}},
      {"CurveViewHoldsTheView", OPT_CURVE_VIEW_BLUE, kFit,
       [](auto& w, auto& p) { return !wheelTurned(w, p, cx(0, 10), cy(10), 1); }, kBlue, kSame},
      {"MoveModeHoldsTheGreenView", OPT_MOVE_MODE, kFit,
       [](auto& w, auto& p) { return !wheelTurned(w, p, cx(1, 10), cy(10), 1); }, kGreen, kSame},
      {"OffThePanels", 0, kFit, [](auto& w, auto& p) { return !wheelTurned(w, p, 385, cy(10), 1); },
       kBlue, kSame},
  };
  // clang-format on
  for (const Row& row : rows) {
    auto ws = largeFrames();
    ws->optionFlags = row.options;
    if (row.from.zoom > 0) setView(*ws, row.panel, row.from);
    const PanelView before = currentView(*ws, row.panel);
    RecordingPort port;
    EXPECT_TRUE(row.act(*ws, port)) << row.name;
    const PanelView& got = currentView(*ws, row.panel);
    const PanelView want = row.to.zoom > 0 ? row.to : before;
    EXPECT_DOUBLE_EQ(got.zoom, want.zoom) << row.name;
    EXPECT_NEAR(got.left, want.left, 1e-6) << row.name;
    EXPECT_NEAR(got.top, want.top, 1e-6) << row.name;
    EXPECT_EQ(port.repaints(), (row.to.zoom > 0 ? std::vector{row.panel} : std::vector<int>{}))
        << row.name;
    EXPECT_EQ(currentView(*ws, 1 - row.panel), fittedView(2048, 2048)) << row.name;
  }
}

TEST(PanelNavigation, ScrollBarsShowWhatThePanelLeavesOut) {
  auto ws = largeFrames();
  // Fitted, the whole frame shows: no bars. At 1:1 from (500, 500) the panel shows 375 of 2048
  // columns and 242 of 2048 rows. An ST-6 frame at 1:1 needs none.
  EXPECT_EQ(scrollRange(*ws, kBlue, ScrollAxis::Horizontal), ScrollRange{});
  EXPECT_EQ(scrollRange(*ws, kBlue, ScrollAxis::Vertical), ScrollRange{});
  setView(*ws, kBlue, {1, 500, 500});
  EXPECT_EQ(scrollRange(*ws, kBlue, ScrollAxis::Horizontal), (ScrollRange{true, 1673, 375, 500}));
  EXPECT_EQ(scrollRange(*ws, kBlue, ScrollAxis::Vertical), (ScrollRange{true, 1806, 242, 500}));
  auto st6 = test::makeWorkspace();
  st6->progressFlags = PRG_BLUE_LOADED;
  EXPECT_EQ(scrollRange(*st6, kBlue, ScrollAxis::Horizontal), ScrollRange{});
}

// At zoom 2 from (100, 50), panel pixel (11, 7) shows frame pixel (105, 53); a drag from panel
// pixel (10, 10) to (30, 20) covers frame pixels 105..115 x 55..60, whose outline lies one
// pixel outside panel pixels 10..31 x 10..21.
TEST(PanelNavigation, PointerWorksInFramePixels) {
  auto ws = largeFrames();
  setView(*ws, kBlue, {2, 100, 50});
  pixelAt(*ws, kBlue, 105, 53) = 1234;
  RecordingPort port;
  pointerMoved(*ws, port, cx(0, 11), cy(7), ctl::BlueFrame);
  EXPECT_EQ(port.find(PortEvent::Status, 1)->text, "@(105|53)");
  EXPECT_EQ(port.find(PortEvent::Status, 2)->text, "1234");
  ASSERT_TRUE(leftButtonPressed(*ws, port, cx(0, 10), cy(10)));
  pointerMoved(*ws, port, cx(0, 30), cy(20), ctl::BlueFrame);
  const PortEvent band = *port.find(PortEvent::RubberBand);
  EXPECT_EQ((std::array{band.rect[0], band.rect[1], band.rect[2], band.rect[3]}),
            (std::array{cx(0, 10) - 1, cy(10) - 1, cx(0, 32) + 1, cy(22) + 1}));
  leftButtonReleased(*ws, port, cx(0, 30), cy(20));
  const SearchRect r = ws->searchRect[kBlue];
  EXPECT_EQ((std::array{r.left, r.top, r.right, r.bottom}), (std::array{105, 55, 116, 61}));
}

// Fitted, panel pixel (184, 59) covers frame columns 994..1001 and rows 499..506 (by hand): a
// click there selects the one-pixel star at (1000, 500), one two pixels off does not.
TEST(PanelNavigation, AClickZoomedOutFindsTheStarInItsBlock) {
  for (const auto& [px, selected] : {std::pair{184, 0}, {186, -1}}) {
    auto ws = largeFrames();
    std::fill(ws->frame[kBlue].labels.begin(), ws->frame[kBlue].labels.end(), kLabelNoStar);
    labelAt(*ws, kBlue, 1000, 500) = 0;
    ws->labelledRect[kBlue] = wholeImage(*ws, kBlue);
    ws->starCount[kBlue] = 1, ws->progressFlags |= PRG_BLUE_SEARCHED;
    RecordingPort port;
    leftButtonReleased(*ws, port, cx(0, px), cy(59));
    EXPECT_EQ(ws->selectedStar[kBlue], selected) << px;
  }
}

// At 1:1 from the corner, a star at (1500, 1200) chosen in the list is centred: (1500.5, 1200.5)
// goes to the panel's centre (187.5, 121); one already shown, at (100, 100), leaves the view.
TEST(PanelNavigation, AStarChosenInTheListIsBroughtIntoView) {
  for (const auto& [x, y, left, top] :
       {std::array{1500.0, 1200.0, 1313.0, 1079.5}, {100.0, 100.0, 0.0, 0.0}}) {
    auto ws = largeFrames();
    ws->starCount[kBlue] = 1;
    star(*ws, kBlue, 0).x = static_cast<std::uint16_t>(x);
    star(*ws, kBlue, 0).y = static_cast<std::uint16_t>(y);
    setView(*ws, kBlue, {1, 0, 0});
    RecordingPort port;
    selectStarFromList(*ws, port, StarRowKey{0, kNoStar});
    EXPECT_EQ(currentView(*ws, kBlue), (PanelView{1, left, top})) << x;
    EXPECT_EQ(port.repaints(), std::vector{kBlue});
  }
}

// Over a frame with celestial coordinates the help gains the sky under the pointer: at the
// reference pixel 83.63308 / 15 h = 5 h 34 min 31.94 s and 22.0145 deg = 22 deg 0' 52.2".
TEST(PanelNavigation, TheSkyUnderThePointer) {
  // The reference pixel, FITS pixel (1, 2048), is frame pixel (0, 0) of a 2048-row frame.
  auto ws = largeFrames();
  using test::card;
  ws->worldCoords[kBlue] =
      WorldCoords(card("NAXIS", "2") + card("CTYPE1", "'RA---TAN'") + card("CTYPE2", "'DEC--TAN'") +
                      card("CRPIX1", "1") + card("CRPIX2", "2048") + card("CRVAL1", "83.63308") +
                      card("CRVAL2", "22.0145") + card("CD1_1", "-1E-4") + card("CD2_2", "1E-4"),
                  2048);
  setView(*ws, kBlue, {1, 0, 0});
  RecordingPort port;
  pointerMoved(*ws, port, cx(0, 0), cy(0), ctl::BlueFrame);
  const std::string help = port.find(PortEvent::Status, 0)->text;
  EXPECT_TRUE(help.ends_with("   RA 05:34:31.94 Dec +22:00:52.2")) << help;
  pointerMoved(*ws, port, cx(1, 0), cy(0), ctl::GreenFrame);  // no coordinates: help alone
  EXPECT_EQ(port.find(PortEvent::Status, 0)->text, stringText(StringId{70}));
}

}  // namespace
}  // namespace orelith
