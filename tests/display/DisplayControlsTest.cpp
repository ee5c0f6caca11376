#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/DisplayControls.h"
#include "resources/ControlIds.h"
#include "tests/support/RecordingPort.h"
#include "tests/support/TestWorkspace.h"

namespace orelith {
namespace {

using test::PortEvent;
using test::RecordingPort;

PortEvent text(int id, std::string t) {
  return {PortEvent::Text, id, false, std::move(t), MessageOwner::MainWindow};
}
PortEvent repaint(int panel) {
  return {PortEvent::Repaint, panel, false, {}, MessageOwner::MainWindow};
}
PortEvent beep() { return {PortEvent::Beep, 0, false, {}, MessageOwner::MainWindow}; }

TEST(BackgroundField, TakesTheLeadingDigitsAndRefusesMoreThan65535) {
  struct Case {
    const char* text;
    int value;
    bool refused;  // beep and "65535" put back
  };
  for (const Case& c : {Case{"", 0, false}, Case{"0042", 42, false}, Case{"12ab", 12, false},
                        Case{"x9", 0, false}, Case{"65535", 65535, false},
                        Case{"65536", 65535, true}, Case{"99999999999999999999", 65535, true}}) {
    auto ws = test::makeWorkspace();
    ws->backgroundLevel[kBlue] = 777;
    RecordingPort port;
    backgroundFieldChanged(*ws, port, kBlue, c.text);
    EXPECT_EQ(ws->backgroundLevel[kBlue], c.value) << c.text;
    EXPECT_EQ(ws->display.backgroundField[kBlue], c.value) << c.text;
    std::vector<PortEvent> want;
    if (c.refused) want = {beep(), text(ctl::BackgroundFieldBlue, "65535")};
    want.push_back(repaint(0));
    EXPECT_EQ(port.events, want) << c.text;
  }
}

// In move mode the green parameters show in the blue panel.
TEST(DisplayControls, RepaintThePanelThatShowsTheImage) {
  struct Case {
    int image;
    std::uint32_t options;
    int panel;
  };
  for (const Case& c :
       {Case{kBlue, OPT_MOVE_MODE, 0}, Case{kGreen, 0, 1}, Case{kGreen, OPT_MOVE_MODE, 0}}) {
    auto ws = test::makeWorkspace();
    ws->optionFlags = c.options;
    const int field = c.image == kBlue ? ctl::BackgroundFieldBlue : ctl::BackgroundFieldGreen;
    RecordingPort port;
    backgroundFieldChanged(*ws, port, c.image, "7");
    foldBackgroundSlider(*ws, port, c.image);
    releaseRangeSlider(*ws, port, c.image, 5);
    EXPECT_EQ(port.events, (std::vector<PortEvent>{repaint(c.panel), text(field, "7"),
                                                   repaint(c.panel), repaint(c.panel)}));
    EXPECT_EQ(ws->backgroundLevel[1 - c.image], 0);
  }
}

TEST(BackgroundSlider, FoldClampsTheSumToTheFieldsBoundsWithoutBeeping) {
  struct Case {
    int field, offset;
    const char* text;  // the clamped sum
  };
  for (const Case& c : {Case{20, -128, "0"}, Case{129, -128, "1"}, Case{100, 50, "150"},
                        Case{65500, 100, "65535"}}) {
    auto ws = test::makeWorkspace();
    RecordingPort port;
    backgroundFieldChanged(*ws, port, kGreen, std::to_string(c.field));
    ws->display.backgroundOffset[kGreen] = c.offset;
    port.clear();
    foldBackgroundSlider(*ws, port, kGreen);
    EXPECT_EQ(port.events,
              (std::vector<PortEvent>{text(ctl::BackgroundFieldGreen, c.text), repaint(1)}));
    EXPECT_EQ(ws->backgroundLevel[kGreen], std::stoi(c.text));
    EXPECT_EQ(ws->display.backgroundField[kGreen], std::stoi(c.text));
    EXPECT_EQ(ws->display.backgroundOffset[kGreen], 0);
  }
}

TEST(RangeSlider, KeepsOnlyItsRangeOneBitInStep) {
  struct Case {
    int image, position;
    std::uint32_t before, after;
  };
  constexpr std::uint32_t kOthers = OPT_CUSTOM_COLORS_GREEN | OPT_AUTO_UPDATE_BLUE | OPT_MOVE_MODE;
  for (const Case& c :
       {Case{kBlue, 1, kOthers, kOthers | OPT_RANGE_ONE_BLUE},
        Case{kBlue, 1024, OPT_RANGE_ONE_BLUE | OPT_RANGE_ONE_GREEN, OPT_RANGE_ONE_GREEN},
        Case{kGreen, 300, ~0u, ~0u & ~std::uint32_t{OPT_RANGE_ONE_GREEN}}}) {
    auto ws = test::makeWorkspace();
    ws->optionFlags = c.before;
    RecordingPort port;
    releaseRangeSlider(*ws, port, c.image, c.position);
    EXPECT_EQ(ws->optionFlags, c.after) << c.position;
    EXPECT_EQ(ws->display.range[c.image], c.position);
    EXPECT_EQ(ws->display.range[1 - c.image], 1);
  }
}

}  // namespace
}  // namespace orelith
