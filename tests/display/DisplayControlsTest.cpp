#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/DisplayControls.h"
#include "display/Render.h"
#include "resources/ControlIds.h"
#include "tests/display/PictureProbe.h"
#include "tests/support/RecordingPort.h"
#include "tests/support/TestWorkspace.h"

namespace orelith {
namespace {

using test::PortEvent;
using test::RecordingPort;

PortEvent event(PortEvent::Kind kind, int id = 0, std::string t = {}) {
  PortEvent e{kind, id, false, std::move(t), MessageOwner::MainWindow};
  return e;
}
PortEvent beep() { return event(PortEvent::Beep); }
PortEvent text(int id, std::string t) { return event(PortEvent::Text, id, std::move(t)); }
PortEvent repaint(int panel) { return event(PortEvent::Repaint, panel); }

struct FieldCase {
  std::string text;
  int value;
  bool refused;  // beep and "65535" put back
};

class BackgroundField : public ::testing::TestWithParam<FieldCase> {};

TEST_P(BackgroundField, TakesTheLeadingDigits) {
  const FieldCase& c = GetParam();
  auto ws = test::makeWorkspace();
  ws->backgroundLevel[kBlue] = 777;
  RecordingPort port;
  backgroundFieldChanged(*ws, port, kBlue, c.text);
  EXPECT_EQ(ws->backgroundLevel[kBlue], c.value);
  EXPECT_EQ(ws->display.backgroundField[kBlue], c.value);
  std::vector<PortEvent> want;
  if (c.refused) want = {beep(), text(ctl::BackgroundFieldBlue, "65535")};
  want.push_back(repaint(0));
  EXPECT_EQ(port.events, want);
}

INSTANTIATE_TEST_SUITE_P(Cases, BackgroundField,
                         ::testing::Values(FieldCase{"", 0, false}, FieldCase{"0", 0, false},
                                           FieldCase{"150", 150, false},
                                           FieldCase{"0042", 42, false},
                                           FieldCase{"12ab", 12, false}, FieldCase{"x9", 0, false},
                                           FieldCase{"65535", 65535, false},
                                           FieldCase{"65536", 65535, true},
                                           FieldCase{"99999999999999999999", 65535, true}));

struct PanelCase {
  int image;
  std::uint32_t options;
  int panel;
};

class DisplayPanel : public ::testing::TestWithParam<PanelCase> {};

TEST_P(DisplayPanel, FollowsTheMoveMode) {
  const PanelCase& c = GetParam();
  auto ws = test::makeWorkspace();
  ws->optionFlags = c.options;
  const int field = c.image == kBlue ? ctl::BackgroundFieldBlue : ctl::BackgroundFieldGreen;
  RecordingPort fieldPort;
  backgroundFieldChanged(*ws, fieldPort, c.image, "7");
  EXPECT_EQ(fieldPort.repaints(), std::vector<int>{c.panel});
  RecordingPort foldPort;
  foldBackgroundSlider(*ws, foldPort, c.image);
  EXPECT_EQ(foldPort.events, (std::vector<PortEvent>{text(field, "7"), repaint(c.panel)}));
  RecordingPort rangePort;
  releaseRangeSlider(*ws, rangePort, c.image, 5);
  EXPECT_EQ(rangePort.repaints(), std::vector<int>{c.panel});
  EXPECT_EQ(ws->backgroundLevel[1 - c.image], 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, DisplayPanel,
                         ::testing::Values(PanelCase{kBlue, 0, 0},
                                           PanelCase{kBlue, OPT_MOVE_MODE, 0},
                                           PanelCase{kGreen, 0, 1},
                                           PanelCase{kGreen, OPT_MOVE_MODE, 0}));

TEST(BackgroundSlider, OffsetShowsWhileHeldAndIsFoldedOnRelease) {
  auto ws = test::makeWorkspace();
  test::loadBoth(*ws);
  RecordingPort port;
  backgroundFieldChanged(*ws, port, kBlue, "100");
  pixelAt(*ws, kBlue, 0, 0) = 150;
  pixelAt(*ws, kBlue, 1, 0) = 151;
  ws->display.backgroundOffset[kBlue] = 50;  // held at +50; range 1
  renderImage(*ws, kBlue);
  EXPECT_EQ(test::pictureAt(*ws, kBlue, 0, 0), test::grey(0));
  EXPECT_EQ(test::pictureAt(*ws, kBlue, 1, 0), test::grey(255));
  port.clear();
  foldBackgroundSlider(*ws, port, kBlue);
  EXPECT_EQ(port.events,
            (std::vector<PortEvent>{text(ctl::BackgroundFieldBlue, "150"), repaint(0)}));
  EXPECT_EQ(ws->display.backgroundOffset[kBlue], 0);
  EXPECT_EQ(ws->backgroundLevel[kBlue], 150);
  EXPECT_EQ(ws->display.backgroundField[kBlue], 150);
  renderImage(*ws, kBlue);
  EXPECT_EQ(test::pictureAt(*ws, kBlue, 0, 0), test::grey(0));
  EXPECT_EQ(test::pictureAt(*ws, kBlue, 1, 0), test::grey(255));
}

struct FoldCase {
  int field;
  int offset;
  std::string text;  // the clamped sum
};

class Fold : public ::testing::TestWithParam<FoldCase> {};

TEST_P(Fold, ClampsToTheFieldsBoundsWithoutBeeping) {
  const FoldCase& c = GetParam();
  auto ws = test::makeWorkspace();
  RecordingPort port;
  backgroundFieldChanged(*ws, port, kGreen, std::to_string(c.field));
  ws->display.backgroundOffset[kGreen] = c.offset;
  port.clear();
  foldBackgroundSlider(*ws, port, kGreen);
  EXPECT_EQ(port.events,
            (std::vector<PortEvent>{text(ctl::BackgroundFieldGreen, c.text), repaint(1)}));
  EXPECT_EQ(ws->backgroundLevel[kGreen], std::stoi(c.text));
  EXPECT_EQ(ws->display.backgroundOffset[kGreen], 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, Fold,
                         ::testing::Values(FoldCase{20, -128, "0"}, FoldCase{128, -128, "0"},
                                           FoldCase{129, -128, "1"}, FoldCase{65500, 100, "65535"},
                                           FoldCase{65535, 128, "65535"}, FoldCase{0, 0, "0"}));

struct RangeCase {
  int image;
  int position;
  std::uint32_t before;
  std::uint32_t after;
};

class RangeRelease : public ::testing::TestWithParam<RangeCase> {};

TEST_P(RangeRelease, KeepsOnlyItsRangeBitInStep) {
  const RangeCase& c = GetParam();
  auto ws = test::makeWorkspace();
  ws->optionFlags = c.before;
  RecordingPort port;
  releaseRangeSlider(*ws, port, c.image, c.position);
  EXPECT_EQ(ws->optionFlags, c.after);
  EXPECT_EQ(ws->display.range[c.image], c.position);
  EXPECT_EQ(ws->display.range[1 - c.image], 1);
}

constexpr std::uint32_t kOthers = OPT_CUSTOM_COLORS_GREEN | OPT_AUTO_UPDATE_BLUE | OPT_MOVE_MODE;

INSTANTIATE_TEST_SUITE_P(
    Cases, RangeRelease,
    ::testing::Values(
        RangeCase{kBlue, 1, kOthers, kOthers | OPT_RANGE_ONE_BLUE},
        RangeCase{kBlue, 2, kOthers | OPT_RANGE_ONE_BLUE, kOthers},
        RangeCase{kBlue, 1024, OPT_RANGE_ONE_BLUE | OPT_RANGE_ONE_GREEN, OPT_RANGE_ONE_GREEN},
        RangeCase{kGreen, 1, OPT_RANGE_ONE_BLUE, OPT_RANGE_ONE_BLUE | OPT_RANGE_ONE_GREEN},
        RangeCase{kGreen, 300, ~0u, ~0u & ~std::uint32_t{OPT_RANGE_ONE_GREEN}}));

TEST(RangeSlider, ReleasedPositionIsWhatTheNextRenderUses) {
  auto ws = test::makeWorkspace();
  test::loadBoth(*ws);
  test::fillPlane(*ws, kGreen, 200);
  NullWindowPort port;
  releaseRangeSlider(*ws, port, kGreen, 200);
  renderImage(*ws, kGreen);
  EXPECT_EQ(test::pictureAt(*ws, kGreen, 9, 9), test::grey(255));  // 200/200
  backgroundFieldChanged(*ws, port, kGreen, "100");
  renderImage(*ws, kGreen);
  EXPECT_EQ(test::pictureAt(*ws, kGreen, 9, 9), test::grey(128));  // 127.5 rounded up
}

}  // namespace
}  // namespace orelith
