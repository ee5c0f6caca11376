#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "display/DisplayControls.h"
#include "resources/ControlIds.h"
#include "tests/support/RecordingPort.h"
#include "tests/support/TestWorkspace.h"

namespace orelith {
namespace {

using test::PortEvent;
using Events = std::vector<PortEvent>;

PortEvent text(int id, std::string t) { return {PortEvent::Text, id, false, std::move(t)}; }
PortEvent repaint(int panel) { return {PortEvent::Repaint, panel, false, {}}; }

TEST(DisplayControls, BackgroundFieldTakesTheLeadingDigitsUpTo65535) {
  // Typed text, value taken, refused (a beep and "65535" put back).
  const std::tuple<const char*, int, bool> rows[] = {{"", 0, false},
                                                     {"0042", 42, false},
                                                     {"12ab", 12, false},
                                                     {"x9", 0, false},
                                                     {"65535", 65535, false},
                                                     {"65536", 65535, true},
                                                     {"99999999999999999999", 65535, true}};
  for (const auto& [typed, value, refused] : rows) {
    auto ws = test::makeWorkspace();
    ws->backgroundLevel[kBlue] = 777;
    test::RecordingPort port;
    backgroundFieldChanged(*ws, port, kBlue, typed);
    EXPECT_EQ(ws->backgroundLevel[kBlue], value) << typed;
    EXPECT_EQ(ws->display.backgroundField[kBlue], value) << typed;
    Events want = {repaint(0)};
    if (refused)
      want = {{PortEvent::Beep, 0, false, {}}, text(ctl::BackgroundFieldBlue, "65535"), repaint(0)};
    EXPECT_EQ(port.events, want) << typed;
  }
}

// The fold clamps field + slider offset to the field's bounds without a beep.
TEST(DisplayControls, SliderFoldClampsTheSum) {
  const std::tuple<int, int, const char*> rows[] = {
      {20, -128, "0"}, {129, -128, "1"}, {100, 50, "150"}, {65500, 100, "65535"}};
  for (const auto& [field, offset, sum] : rows) {
    auto ws = test::makeWorkspace();
    test::RecordingPort port;
    backgroundFieldChanged(*ws, port, kGreen, std::to_string(field));
    ws->display.backgroundOffset[kGreen] = offset;
    port.clear();
    foldBackgroundSlider(*ws, port, kGreen);
    EXPECT_EQ(port.events, (Events{text(ctl::BackgroundFieldGreen, sum), repaint(1)}));
    EXPECT_EQ(ws->backgroundLevel[kGreen], std::stoi(sum));
    EXPECT_EQ(ws->display.backgroundField[kGreen], std::stoi(sum));
    EXPECT_EQ(ws->display.backgroundOffset[kGreen], 0);
  }
}

// In move mode the green parameters show in the blue panel.
TEST(DisplayControls, RepaintThePanelThatShowsTheImage) {
  const std::tuple<int, std::uint32_t, int> rows[] = {
      {kBlue, OPT_MOVE_MODE, 0}, {kGreen, 0, 1}, {kGreen, OPT_MOVE_MODE, 0}};
  for (const auto& [image, options, panel] : rows) {
    auto ws = test::makeWorkspace();
    ws->optionFlags = options;
    const int field = image == kBlue ? ctl::BackgroundFieldBlue : ctl::BackgroundFieldGreen;
    test::RecordingPort port;
    backgroundFieldChanged(*ws, port, image, "7");
    foldBackgroundSlider(*ws, port, image);
    releaseRangeSlider(*ws, port, image, 5);
    EXPECT_EQ(port.events,
              (Events{repaint(panel), text(field, "7"), repaint(panel), repaint(panel)}));
    EXPECT_EQ(ws->backgroundLevel[1 - image], 0);
    EXPECT_EQ(ws->display.range[image], 5);
  }
}

}  // namespace
}  // namespace orelith
