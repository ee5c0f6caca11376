#include <gtest/gtest.h>

#include <string>

#include "interaction/StarList.h"
#include "tests/interaction/Fixture.h"

namespace orelith {
namespace {

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
