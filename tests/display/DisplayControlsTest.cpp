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
                                                     {"12ab", 12, false},
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

// The fold clamps field + slider offset to the field's bounds without a beep;
// in move mode the green parameters show in the blue panel.
TEST(DisplayControls, SliderFoldClampsTheSumAndRepaintsThePanelShowingTheImage) {
  const std::tuple<int, int, const char*, std::uint32_t, int> rows[] = {
      {20, -128, "0", 0, 1},
      {129, -128, "1", 0, 1},
      {100, 50, "150", OPT_MOVE_MODE, 0},
      {65500, 100, "65535", 0, 1}};
  for (const auto& [field, offset, sum, options, panel] : rows) {
    auto ws = test::makeWorkspace();
    ws->optionFlags = options;
    test::RecordingPort port;
    backgroundFieldChanged(*ws, port, kGreen, std::to_string(field));
    ws->display.backgroundOffset[kGreen] = offset;
    foldBackgroundSlider(*ws, port, kGreen);
    EXPECT_EQ(port.events,
              (Events{repaint(panel), text(ctl::BackgroundFieldGreen, sum), repaint(panel)}));
    EXPECT_EQ(ws->backgroundLevel[kGreen], std::stoi(sum));
    EXPECT_EQ(ws->display.backgroundField[kGreen], std::stoi(sum));
    EXPECT_EQ(ws->display.backgroundOffset[kGreen], 0);
    EXPECT_EQ(ws->backgroundLevel[kBlue], 0);
  }
}

}  // namespace
}  // namespace orelith
