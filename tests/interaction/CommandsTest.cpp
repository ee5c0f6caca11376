#include <gtest/gtest.h>

#include <array>
#include <string>
#include <tuple>

#include "display/DisplayControls.h"
#include "interaction/Commands.h"
#include "resources/ControlIds.h"
#include "resources/StringTable.h"
#include "tests/interaction/Fixture.h"
#include "tests/support/RecordingPort.h"

namespace orelith {
namespace {

using test::PortEvent;
using test::RecordingPort;
using Events = std::vector<PortEvent>;

PortEvent ev(PortEvent::Kind kind, int id = 0, bool on = false, int value = 0) {
  PortEvent e{kind, id, on, {}};
  e.value = value;
  return e;
}
PortEvent text(int id, std::string t) { return {PortEvent::Text, id, false, std::move(t)}; }
constexpr auto Enable = PortEvent::Enable;
constexpr auto Repaint = PortEvent::Repaint;

CommandEvent cmd(int id, CommandCode code = CommandCode::Clicked, bool checked = false) {
  return {id, code, checked, {}};
}

struct CommandRow {
  const char* name;
  std::uint32_t options;
  CommandEvent event;
  bool handled;
  Events effects;  // everything the window sees, in order
};

// The command table and the enabling rules of the main window, on a searched,
// unpaired measurement.
TEST(Commands, EachEventHasExactlyItsEffects) {
  constexpr auto Clicked = CommandCode::Clicked;
  // clang-format off
  const CommandRow rows[] = {
      {"CustomColorsTicked", 0, cmd(ctl::CustomColorsBlue, Clicked, true), true,
       {ev(Enable, ctl::RangeBlue, false), ev(Repaint, 0)}},
      {"GreenCustomColorsInMoveMode", OPT_MOVE_MODE, cmd(ctl::CustomColorsGreen, CommandCode::Other), true,
       {ev(Enable, ctl::RangeGreen, true), ev(Repaint, 1)}},
      {"MoveTicked", 0, cmd(ctl::Move, Clicked, true), true,
       {ev(Enable, 24, true), ev(Enable, 25, true), ev(Enable, 26, true), ev(Enable, 27, true),
        ev(Repaint, 0), ev(Repaint, 1)}},
      {"SearchGreysResetAndCalculate", 0, cmd(ctl::SearchGreen), true,
       {ev(PortEvent::ListRefill), ev(Enable, ctl::CompareImages, true), ev(Enable, ctl::ResetSelection, false),
        ev(PortEvent::Menu, menu::Save, true), ev(Enable, ctl::CalculateMagnitudes, false)}},
      {"ButtonNeedsAClick", 0, cmd(ctl::SearchGreen, CommandCode::Other), false, {}},
      {"CurveViewGreen", OPT_MOVE_MODE, cmd(ctl::CurveViewGreen, Clicked, true), true, {ev(Repaint, 1)}},
      {"CalculateWithoutCalibrationBeeps", 0, cmd(ctl::CalculateMagnitudes), true, {ev(PortEvent::Beep)}},
      {"ExitStopsOnlyTheRunningTimer", OPT_AUTO_UPDATE_GREEN, cmd(menu::Exit), true,
       {ev(PortEvent::TimerStop, timer::AutoUpdateGreen), ev(PortEvent::Quit)}},
  };
  // clang-format on
  for (const CommandRow& row : rows) {
    auto ws = test::searchedPair(false);
    ws->optionFlags = row.options;
    ws->searchRect[kBlue] = {1, 2, 3, 4};
    RecordingPort port;
    EXPECT_EQ(dispatchCommand(*ws, port, row.event), row.handled) << row.name;
    EXPECT_EQ(port.events, row.effects) << row.name;
  }
}

TEST(Commands, AutoUpdateRunsOneTimerAtATime) {
  auto ws = test::searchedPair(false);
  RecordingPort port;
  dispatchCommand(*ws, port, cmd(ctl::AutoUpdateBlue, CommandCode::Clicked, true));
  ws->display.autoUpdateFrequency = 24;
  dispatchCommand(*ws, port, cmd(ctl::AutoUpdateGreen, CommandCode::Clicked, true));
  dispatchCommand(*ws, port, cmd(ctl::AutoUpdateGreen, CommandCode::Clicked, false));
  // Periods by hand: 1000 / 1 + 0.5 and 1000 / 24 + 0.5, truncated.
  EXPECT_EQ(port.events,
            (Events{ev(PortEvent::TimerStart, 14, true, 1000),
                    ev(PortEvent::Check, ctl::AutoUpdateBlue, false), ev(PortEvent::TimerStop, 14),
                    ev(PortEvent::TimerStart, 17, true, 42), ev(PortEvent::TimerStop, 17)}));
  EXPECT_EQ(ws->optionFlags & (OPT_AUTO_UPDATE_BLUE | OPT_AUTO_UPDATE_GREEN), 0u);
  port.clear();
  ws->optionFlags |= OPT_MOVE_MODE;
  EXPECT_TRUE(timerFired(*ws, port, 17));
  EXPECT_TRUE(timerFired(*ws, port, 14));
  EXPECT_FALSE(timerFired(*ws, port, 15));
  EXPECT_EQ(port.repaints(), (std::vector<int>{0, 0}));
}

TEST(Commands, SlidersKeepTheirBitsAndFoldTheBackground) {
  auto ws = test::searchedPair(false);
  RecordingPort port;
  const std::uint32_t others = OPT_CUSTOM_COLORS_GREEN | OPT_AUTO_UPDATE_BLUE | OPT_MOVE_MODE;
  ws->optionFlags = others;
  sliderReleased(*ws, port, ctl::RangeBlue, 1);
  EXPECT_EQ(ws->optionFlags, others | OPT_RANGE_ONE_BLUE);
  sliderReleased(*ws, port, ctl::RangeBlue, 2);
  sliderReleased(*ws, port, ctl::RangeGreen, 7);  // move mode: the blue panel shows it
  EXPECT_EQ(ws->optionFlags, others);
  EXPECT_EQ((std::array{ws->display.range[kBlue], ws->display.range[kGreen]}), (std::array{2, 7}));
  EXPECT_EQ(port.repaints(), (std::vector<int>{0, 0, 0}));
  ws->display.backgroundField[kGreen] = 150;
  sliderReleased(*ws, port, ctl::BackgroundSliderGreen, -40);
  EXPECT_EQ(ws->backgroundLevel[kGreen], 110);  // field 150 - 40
  EXPECT_EQ(port.events.back(), ev(PortEvent::Slider, ctl::BackgroundSliderGreen));
}

TEST(Commands, FileDialogsKeepTheOpenFilter) {
  auto ws = test::makeWorkspace();
  RecordingPort port;
  // The colour filters (3 green, 4 blue) follow the image, the others stay.
  ws->openFilterIndex = 5;
  openCommand(*ws, port, kGreen);
  ws->openFilterIndex = 4;
  openCommand(*ws, port, kGreen);
  openCommand(*ws, port, kBlue);
  port.nextOpenFile = {true, "/nonexistent/x.g", 3};
  openCommand(*ws, port, kBlue);
  saveCommand(*ws, port);
  EXPECT_EQ(port.events, (Events{ev(PortEvent::OpenFile, str::OpenGreenTitle, false, 5),
                                 ev(PortEvent::OpenFile, str::OpenGreenTitle, false, 3),
                                 ev(PortEvent::OpenFile, str::OpenBlueTitle, false, 4),
                                 ev(PortEvent::OpenFile, str::OpenBlueTitle, false, 4),
                                 ev(PortEvent::Message, str::UnableToOpenFile),
                                 ev(PortEvent::SaveFile, str::SaveTitle, false, 0)}));
  EXPECT_EQ(ws->openFilterIndex, 3);  // what the dialog answered
  EXPECT_EQ(ws->progressFlags, 0u);
}

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
    Events want = {ev(Repaint, 0)};
    if (refused)
      want = {ev(PortEvent::Beep), text(ctl::BackgroundFieldBlue, "65535"), ev(Repaint, 0)};
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
    EXPECT_EQ(port.events, (Events{ev(Repaint, panel), text(ctl::BackgroundFieldGreen, sum),
                                   ev(Repaint, panel)}));
    EXPECT_EQ(ws->backgroundLevel[kGreen], std::stoi(sum));
    EXPECT_EQ(ws->display.backgroundField[kGreen], std::stoi(sum));
    EXPECT_EQ(ws->display.backgroundOffset[kGreen], 0);
    EXPECT_EQ(ws->backgroundLevel[kBlue], 0);
  }
}

}  // namespace
}  // namespace orelith
