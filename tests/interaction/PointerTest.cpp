#include <gtest/gtest.h>

#include <array>
#include <string>

#include "interaction/Pointer.h"
#include "interaction/Selection.h"
#include "interaction/StarList.h"
#include "resources/ControlIds.h"
#include "tests/interaction/Fixture.h"
#include "tests/support/RecordingPort.h"

namespace orelith {
namespace {

using test::PortEvent;
using test::RecordingPort;

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
  const auto ws = test::searchedPair(false);
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
    auto ws = test::searchedPair(row.paired);
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
  auto ws = test::searchedPair(true);
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
  EXPECT_EQ(port.events,
            (std::vector<PortEvent>{{PortEvent::Dialog, dlg::StarProperties, false, {}},
                                    {PortEvent::Repaint, 1, false, {}}}));
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
  auto ws = test::searchedPair(false);
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

  ws = test::searchedPair(true);
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
