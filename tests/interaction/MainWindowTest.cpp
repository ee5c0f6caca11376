// The main window's rules (commands, controls, pointer, selection, star list) on a recording port.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <type_traits>

#include "analysis/Correspondence.h"
#include "analysis/StarSearch.h"
#include "interaction/Commands.h"
#include "interaction/DialogModel.h"
#include "interaction/MainWindowLayout.h"
#include "interaction/Pointer.h"
#include "interaction/Selection.h"
#include "interaction/StarList.h"
#include "interaction/StepStatus.h"
#include "photometry/Science.h"
#include "photometry/StarProperties.h"
#include "report/CsvTable.h"
#include "report/SaveCommand.h"
#include "resources/ControlIds.h"
#include "resources/StringTable.h"
#include "tests/support/Process.h"
#include "tests/support/RecordingPort.h"
#include "tests/support/TestWorkspace.h"
#include "tools/FitsWriter.h"

namespace orelith {
namespace {

using test::cx;
using test::cy;
using test::PortEvent;
using test::RecordingPort;
using Events = std::vector<PortEvent>;

// Blue stars 0, 1, 2 at (10, 10), (15, 10), (20, 10), brightness 150, 550, 950; green stars 0 and
// 1 on the first two, green 2 alone at (30, 30). Both searched; `paired` compares them at offset
// (0, 0), which leaves blue 2 and green 2 unpaired.
std::unique_ptr<Workspace> searchedPair(bool paired) {
  auto ws = test::makeWorkspace();
  test::paintPattern(*ws, kBlue, {"1....5....9"}, 10, 10);
  test::paintPattern(*ws, kGreen, {"1....5"}, 10, 10);
  pixelAt(*ws, kGreen, 30, 30) = 500;
  for (int image : {kBlue, kGreen}) {
    ws->searchRect[image] = kWholeImage, ws->backgroundLevel[image] = 150;
    ws->progressFlags |= kLoadedBit[image];
    searchStars(*ws, image);
  }
  if (paired) {
    ws->optionFlags = OPT_MOVE_MANUALLY;  // at offset (0, 0)
    compareImages(*ws);
    ws->optionFlags = 0;
  }
  return ws;
}

template <class Id = int>
PortEvent ev(PortEvent::Kind kind, Id id = 0, bool on = false, int value = 0) {
  return {kind, idNumber(id), on, {}, MessageOwner::MainWindow, value};
}
PortEvent text(ControlId id, std::string t) {
  return {PortEvent::Text, idNumber(id), false, std::move(t)};
}
constexpr auto Enable = PortEvent::Enable;
constexpr auto Repaint = PortEvent::Repaint;
constexpr auto Visible = PortEvent::Visible;

CommandEvent cmd(ControlId id, CommandCode code = CommandCode::Clicked, bool checked = false) {
  return {id, code, checked, {}};
}

struct CommandRow {
  const char* name;
  std::uint32_t options;
  CommandEvent event;
  bool handled;
  Events effects;  // everything the window sees, in order
};

// The command table and the enabling rules of the main window, on a searched, unpaired measurement.
TEST(Commands, EachEventHasExactlyItsEffects) {
  constexpr auto Clicked = CommandCode::Clicked;
  // clang-format off
  const CommandRow rows[] = {
      {"CustomColorsTicked", 0, cmd(ctl::CustomColorsBlue, Clicked, true), true,
       {ev(Enable, ctl::RangeBlue, false), ev(Repaint, 0)}},
      {"GreenCustomColorsInMoveMode", OPT_MOVE_MODE, cmd(ctl::CustomColorsGreen, CommandCode::Other), true,
       {ev(Enable, ctl::RangeGreen, true), ev(Repaint, 1)}},
      {"MoveTicked", 0, cmd(ctl::Move, Clicked, true), true,
       {ev(Enable, ctl::ArrowUp, true), ev(Enable, ctl::ArrowRight, true), ev(Enable, ctl::ArrowDown, true),
        ev(Enable, ctl::ArrowLeft, true), ev(Repaint, 0), ev(Repaint, 1)}},
      {"SearchGreysResetAndCalculate", 0, cmd(ctl::SearchGreen), true,
       {ev(PortEvent::ListRefill), ev(Enable, ctl::CompareImages, true), ev(Enable, ctl::ResetSelection, false),
        ev(PortEvent::Menu, menu::Save, true), ev(Enable, ctl::CalculateMagnitudes, false)}},
      {"ButtonNeedsAClick", 0, cmd(ctl::SearchGreen, CommandCode::Other), false, {}},
      {"CurveViewGreen", OPT_MOVE_MODE, cmd(ctl::CurveViewGreen, Clicked, true), true, {ev(Repaint, 1)}},
      {"CalculateWithoutCalibrationBeeps", 0, cmd(ctl::CalculateMagnitudes), true, {ev(PortEvent::Beep)}},
      {"ComparePairsAndGreysItself", 0, cmd(ctl::CompareImages), true,
       {ev(Enable, ctl::CompareImages, false), ev(PortEvent::ListRefill)}},
      {"SetWithoutPendingPairBeeps", 0, cmd(ctl::Set2), true, {ev(PortEvent::Beep)}},
  };
  // clang-format on
  for (const CommandRow& row : rows) {
    auto ws = searchedPair(false);
    ws->optionFlags = row.options, ws->searchRect[kBlue] = {1, 2, 3, 4};
    RecordingPort port;
    EXPECT_EQ(dispatchCommand(*ws, port, row.event), row.handled) << row.name;
    EXPECT_EQ(port.events, row.effects) << row.name;
  }
  auto ws = searchedPair(false);
  ws->optionFlags = OPT_AUTO_UPDATE_GREEN;
  RecordingPort port;
  menuCommand(*ws, port, menu::Exit);  // stops only the running timer
  EXPECT_EQ(port.events,
            (Events{ev(PortEvent::TimerStop, timer::AutoUpdateGreen), ev(PortEvent::Quit)}));
}

// "Compare images" is offered and acts only with both images searched, no pairing current and
// no three-pair entry open; the list refill offers it again.
TEST(Commands, CompareNeedsBothImagesSearched) {
  constexpr std::uint32_t kBoth = PRG_BLUE_SEARCHED | PRG_GREEN_SEARCHED;
  const std::tuple<std::uint32_t, std::uint32_t, bool> rows[] = {{kBoth, 0, true},
                                                                 {PRG_BLUE_SEARCHED, 0, false},
                                                                 {PRG_GREEN_SEARCHED, 0, false},
                                                                 {kBoth | PRG_COMPARED, 0, false},
                                                                 {kBoth, OPT_PAIR_ENTRY, false}};
  for (const auto& [progress, options, offered] : rows) {
    auto ws = searchedPair(false);
    ws->progressFlags = progress, ws->optionFlags = options;
    EXPECT_EQ(canCompare(*ws), offered) << progress << " " << options;
    RecordingPort port;
    refillStarList(*ws, port);
    EXPECT_EQ(port.state(Enable, ctl::CompareImages), offered ? std::optional(true) : std::nullopt);
    dispatchCommand(*ws, port, cmd(ctl::CompareImages));
    EXPECT_EQ(hasBit(ws->progressFlags, PRG_COMPARED), offered || hasBit(progress, PRG_COMPARED));
  }
}

// Sixteen presses from (0, 0) move the offset and the green rectangle; the seventeenth beeps.
// The label shows the shift on screen, x to the right and y downwards. The batch tool's direct
// call reaches the same state, and no further than 16 pixels.
TEST(Commands, ArrowsMoveSixteenStepsThenBeep) {
  for (const auto& [arrow, dx, dy, label] : {std::tuple{ctl::ArrowUp, 0, 16, "0|-16"},
                                             {ctl::ArrowRight, -16, 0, "16|0"},
                                             {ctl::ArrowDown, 0, -16, "0|16"},
                                             {ctl::ArrowLeft, 16, 0, "-16|0"}}) {
    SCOPED_TRACE(label);
    auto ws = test::makeWorkspace();
    ws->searchRect[kBlue] = {10, 20, 110, 120};
    const auto direct = std::make_unique<Workspace>(*ws);
    RecordingPort port;
    for (int i = 0; i < 16; ++i) dispatchCommand(*ws, port, cmd(arrow));
    EXPECT_EQ(port.find(PortEvent::Text, ctl::OffsetLabel)->text, label);
    EXPECT_EQ(port.repaints(), std::vector<int>(16, kBlue));
    EXPECT_EQ(ws->searchRect[kGreen].left, 10 + dx);
    EXPECT_EQ(ws->searchRect[kGreen].bottom, 120 + dy);
    port.clear();
    dispatchCommand(*ws, port, cmd(arrow));
    EXPECT_EQ(port.events, Events{ev(PortEvent::Beep)});
    EXPECT_EQ(std::pair(ws->offsetX, ws->offsetY), std::pair(dx, dy));
    setManualOffset(*direct, 3 * dx, 3 * dy);
    EXPECT_EQ(std::pair(direct->offsetX, direct->searchRect[kGreen].top),
              std::pair(ws->offsetX, ws->searchRect[kGreen].top));
  }
}

// The three-pair entry through its buttons: "Compare images" makes way for "Set 1".."Set 3"; a
// "Set" without a complete pending pair, with a star another "Set" took, or with three blue stars
// on one line, beeps and keeps the entry open; a pair set again replaces the first; the third
// maps, brings "Compare images" back, greyed, and refills the list; the overlap count stays.
TEST(Commands, PairEntryThroughTheButtons) {
  auto ws = test::onePixelStars({{10, 10}, {50, 10}, {30, 30}, {10, 50}, {20, 20}},
                                {{12, 10}, {52, 10}, {32, 30}, {12, 50}, {25, 20}});
  ws->optionFlags = OPT_ROTATE_IMAGES, ws->overlapCount = 33;
  RecordingPort port;
  dispatchCommand(*ws, port, cmd(ctl::CompareImages));
  EXPECT_EQ(port.events,
            (Events{ev(Repaint, 0), ev(Repaint, 1), ev(Visible, ctl::CompareImages, false),
                    ev(Visible, ctl::Set1, true), ev(Visible, ctl::Set2, true),
                    ev(Visible, ctl::Set3, true)}));
  const auto set = [&](ControlId button, int blue, int green) {
    pickPendingStar(*ws, kBlue, blue);
    pickPendingStar(*ws, kGreen, green);
    port.clear();
    dispatchCommand(*ws, port, cmd(button));
    return port.events;
  };
  const Events beep{ev(PortEvent::Beep)};
  EXPECT_EQ(set(ctl::Set1, 6, -1), beep);  // no blue star 6, no green star: nothing pending
  EXPECT_EQ(set(ctl::Set1, 1, 0), Events{});
  set(ctl::Set1, 0, 0);
  set(ctl::Set2, 2, 2);
  EXPECT_EQ(set(ctl::Set3, 0, 3), beep);   // blue 0 is Set 1's
  EXPECT_EQ(set(ctl::Set3, 3, 2), beep);   // green 2 is Set 2's
  EXPECT_EQ(set(ctl::Set3, 4, 4), beep);   // blue 4 lies on the line through the other two
  ws->optionFlags |= OPT_SELECTION_SHOWN;  // as the star clicks leave it
  EXPECT_EQ(
      set(ctl::Set3, 3, 3),
      (Events{ev(Visible, ctl::Set1, false), ev(Visible, ctl::Set2, false),
              ev(Visible, ctl::Set3, false), ev(Visible, ctl::CompareImages, true), ev(Repaint, 0),
              ev(Repaint, 1), ev(Enable, ctl::CompareImages, false), ev(PortEvent::ListRefill)}));
  EXPECT_EQ(ws->optionFlags, OPT_ROTATE_IMAGES);
  EXPECT_TRUE(hasBit(ws->progressFlags, PRG_COMPARED));
  EXPECT_EQ((std::array{ws->selectedStar[kBlue], int{star(*ws, kBlue, 1).partner}}),
            (std::array{-1, 1}));
  EXPECT_EQ(ws->overlapCount, 33);
}

TEST(Commands, AutoUpdateRunsOneTimerAtATime) {
  auto ws = searchedPair(false);
  RecordingPort port;
  dispatchCommand(*ws, port, cmd(ctl::AutoUpdateBlue, CommandCode::Clicked, true));
  ws->display.autoUpdateFrequency = 24;
  dispatchCommand(*ws, port, cmd(ctl::AutoUpdateGreen, CommandCode::Clicked, true));
  dispatchCommand(*ws, port, cmd(ctl::AutoUpdateGreen, CommandCode::Clicked, false));
  // Periods by hand: 1000 / 1 + 0.5 and 1000 / 24 + 0.5, truncated.
  EXPECT_EQ(port.events, (Events{ev(PortEvent::TimerStart, timer::AutoUpdateBlue, true, 1000),
                                 ev(PortEvent::Check, ctl::AutoUpdateBlue, false),
                                 ev(PortEvent::TimerStop, timer::AutoUpdateBlue),
                                 ev(PortEvent::TimerStart, timer::AutoUpdateGreen, true, 42),
                                 ev(PortEvent::TimerStop, timer::AutoUpdateGreen)}));
  EXPECT_EQ(ws->optionFlags & (OPT_AUTO_UPDATE_BLUE | OPT_AUTO_UPDATE_GREEN), 0u);
  port.clear();
  ws->optionFlags |= OPT_MOVE_MODE;
  timerFired(*ws, port, timer::AutoUpdateGreen);  // move mode: the blue panel shows it
  timerFired(*ws, port, timer::AutoUpdateBlue);
  EXPECT_EQ(port.repaints(), (std::vector<int>{0, 0}));
}

TEST(Commands, RangeSlidersKeepTheirBits) {
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
}

// A workspace, a window and a folder for the commands that read and write files.
class FileCommands : public testing::Test {
 protected:
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::string flatSt6(const char* name) const {  // every pixel 9
    test::writeBytes(dir / name, test::st6Bytes([](int, int) { return std::uint16_t{9}; }));
    return (dir / name).string();
  }
  const std::filesystem::path dir = test::makeTempDir();
  std::unique_ptr<Workspace> ws = test::makeWorkspace();
  RecordingPort port;
};

// The open dialogs keep their filter: the colour filters (3 green, 4 blue) follow the image, the
// others stay, the one chosen is remembered. A refused file shows its message only; a load
// enables the image's controls, greys "Compare images" (the refill sees the new progress bits: a
// reloaded image does not offer the comparison) and, while the other image has no stars,
// "Save...", then redraws its panel and the list, and greys "Calculate magnitudes".
TEST_F(FileCommands, OpenKeepsTheFilterAndEnablesTheImageControls) {
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
  port.nextOpenFile.path = flatSt6("frame.g");
  for (int blueStars : {0, 3}) {
    ws->starCount[kBlue] = blueStars;
    ws->progressFlags = PRG_BLUE_SEARCHED | PRG_GREEN_SEARCHED;
    port.clear();
    openCommand(*ws, port, kGreen);
    Events want{ev(PortEvent::OpenFile, str::OpenGreenTitle, false, 3)};
    for (ControlId id : {ctl::RangeGreen, ctl::BackgroundSliderGreen, ctl::CustomColorsGreen,
                         ctl::AutoUpdateGreen, ctl::SearchGreen, ctl::BackgroundFieldGreen})
      want.push_back(ev(Enable, id, true));
    want.push_back(ev(Enable, ctl::CompareImages, false));
    if (blueStars == 0) want.push_back(ev(PortEvent::Menu, menu::Save, false));
    want.insert(want.end(), {ev(Repaint, kGreen), ev(PortEvent::ListRefill),
                             ev(Enable, ctl::CalculateMagnitudes, false)});
    EXPECT_EQ(port.events, want) << blueStars;
  }
}

// A FITS file the reader refuses shows one error box with the reader's reason below the message;
// the open dialog offers FITS files after the five ST-6 filters, whose indices stay.
TEST_F(FileCommands, RefusedFitsFileShowsItsReason) {
  const std::string path = (dir / "cut.fits").string();
  test::writeBytes(path, std::vector<unsigned char>(
                             {'S', 'I', 'M', 'P', 'L', 'E', ' ', ' ', '=', ' ', ' ', 'T'}));
  EXPECT_FALSE(openImageFile(*ws, port, kBlue, path));
  ASSERT_EQ(port.events.size(), 1u);
  EXPECT_EQ(port.events[0].id, int(str::FitsUnreadable));
  EXPECT_TRUE(port.events[0].text.starts_with("The FITS file cannot be read"))
      << port.events[0].text;
  const std::vector<FileFilter> filters = fileFilters(str::OpenFilters);
  ASSERT_EQ(filters.size(), 6u);
  EXPECT_EQ(filters[3].pattern, "*.b");
  EXPECT_EQ(filters[5].pattern, "*.fits;*.fit;*.fts;*.fits.fz");
}

// A floating-point frame's background field takes decimals; an integer frame loaded after it
// takes digits again, its level the whole one below (0 for -2.5); each change told once.
TEST_F(FileCommands, TheBackgroundFieldFollowsTheFramesType) {
  const std::string floats = (dir / "f.fits").string(), st6 = flatSt6("i.b");
  ASSERT_EQ(gen::writeFits(floats, std::vector<std::uint16_t>(256).data(), 16, 16, {},
                           gen::floatLayout()),
            "");
  // Frame, typed after the load, the field's events of the load, the level then.
  constexpr ControlId kField = ctl::BackgroundFieldBlue;
  // clang-format off
  const std::tuple<std::string, const char*, Events, double> rows[] = {
      {floats, "-2.5", {ev(PortEvent::Decimals, kField, true)}, -2.5},
      {st6, nullptr, {ev(PortEvent::Decimals, kField, false), text(kField, "0")}, 0},
      {st6, nullptr, {}, 0}};
  // clang-format on
  for (const auto& [frame, typed, fieldEvents, level] : rows) {
    port.clear();
    ASSERT_TRUE(openImageFile(*ws, port, kBlue, frame));
    Events seen;
    for (const PortEvent& e : port.events)
      if (e.id == idNumber(kField) && e.kind != Enable) seen.push_back(e);
    EXPECT_EQ(seen, fieldEvents) << frame;
    if (typed) backgroundFieldChanged(*ws, port, kBlue, typed);
    EXPECT_EQ(ws->backgroundLevel[kBlue], level) << frame;
  }
}

// Saving over a loaded frame, here under another name of it, asks first: No keeps the frame,
// Yes writes the report; any other file is written without a question.
TEST_F(FileCommands, SavingOverALoadedFrameAsksFirst) {
  const std::string frame = flatSt6("frame.g");
  ASSERT_TRUE(openImageFile(*ws, port, kGreen, frame));
  for (bool yes : {false, true}) {
    port.clear();
    port.yes = yes, port.nextSaveFile = {true, (dir / "." / "frame.g").string(), kSaveFilterHtml};
    saveCommand(*ws, port);
    EXPECT_EQ(port.count(PortEvent::Question), 1);
    EXPECT_EQ(test::readText(frame).starts_with("ST-6"), !yes);
  }
  port.clear();
  port.nextSaveFile = {true, (dir / "report").string(), kSaveFilterHtml};
  saveCommand(*ws, port);
  EXPECT_EQ(port.count(PortEvent::Question), 0);
  EXPECT_TRUE(std::filesystem::exists(dir / "report.html"));
}

// An integer frame's field reads its leading digits up to 65535; a floating-point frame's reads
// the number the text begins with, a sign and a point too, up to 1e38 either way.
TEST(DisplayControls, BackgroundFieldTakesWholeNumbersOrAFloatFramesDecimals) {
  // Float frame, typed text, value taken, text put back after a beep (none: no beep).
  // clang-format off
  const std::tuple<bool, const char*, double, const char*> rows[] = {
      {false, "", 0, nullptr}, {false, "12ab", 12, nullptr}, {false, "65535", 65535, nullptr},
      {false, "65536", 65535, "65535"}, {false, "99999999999999999999", 65535, "65535"},
      {false, "-2.5", 0, nullptr}, {false, "12.5", 12, nullptr},
      {true, "-2.5", -2.5, nullptr}, {true, "0.25", 0.25, nullptr}, {true, "-", 0, nullptr},
      {true, "-.", 0, nullptr}, {true, "70000.5x", 70000.5, nullptr}, {true, "1e-400", 0, nullptr},
      {true, "-2e38", -1e38, "-1e+38"}, {true, "1e999", 1e38, "1e+38"}};
  // clang-format on
  for (const auto& [floats, typed, value, putBack] : rows) {
    auto ws = test::makeWorkspace();
    ws->floatFrame[kBlue] = floats, ws->backgroundLevel[kBlue] = 777;
    test::RecordingPort port;
    backgroundFieldChanged(*ws, port, kBlue, typed);
    EXPECT_EQ(ws->backgroundLevel[kBlue], value) << typed;
    EXPECT_EQ(ws->display.backgroundField[kBlue], value) << typed;
    Events want = {ev(Repaint, 0)};
    if (putBack)
      want = {ev(PortEvent::Beep), text(ctl::BackgroundFieldBlue, putBack), ev(Repaint, 0)};
    EXPECT_EQ(port.events, want) << typed;
  }
}

// The fold clamps field + slider offset to the field's bounds without a beep;
// in move mode the green parameters show in the blue panel.
TEST(DisplayControls, SliderFoldClampsTheSumAndRepaintsThePanelShowingTheImage) {
  // A floating-point frame's slider steps by its range unit: 0.25 + 50 x 0.001.
  const std::tuple<const char*, int, const char*, std::uint32_t, int, double> rows[] = {
      {"20", -128, "0", 0, 1, 1.0},
      {"129", -128, "1", 0, 1, 1.0},
      {"100", 50, "150", OPT_MOVE_MODE, 0, 1.0},
      {"65500", 100, "65535", 0, 1, 1.0},
      {"0.25", 50, "0.3", 0, 1, 0.001}};
  for (const auto& [field, offset, sum, options, panel, unit] : rows) {
    auto ws = test::makeWorkspace();
    ws->optionFlags = options;
    ws->floatFrame[kGreen] = unit != 1.0;
    ws->display.rangeUnit[kGreen] = unit;
    test::RecordingPort port;
    backgroundFieldChanged(*ws, port, kGreen, field);
    EXPECT_EQ(sliderTip(*ws, ctl::BackgroundSliderGreen, offset),
              unit == 1.0 ? std::to_string(offset) : "0.05");
    sliderReleased(*ws, port, ctl::BackgroundSliderGreen, offset);
    // The slider goes back to 0 after the fold, as a window that reports it would find it.
    EXPECT_EQ(port.events,
              (Events{ev(Repaint, panel), text(ctl::BackgroundFieldGreen, sum), ev(Repaint, panel),
                      ev(PortEvent::Slider, ctl::BackgroundSliderGreen)}));
    EXPECT_EQ(ws->backgroundLevel[kGreen], std::stod(sum));
    EXPECT_EQ(ws->display.backgroundField[kGreen], std::stod(sum));
    EXPECT_EQ(ws->display.backgroundOffset[kGreen], 0);
    EXPECT_EQ(ws->backgroundLevel[kBlue], 0);
  }
}

// What the status bar says after each step, the steps run as the window runs them.
TEST_F(FileCommands, StepStatusSaysWhatEachStepDid) {
  auto step = [&](auto id) {
    const StepBefore before = beforeStep(*ws);
    if constexpr (std::is_same_v<decltype(id), MenuId>)
      menuCommand(*ws, port, id);
    else
      dispatchCommand(*ws, port, cmd(id));
    return stepStatus(*ws, before, id);
  };
  const auto frame = dir / "field.b";
  test::writeBytes(frame,
                   test::st6Bytes([](int x, int) -> std::uint16_t { return x == 9 ? 900 : 100; }));
  port.nextOpenFile = {true, frame.string(), 1};
  EXPECT_EQ(step(menu::OpenBlue),
            "Blue frame field.b loaded." + std::string(stringText(str::StatusSetBackground)));
  port.nextOpenFile = {};  // the dialog cancelled
  EXPECT_EQ(step(menu::OpenBlue), "");
  dispatchCommand(*ws, port, {ctl::BackgroundFieldBlue, CommandCode::TextChanged, false, "150"});
  EXPECT_EQ(step(ctl::SearchBlue), "Blue: 1 stars found above the background 150.");
  EXPECT_EQ(step(ctl::CalculateMagnitudes), "") << "nothing to calculate";

  ws = test::twentyPairs();  // as a comparison left it
  EXPECT_EQ(stepStatus(*ws, beforeStep(*ws), ctl::CompareImages).substr(0, 39),
            "Images compared: offset 0|0, 20 pairs. ");
  for (int k : {2, 9, 16})
    ASSERT_EQ(
        applyStarProperties(*ws, {k, k + 100, false, true, 10.0f + static_cast<float>(k), 0.5f})
            .status,
        CalibrationEdit::Accepted);
  // Three stars, three coefficients: the curves pass through them. The warnings: each curve turns
  // over beyond the stars, and the stars beyond them are extrapolated.
  EXPECT_EQ(step(ctl::CalculateMagnitudes),
            "Magnitudes of 20 pairs calculated through 3 calibration stars: RMS 0.000 mag in V, "
            "0.000 in B-V. Warnings: 3, as listed in \"Photometry warnings\".");
}

TEST(Pointer, DragCoversPressedAndReleasedPixels) {
  // Press, release and rectangle from the description of the drag; a press
  // and release under 2 pixels apart is a click and keeps the rectangles.
  const std::array<int, 8> rows[] = {{10, 20, 12, 20, 10, 20, 13, 21},
                                     {10, 20, 100, 200, 10, 20, 101, 201},
                                     {10, 20, 9, 19, 5, 6, 300, 200},
                                     {10, 20, 10, 20, 5, 6, 300, 200}};
  for (const auto& r : rows) {
    auto ws = test::makeWorkspace();
    ws->progressFlags = PRG_BLUE_LOADED, ws->offsetX = 3;
    ws->searchRect[kBlue] = ws->searchRect[kGreen] = {5, 6, 300, 200};
    RecordingPort port;
    ASSERT_TRUE(leftButtonPressed(*ws, port, cx(0, r[0]), cy(r[1])));
    pointerMoved(*ws, port, cx(0, r[2]), cy(r[3]), ctl::BlueFrame);
    ASSERT_TRUE(leftButtonReleased(*ws, port, cx(0, r[2]), cy(r[3])));
    for (const SearchRect& got : ws->searchRect)
      EXPECT_EQ((std::array{got.left, got.top, got.right, got.bottom}),
                (std::array{r[4], r[5], r[6], r[7]}));
    EXPECT_FALSE(ws->optionFlags & OPT_DRAGGING);
    const bool click = r[4] == 5;
    EXPECT_EQ(port.repaints(), (click ? std::vector<int>{} : std::vector<int>{0, 1}));
    if (click) continue;
    const PortEvent band = *port.find(PortEvent::RubberBand);
    EXPECT_EQ((std::array{band.rect[0], band.rect[1], band.rect[2], band.rect[3]}),
              (std::array{r[4] + 5, r[5] + 32, r[6] + 7, r[7] + 34}));
  }
}

TEST(Pointer, HelpAndReadouts) {
  const auto ws = searchedPair(false);
  // Control, help string on the searched pair, help string before any load. The timers'
  // numbers (14, 17) and numbers beyond the controls name no control.
  // clang-format off
  const std::tuple<ControlId, int, int> help[] = {
      {ctl::BlueFrame, 99, 69}, {ctl::GreenFrame, 99, 70}, {ctl::StarList, 86, 67},
      {ctl::Move, 87, 87}, {ctl::SearchGreen, 83, 83}, {kNoControl, 67, 67},
      {ControlId{14}, 67, 67}, {ControlId{35}, 67, 67}, {ControlId{40001}, 67, 67}};
  // clang-format on
  for (const auto& [id, searched, empty] : help) {
    EXPECT_EQ(helpString(*ws, id), StringId{searched}) << idNumber(id);
    auto fresh = test::makeWorkspace();
    EXPECT_EQ(helpString(*fresh, id), StringId{empty}) << idNumber(id);
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
    EXPECT_EQ(std::pair(ws->selectedStar[kBlue], ws->selectedStar[kGreen]),
              std::pair(row.blue, row.green))
        << row.name;
    const auto reveal = port.find(PortEvent::Reveal);
    ASSERT_EQ(reveal.has_value(), row.revealed.blue != -9) << row.name;
    if (!reveal) continue;
    EXPECT_EQ((StarRowKey{reveal->rect[0], reveal->rect[1]}), row.revealed) << row.name;
    EXPECT_TRUE(ws->optionFlags & OPT_SELECTION_SHOWN);
    // The double click's second half: only a star with a partner opens.
    leftButtonDoubleClicked(*ws, port, cx(row.image, row.x), cy(row.y));
    EXPECT_EQ(port.count(PortEvent::Dialog), row.paired && row.green != -1 ? 1 : 0) << row.name;
  }
}

TEST(Selection, MarkersAndListRows) {
  auto ws = searchedPair(true);
  ws->calibration = {{{0, 0}, {1, 1}}, 2}, ws->optionFlags = OPT_CURVE_VIEW_GREEN;
  ws->picture[kGreen][7 * kPictureStride + 5 * 3 + 1] = 253;  // marker of entry 1
  ws->picture[kGreen][7 * kPictureStride + 6 * 3 + 1] = 252;  // no entry 2
  RecordingPort port;
  leftButtonReleased(*ws, port, cx(1, 6), cy(7));
  EXPECT_EQ(port.count(PortEvent::Reveal), 0);
  leftButtonReleased(*ws, port, cx(1, 5), cy(7));
  EXPECT_EQ(std::pair(ws->selectedStar[kBlue], ws->selectedStar[kGreen]), std::pair(1, 1));
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

TEST_F(FileCommands, ImportAndExportAskForTheirFilesAndTellTheOutcome) {
  ws = searchedPair(true);
  menuCommand(*ws, port, menu::ImportCalibration);  // the dialog cancelled
  EXPECT_EQ(port.events, (Events{ev(PortEvent::DataFile, int(DataFile::CalibrationStars))}));
  std::ofstream(dir / "calibration.csv") << "x,y,V,BV\n10,10,9.5,0.3\n20,10,10,0.1\n";
  port.clear();
  port.nextDataFile = {true, (dir / "calibration.csv").string(), 1};
  menuCommand(*ws, port, menu::ImportCalibration);
  PortEvent note = ev(PortEvent::Note);
  note.text =
      "Import calibration stars\n1 calibration star entered. Not placed:\n"
      "line 3, blue pixel (20, 10): a star without partner";
  EXPECT_EQ(
      port.events,
      (Events{ev(PortEvent::DataFile, int(DataFile::CalibrationStars)),
              ev(Enable, ctl::CalculateMagnitudes, true), ev(Enable, ctl::CurveViewBlue, true),
              ev(Enable, ctl::CurveViewGreen, true), ev(PortEvent::ListRefill), note}));
  EXPECT_EQ(ws->calibration.count, 1);
  // The table of the workspace's science settings, written as the batch tool writes its --csv.
  ws->science.aperture = true;
  port.clear();
  port.nextDataFile = {true, (dir / "table.csv").string(), 1};
  menuCommand(*ws, port, menu::ExportCsv);
  std::stringstream written;
  written << std::ifstream(dir / "table.csv").rdbuf();
  EXPECT_EQ(written.str(), csvTable(*ws, computeScience(*ws, ws->science).results));
  EXPECT_NE(written.str().find(",1,0,0,0,"), std::string::npos);  // the calibration mark
  EXPECT_EQ(port.events.size(), 1u);
  port.clear();
  menuCommand(*ws, port, menu::ColourMagnitudeDiagram);
  menuCommand(*ws, port, menu::Photometry);
  EXPECT_EQ(port.events, (Events{ev(PortEvent::Diagram), ev(PortEvent::Dialog, dlg::Photometry)}));
}

// "Calculate magnitudes" refills the list (twice after a fit: the calculation refills it itself)
// and redraws each panel showing its curve; a refused fit shows its message first.
TEST(Commands, CalculateRefillsAndRedrawsTheCurveViews) {
  for (int coefficients : {0, 11}) {  // none fits (every magnitude 0), eleven is refused
    auto ws = test::twentyPairs();
    ws->calibration = {{{0, 100}}, 1}, ws->algorithm.coefficientCount = coefficients;
    ws->optionFlags = OPT_CURVE_VIEW_GREEN;
    RecordingPort port;
    dispatchCommand(*ws, port, cmd(ctl::CalculateMagnitudes));
    Events want{ev(PortEvent::ListRefill), ev(PortEvent::ListRefill), ev(Repaint, kGreen)};
    if (coefficients == 11) want.front() = ev(PortEvent::Message, str::MinimisationFailed);
    // A calculation ends with its warnings: here the stars beyond the one calibration star.
    if (coefficients == 0) {
      ASSERT_EQ(port.events.size(), 4u);
      // Each led by its code, as the batch tool writes them.
      EXPECT_EQ(port.events.back().text.rfind(std::string(kWarningsCaption) + "\n[", 0), 0u);
      EXPECT_EQ(ws->scienceWarnings, 1 + int(std::count(port.events.back().text.begin(),
                                                        port.events.back().text.end(), '\n')) /
                                             2);
      port.events.pop_back();
    }
    EXPECT_EQ(port.events, want) << coefficients;
  }
}

// ---- the dialogs' models, as the one dialog window drives them ----

class Dialogs : public ::testing::Test {
 protected:
  std::unique_ptr<DialogModel> open(DialogId dialog, int selectedBlue = 4) {
    ws->selectedStar[kBlue] = selectedBlue, ws->selectedStar[kGreen] = selectedBlue + 100;
    return openDialogModel(dialog, *ws, port);
  }
  // The state the model gives control `id`.
  template <class Id>
  static const DialogControl& shown(const DialogModel& m, Id id) {
    const auto& all = m.controls();
    return *std::find_if(all.begin(), all.end(),
                         [&](const auto& c) { return c.id == idNumber(id); });
  }
  std::unique_ptr<Workspace> ws = test::twentyPairs();
  RecordingPort port;
};

// The dialogs open on the settings: "Rotate images" greyed during the three-pair entry and
// "Manually" while it is on, "Draw calibration stars" ticked while not hidden, a calibration
// star's V and B-V in "%f" under its information text (by hand), the colour bytes.
TEST_F(Dialogs, OpenWithTheStateOfTheSettings) {
  ws->optionFlags = OPT_PAIR_ENTRY | OPT_ROTATE_IMAGES;
  StarRecord& blue = star(*ws, kBlue, 4);
  blue.brightness = 1004, blue.pixelCount = 9, blue.x = 14, blue.y = 30;
  blue.marks = MARK_CALIBRATION, blue.magnitudeV = 12.25f, blue.magnitudeB = 12.75f;
  star(*ws, kGreen, 104).brightness = 2000, star(*ws, kGreen, 104).pixelCount = 7;
  const auto algorithm = open(dlg::Algorithm);
  EXPECT_FALSE(shown(*algorithm, algodlg::RotateImages).enabled);
  EXPECT_FALSE(shown(*algorithm, algodlg::Manually).enabled);
  EXPECT_TRUE(shown(*open(dlg::Display), displaydlg::DrawCalibration).checked);
  port.notes = "Flags: hot";  // the window's words of the pair's science, below the rest
  const auto d = open(dlg::StarProperties);
  EXPECT_EQ(shown(*d, props::ScienceNotes).text, port.notes);
  EXPECT_EQ(shown(*d, props::Information).text,
            "Star #  4\nBlue brightness:  1004/ 9\nGreen brightnesst:  2000/ 7\n@( 14| 30)");
  EXPECT_EQ(std::pair(shown(*d, props::VMagnitude).text, shown(*d, props::BMinusV).text),
            std::pair(std::string("12.250000"), std::string("0.500000")));
  EXPECT_EQ(shown(*open(dlg::Colors), colorField(18)).text, "192");  // "Void" red
}

TEST_F(Dialogs, TypingBeyondABoundPutsTheBoundBack) {
  const struct {
    DialogId dialog;
    int field;
    const char* typed;
    const char* text;
    int beeps;
  } rows[] = {
      {dlg::Algorithm, idNumber(algodlg::HotPixel), "", "", 0},  // empty is 0, and stays empty
      {dlg::Display, idNumber(displaydlg::Frequency), "", "1", 1},
      {dlg::Algorithm, idNumber(algodlg::Coefficients), "11", "10", 1},
      {dlg::Display, idNumber(displaydlg::Frequency), "30", "24", 1},
      {dlg::Colors, idNumber(colorField(18)), "300", "255", 1},
      {dlg::Photometry, idNumber(photodlg::Saturation), "70000", "65535", 1},
      {dlg::Photometry, idNumber(photodlg::Gain), "1000.5", "1000", 1},
      {dlg::Photometry, idNumber(photodlg::Radius), "0.", "0.", 0},  // on its way to 0.5
  };
  for (const auto& r : rows) {
    port.clear();
    auto d = open(r.dialog);
    d->textChanged(r.field, r.typed);
    EXPECT_EQ(shown(*d, r.field).text, r.text) << r.typed;
    EXPECT_EQ(port.count(PortEvent::Beep), r.beeps) << r.typed;
  }
  EXPECT_EQ(ws->display.autoUpdateFrequency, 24) << "the frequency is stored at every edit";
}

TEST_F(Dialogs, OkWritesExactlyTheTouchedSettings) {
  ws->optionFlags = OPT_MOVE_MANUALLY | OPT_COMPLEX_OUTPUT;
  auto algorithm = open(dlg::Algorithm);
  algorithm->boxClicked(idNumber(algodlg::RotateImages), true);
  EXPECT_FALSE(shown(*algorithm, algodlg::Manually).checked ||
               shown(*algorithm, algodlg::Manually).enabled);
  algorithm->boxClicked(idNumber(algodlg::AutoBackground), true);
  algorithm->textChanged(idNumber(algodlg::Coefficients), "5");
  EXPECT_EQ(algorithm->buttonPressed(idNumber(algodlg::Ok)), DialogVerdict::Accept);
  EXPECT_EQ(ws->optionFlags, OPT_ROTATE_IMAGES | OPT_AUTO_BACKGROUND | OPT_COMPLEX_OUTPUT);
  EXPECT_EQ(ws->algorithm.coefficientCount, 5);
  EXPECT_EQ(port.state(Visible, ctl::ArrowUp), false) << "move controls hidden";

  // Complex output off and on again: still written. Of the two auto updates only the green one
  // is left running: one timer at a time.
  auto display = open(dlg::Display);
  // clang-format off
  for (auto [box, on] : {std::pair{displaydlg::ThickStars, true}, {displaydlg::ComplexOutput, false},
                         {displaydlg::ComplexOutput, true}, {displaydlg::AutoUpdateBlue, true},
                         {displaydlg::AutoUpdateGreen, true}, {displaydlg::DrawCalibration, false},
                         {displaydlg::ShowFlagged, true}})
    // clang-format on
    display->boxClicked(idNumber(box), on);
  EXPECT_EQ(display->buttonPressed(idNumber(displaydlg::Deselect)), DialogVerdict::Stay);
  EXPECT_EQ(ws->selectedStar[kBlue], -1);
  EXPECT_EQ(display->buttonPressed(idNumber(displaydlg::Ok)), DialogVerdict::Accept);
  EXPECT_EQ(ws->optionFlags, OPT_ROTATE_IMAGES | OPT_AUTO_BACKGROUND | OPT_COMPLEX_OUTPUT |
                                 OPT_THICK_CMD_STARS | OPT_AUTO_UPDATE_GREEN |
                                 OPT_HIDE_CALIBRATION | OPT_SHOW_FLAGGED);
  EXPECT_EQ(port.count(PortEvent::TimerStart), 2);
  // "Deselect" draws both panels, and so does OK for the flagged stars' rings.
  EXPECT_EQ(port.repaints(), (std::vector<int>{0, 1, 0, 1}));

  port.clear();
  auto colours = open(dlg::Colors);
  colours->textChanged(idNumber(colorField(18)), "7");  // "Void" red
  EXPECT_EQ(colours->swatches().at(kColorVoid), (Rgb{7, 192, 192}));
  EXPECT_EQ(ws->display.colorTable[18], 192) << "nothing written before OK";
  EXPECT_EQ(colours->buttonPressed(idNumber(colordlg::Ok)), DialogVerdict::Accept);
  EXPECT_EQ(ws->display.colorTable[18], 7);
  EXPECT_EQ(port.repaints(), (std::vector<int>{0, 1}));
}

// "V" and "B-V" are greyed until "Calibration star" is ticked, and again while "Ignore star" is,
// which also greys "Calibration star"; a refusal keeps the dialog open with its message over
// it; the first calibration star offers the calculation and the curve views, the last one
// withdrawn takes them away. The list's own rules are photometry/CalibrationTest's.
TEST_F(Dialogs, StarPropertiesGreysAndRefuses) {
  const ControlId calibrationControls[] = {ctl::CalculateMagnitudes, ctl::CurveViewBlue,
                                           ctl::CurveViewGreen};
  auto d = open(dlg::StarProperties);
  const int v = idNumber(props::VMagnitude), ok = idNumber(props::Ok);
  EXPECT_FALSE(shown(*d, v).enabled);
  d->boxClicked(idNumber(props::CalibrationStar), true);
  EXPECT_TRUE(shown(*d, props::BMinusV).enabled);
  EXPECT_EQ(d->buttonPressed(ok), DialogVerdict::Stay);
  EXPECT_EQ(port.messages(), std::vector{str::EnterVMagnitude});
  EXPECT_EQ(port.events.at(0).owner, MessageOwner::Dialog);
  d->textChanged(v, "12.25");
  EXPECT_EQ(d->buttonPressed(ok), DialogVerdict::Accept);
  for (ControlId id : calibrationControls) EXPECT_EQ(port.state(Enable, id), true);

  d = open(dlg::StarProperties);  // reopened on the calibration star
  d->boxClicked(idNumber(props::IgnoreStar), true);
  EXPECT_FALSE(shown(*d, props::CalibrationStar).enabled || shown(*d, v).enabled);
  d->boxClicked(idNumber(props::IgnoreStar), false);
  EXPECT_TRUE(shown(*d, v).enabled);
  d->boxClicked(idNumber(props::CalibrationStar), false);
  EXPECT_EQ(d->buttonPressed(ok), DialogVerdict::Accept);
  for (ControlId id : calibrationControls) EXPECT_EQ(port.state(Enable, id), false);
}

// "Photometry configuration" opens on the workspace's science settings (the batch tool's
// defaults: the summed brightness, everything automatic, gain 1, read noise 0, the curves),
// and OK writes what it shows, which the next calculation then uses.
TEST_F(Dialogs, PhotometryShowsAndWritesTheScienceSettings) {
  namespace p = photodlg;
  auto d = open(dlg::Photometry);
  for (auto id : {p::Sum, p::RadiusAutomatic, p::SaturationAutomatic, p::Curves})
    EXPECT_TRUE(shown(*d, id).checked && shown(*d, id).enabled) << idNumber(id);
  EXPECT_FALSE(shown(*d, p::Radius).enabled || shown(*d, p::AnnulusOuter).enabled);
  EXPECT_EQ(shown(*d, p::Gain).text + "/" + shown(*d, p::ReadNoise).text, "1/0");
  for (auto box : {p::Aperture, p::Transform, p::KeepFlagged}) d->boxClicked(idNumber(box), true);
  for (auto box : {p::RadiusAutomatic, p::AnnulusAutomatic}) d->boxClicked(idNumber(box), false);
  EXPECT_TRUE(shown(*d, p::AnnulusInner).enabled && !shown(*d, p::Sum).checked);
  d->textChanged(idNumber(p::Radius), "3.5");
  d->textChanged(idNumber(p::AnnulusInner), "6");
  d->textChanged(idNumber(p::AnnulusOuter), "10.25");
  d->textChanged(idNumber(p::Gain), "2.5");
  EXPECT_EQ(d->buttonPressed(idNumber(p::Ok)), DialogVerdict::Accept);
  const ScienceSettings& s = ws->science;
  EXPECT_EQ(std::tuple(s.aperture, s.radius, s.inner, s.outer, s.gain, s.readNoise, s.saturation,
                       s.transform, s.keepFlagged),
            std::tuple(true, 3.5, 6.0, 10.25, 2.5, 0.0, 0, true, true));
  d = open(dlg::Photometry);  // reopened on what OK wrote
  EXPECT_EQ(shown(*d, p::AnnulusOuter).text, "10.25");
  EXPECT_TRUE(shown(*d, p::Transform).checked && shown(*d, p::Radius).enabled);
}

// A value out of the batch tool's bounds for its option is refused at OK with its message over
// the dialog, which stays open and writes nothing; an "Automatic" box ticked again passes
// whatever its fields hold. A field left to the user but empty or 0 counts as out of bounds.
TEST_F(Dialogs, PhotometryRefusesWhatTheBatchToolRefuses) {
  using F = std::pair<PhotometryControl, const char*>;
  namespace p = photodlg;
  const struct {
    std::vector<PhotometryControl> unticked;
    std::vector<F> typed;
    StringId refusal;  // kNoString: accepted
  } rows[] = {
      {{p::RadiusAutomatic}, {{p::Radius, "0.4"}}, str::BadApertureRadius},
      {{p::RadiusAutomatic}, {{p::Radius, ""}}, str::BadApertureRadius},
      {{p::RadiusAutomatic}, {{p::Radius, "0.5"}}, kNoString},
      {{p::AnnulusAutomatic}, {{p::AnnulusInner, "8"}}, str::BadAnnulus},
      {{p::AnnulusAutomatic}, {{p::AnnulusInner, "8"}, {p::AnnulusOuter, "8"}}, str::BadAnnulus},
      {{p::AnnulusAutomatic, p::RadiusAutomatic},
       {{p::Radius, "6"}, {p::AnnulusInner, "5"}, {p::AnnulusOuter, "9"}},
       str::AnnulusInsideAperture},
      {{p::AnnulusAutomatic}, {{p::AnnulusInner, "5"}, {p::AnnulusOuter, "30"}}, kNoString},
      {{}, {{p::Gain, "0.001"}}, str::BadGain},
      {{}, {{p::ReadNoise, "-1"}}, str::BadReadNoise},
      {{p::SaturationAutomatic}, {{p::Saturation, "0"}}, str::BadSaturation},
      {{p::SaturationAutomatic}, {{p::Saturation, "40000"}}, kNoString},
      {{}, {{p::Radius, "0.1"}, {p::Saturation, "0"}}, kNoString},  // automatic
  };
  for (const auto& r : rows) {
    ws->science = ScienceSettings{};
    port.clear();
    auto d = open(dlg::Photometry);
    for (PhotometryControl box : r.unticked) d->boxClicked(idNumber(box), false);
    for (const auto& [field, text] : r.typed) d->textChanged(idNumber(field), text);
    d->boxClicked(idNumber(p::KeepFlagged), true);  // shows whether OK wrote
    const bool refused = r.refusal != kNoString;
    const std::string name = r.typed.front().second;
    EXPECT_EQ(d->buttonPressed(idNumber(p::Ok)),
              refused ? DialogVerdict::Stay : DialogVerdict::Accept)
        << name;
    EXPECT_EQ(port.messages(), refused ? std::vector{r.refusal} : std::vector<StringId>{}) << name;
    EXPECT_TRUE(!refused || port.events.at(0).owner == MessageOwner::Dialog) << name;
    EXPECT_EQ(ws->science.keepFlagged, !refused) << name;
  }
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
  star(*ws, kBlue, 0).magnitudeB = 12.345f, star(*ws, kBlue, 0).magnitudeV = 11.5f;
  star(*ws, kBlue, 1).magnitudeB = 9.96f, star(*ws, kBlue, 1).magnitudeV = 9.0f;
  ws->progressFlags |= PRG_CALIBRATION_STAR;
  EXPECT_EQ(texts(*ws),
            (std::vector<std::string>{"0,0:1|150|2.1761|1|150|2.1761|1|12.3/11.5|",
                                      "1,1:2|550|2.7404|1|550|2.7404|1|10.0/ 9.0|",
                                      "2,-1:3|950|2.9777|1|||||", "-1,2:3||||350|2.5441|1||"}));
  // Two blue stars with one partner: two pair rows, no green row; beyond 15 characters is cut.
  star(*ws, kBlue, 2).partner = 1, star(*ws, kBlue, 1).magnitudeB = -12345678.0f;
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
