// The main window's rules: commands, controls, pointer, selection and star list, on the
// core through a recording port.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <tuple>

#include "analysis/Correspondence.h"
#include "analysis/StarSearch.h"
#include "display/DisplayControls.h"
#include "interaction/Commands.h"
#include "interaction/Pointer.h"
#include "interaction/Selection.h"
#include "interaction/StarList.h"
#include "resources/ControlIds.h"
#include "resources/StringTable.h"
#include "tests/support/RecordingPort.h"
#include "tests/support/TestWorkspace.h"

namespace orelith {
namespace {

using test::PortEvent;
using test::RecordingPort;
using Events = std::vector<PortEvent>;

// A small measurement for the window rules: blue stars 0, 1, 2 at (10, 10),
// (15, 10), (20, 10) with brightness 150, 550, 950; green stars 0 and 1 on
// the first two and green star 2 alone at (30, 30). Both searched; `paired`
// compares them at offset (0, 0), which leaves blue 2 and green 2 unpaired.
std::unique_ptr<Workspace> searchedPair(bool paired) {
  auto ws = test::makeWorkspace();
  test::paintPattern(*ws, kBlue, {"1....5....9"}, 10, 10);
  test::paintPattern(*ws, kGreen, {"1....5"}, 10, 10);
  pixelAt(*ws, kGreen, 30, 30) = 500;
  NullWindowPort port;
  for (int image : {kBlue, kGreen}) {
    ws->searchRect[image] = kWholeImage;
    ws->backgroundLevel[image] = 150;
    ws->progressFlags |= kLoadedBit[image];
    searchStars(*ws, port, image);
  }
  if (paired) {
    ws->optionFlags = OPT_MOVE_MANUALLY;  // at offset (0, 0)
    compareImages(*ws, port);
    ws->optionFlags = 0;
  }
  return ws;
}

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
    auto ws = searchedPair(false);
    ws->optionFlags = row.options;
    ws->searchRect[kBlue] = {1, 2, 3, 4};
    RecordingPort port;
    EXPECT_EQ(dispatchCommand(*ws, port, row.event), row.handled) << row.name;
    EXPECT_EQ(port.events, row.effects) << row.name;
  }
}

TEST(Commands, AutoUpdateRunsOneTimerAtATime) {
  auto ws = searchedPair(false);
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
  auto ws = searchedPair(false);
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

// Client point of image pixel (x, y) in panel `image`.
int cx(int image, int x) { return (image == kBlue ? 6 : 389) + x; }
int cy(int y) { return 33 + y; }

TEST(Pointer, DragCoversPressedAndReleasedPixels) {
  // Press, release and rectangle from the description of the drag.
  const std::array<int, 8> rows[] = {{10, 20, 9, 19, 9, 19, 11, 21},
                                     {10, 20, 10, 20, 10, 20, 11, 21},
                                     {10, 20, 100, 200, 10, 20, 101, 201}};
  for (const auto& r : rows) {
    auto ws = test::makeWorkspace();
    ws->progressFlags = PRG_BLUE_LOADED;
    ws->offsetX = 3;
    RecordingPort port;
    ASSERT_TRUE(leftButtonPressed(*ws, port, cx(0, r[0]), cy(r[1])));
    pointerMoved(*ws, port, cx(0, r[2]), cy(r[3]), ctl::BlueFrame);
    ASSERT_TRUE(leftButtonReleased(*ws, port, cx(0, r[2]), cy(r[3])));
    for (const SearchRect& got : ws->searchRect)
      EXPECT_EQ((std::array{got.left, got.top, got.right, got.bottom}),
                (std::array{r[4], r[5], r[6], r[7]}));
    const int* band =
        port.events[static_cast<std::size_t>(port.indexOf(PortEvent::RubberBand))].rect;
    EXPECT_EQ((std::array{band[0], band[1], band[2], band[3]}),
              (std::array{r[4] + 5, r[5] + 32, r[6] + 7, r[7] + 34}));
    EXPECT_FALSE(ws->optionFlags & OPT_DRAGGING);
    EXPECT_EQ(port.repaints(), (std::vector<int>{0, 1}));
  }
}

TEST(Pointer, HelpAndReadouts) {
  const auto ws = searchedPair(false);
  // Control, help string on the searched pair, help string before any load.
  // clang-format off
  const std::array<int, 3> help[] = {{ctl::BlueFrame, 99, 69}, {ctl::GreenFrame, 99, 70},
                                     {ctl::StarList, 86, 67}, {ctl::Move, 87, 87},
                                     {ctl::SearchGreen, 83, 83}, {0, 67, 67}, {14, 67, 67},
                                     {35, 67, 67}, {40001, 67, 67}};
  // clang-format on
  for (const auto& [id, searched, empty] : help) {
    EXPECT_EQ(helpString(*ws, id), searched) << id;
    auto fresh = test::makeWorkspace();
    EXPECT_EQ(helpString(*fresh, id), empty) << id;
  }
  RecordingPort port;
  pointerMoved(*ws, port, cx(1, 30), cy(30), ctl::GreenFrame);
  pointerMoved(*ws, port, 385, cy(30), ctl::GreenFrame);  // on the frame, off the panel
  EXPECT_EQ(port.events[1], (PortEvent{PortEvent::Status, 1, false, "@(30|30)"}));
  EXPECT_EQ(port.events[2], (PortEvent{PortEvent::Status, 2, false, "500"}));
  EXPECT_EQ(port.count(PortEvent::Status), 4);
  EXPECT_EQ(port.events[4].value, static_cast<int>(PointerShape::Arrow));
}

TEST(Pointer, ClicksSelectStarsAndDoubleClicksOpenPairs) {
  struct Row {
    const char* name;
    bool paired;
    std::uint32_t options;
    int image, x, y;
    int blue, green;  // selection afterwards
    StarRowKey revealed;
  };
  const Row rows[] = {
      {"Paired", true, 0, kGreen, 15, 10, 1, 1, {1, 1}},
      {"PairedWithoutPartner", true, 0, kBlue, 20, 10, 2, -1, {2, -1}},
      {"Unpaired", false, 0, kGreen, 30, 30, -1, 2, {-1, 2}},
      {"PairEntryKeepsTheOther", false, OPT_PAIR_ENTRY, kGreen, 30, 30, 0, 2, {-1, 2}},
      {"NoStar", true, 0, kBlue, 12, 10, 0, 0, {-9, -9}},
  };
  for (const Row& row : rows) {
    auto ws = searchedPair(row.paired);
    ws->optionFlags = row.options;
    ws->selectedStar[kBlue] = ws->selectedStar[kGreen] = 0;
    RecordingPort port;
    EXPECT_TRUE(leftButtonReleased(*ws, port, cx(row.image, row.x), cy(row.y))) << row.name;
    EXPECT_EQ(ws->selectedStar[kBlue], row.blue) << row.name;
    EXPECT_EQ(ws->selectedStar[kGreen], row.green) << row.name;
    const int reveal = port.indexOf(PortEvent::Reveal);
    if (row.revealed.blue == -9) {
      EXPECT_EQ(reveal, -1) << row.name;
      continue;
    }
    ASSERT_GE(reveal, 0) << row.name;
    const PortEvent& e = port.events[static_cast<std::size_t>(reveal)];
    EXPECT_EQ((StarRowKey{e.rect[0], e.rect[1]}), row.revealed) << row.name;
    EXPECT_TRUE(ws->optionFlags & OPT_SELECTION_SHOWN);
    // The double click's second half: only a star with a partner opens.
    leftButtonDoubleClicked(*ws, port, cx(row.image, row.x), cy(row.y));
    EXPECT_EQ(port.count(PortEvent::Dialog), row.paired && row.green != -1 ? 1 : 0) << row.name;
  }
}

TEST(Selection, MarkersAndListRows) {
  auto ws = searchedPair(true);
  ws->calibration = {{{0, 0}, {1, 1}}, 2};
  ws->optionFlags = OPT_CURVE_VIEW_GREEN;
  ws->picture[kGreen][7 * kPictureStride + 5 * 3 + 1] = 253;  // marker of entry 1
  ws->picture[kGreen][7 * kPictureStride + 6 * 3 + 1] = 252;  // no entry 2
  RecordingPort port;
  leftButtonReleased(*ws, port, cx(1, 6), cy(7));
  EXPECT_EQ(port.count(PortEvent::Reveal), 0);
  leftButtonReleased(*ws, port, cx(1, 5), cy(7));
  EXPECT_EQ(ws->selectedStar[kBlue], 1);
  EXPECT_EQ(ws->selectedStar[kGreen], 1);
  port.clear();
  selectStarFromList(*ws, port, std::nullopt);
  selectStarFromList(*ws, port, StarRowKey{1, -1});
  EXPECT_EQ(port.repaints(), std::vector<int>{1});
  openPropertiesFromList(*ws, port);
  EXPECT_EQ(port.count(PortEvent::Dialog), 0);
  selectStarFromList(*ws, port, StarRowKey{0, 0});
  port.clear();
  openPropertiesFromList(*ws, port);
  EXPECT_EQ(port.events, (Events{ev(PortEvent::Dialog, dlg::StarProperties), ev(Repaint, 1)}));
}

// Each row as "blue,green:cell|cell|...".
std::vector<std::string> texts(const Workspace& ws) {
  static StarListRows rows;
  starListRows(ws, rows);
  std::vector<std::string> out;
  for (int i = 0; i < rows.count; ++i) {
    const StarListRow& r = rows.rows[i];
    std::string line = std::to_string(r.key.blue) + "," + std::to_string(r.key.green) + ":";
    for (const auto& c : r.cells) line += std::string(c) + "|";
    out.push_back(line);
  }
  return out;
}

TEST(StarList, LayoutsFollowTheProgress) {
  auto ws = searchedPair(false);
  // lg by hand: log10 150 = 2.17609, log10 550 = 2.74036, log10 950 = 2.97772;
  // green star 2 is 500 - 150 = 350, log10 350 = 2.54407.
  const std::vector<std::string> searched = {
      "0,-1:1|150|2.1761|1|||||", "1,-1:2|550|2.7404|1|||||", "2,-1:3|950|2.9777|1|||||",
      "-1,0:1||||150|2.1761|1||", "-1,1:2||||550|2.7404|1||", "-1,2:3||||350|2.5441|1||"};
  EXPECT_EQ(texts(*ws), searched);
  ws->progressFlags &= ~PRG_GREEN_SEARCHED;
  EXPECT_EQ(texts(*ws), std::vector<std::string>(searched.begin(), searched.begin() + 3));
  ws->progressFlags &= ~PRG_BLUE_SEARCHED;
  EXPECT_TRUE(texts(*ws).empty());

  ws = searchedPair(true);
  star(*ws, kBlue, 0).magnitudeB = 12.345f;
  star(*ws, kBlue, 0).magnitudeV = 11.5f;
  star(*ws, kBlue, 1).magnitudeB = 9.96f;
  star(*ws, kBlue, 1).magnitudeV = 9.0f;
  ws->progressFlags |= PRG_CALIBRATION_STAR;
  EXPECT_EQ(texts(*ws),
            (std::vector<std::string>{"0,0:1|150|2.1761|1|150|2.1761|1|12.3/11.5|",
                                      "1,1:2|550|2.7404|1|550|2.7404|1|10.0/ 9.0|",
                                      "2,-1:3|950|2.9777|1|||||", "-1,2:3||||350|2.5441|1||"}));
  // Two blue stars with one partner: two pair rows, no green row; a text
  // beyond 15 characters is cut.
  star(*ws, kBlue, 2).partner = 1;
  star(*ws, kBlue, 1).magnitudeB = -12345678.0f;
  const std::vector<std::string> shared = texts(*ws);
  ASSERT_EQ(shared.size(), 4u);
  EXPECT_EQ(shared[1], "1,1:2|550|2.7404|1|550|2.7404|1|-12345678.0/ 9.|");
  EXPECT_EQ(shared[2], "2,1:3|950|2.9777|1|550|2.7404|1| 0.0/ 0.0|");
}

TEST(StarList, LgKeepsFiveSignificantDigits) {
  // The first four rows are the examples of the list's description.
  const std::pair<double, const char*> rows[] = {
      {3.45678, "3.4568"}, {0.30103, "0.30103"}, {2.5, "2.5"},       {4.0, "4."},
      {0.0, "0."},         {9.99996, "10."},     {12.3456, "12.346"}};
  char out[kCellChars + 1];
  for (const auto& [lg, text] : rows) {
    formatLg(lg, out);
    EXPECT_STREQ(out, text) << lg;
  }
}

}  // namespace
}  // namespace orelith
