#include <gtest/gtest.h>

#include <cstring>

#include "report/HtmlReport.h"
#include "tests/report/ReportTestSupport.h"
#include "tests/support/RecordingPort.h"
#include "tests/support/TestWorkspace.h"

namespace orelith {
namespace {

using test::pair;
using test::setStar;
using test::StarValues;

// The expected texts below are written out by hand from the rules of the
// report; "\n" ends every line (the file gets "\r\n").
std::string head(int height) {
  return R"html(<!DOCTYPE html PUBLIC "-//W3C//DTD HTML 4.01 Transitional//EN">
<html>
<head>
  
  <meta http-equiv="content-type" CONTENT="text/html; charset=windows-1253">
  <title>Kelvara Output</title>
</head>
<body>
<table cellpadding="2" cellspacing="2" border="1" width="100%" height=")html" +
         std::to_string(height) + R"html(">
  <tbody>
    <tr valign="Top">
)html";
}

const std::string kComplexHeader = R"html(      <td valign=\"Top\">Star #<br>
      </td>
      <td valign=\"Top\">Position<br>
      </td>
      <td valign=\"Top\">Brightness(B)<br>
      </td>
      <td valign=\"Top\">lg(B)<br>
      </td>
      <td valign=\"Top\">Mag(B)<br>
      </td>
      <td valign=\"Top\">Brightness(V)<br>
      </td>
      <td valign=\"Top\">lg(V)<br>
      </td>
      <td valign=\"Top\">Mag(V)<br>
      </td>
      <td valign=\"Top\">B-V<br>
      </td>
      <td valign=\"Top\">V<br>
      </td>
)html";

const std::string kSimpleHeader = R"html(      <td valign=\"Top\">Star #<br>
      </td>
      <td valign=\"Top\">Position<br>
      </td>
      <td valign=\"Top\">B-V<br>
      </td>
      <td valign=\"Top\">V<br>
      </td>
)html";

const std::string kEmptyCell = "      <td valign=\"Top\"><br>\n      </td>\n";

std::string repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

// Two blue and two green stars: blue 1 / green 2 a plain pair, blue 2 large
// and unpaired, green 1 unpaired; overlap 3, so height 28 * 4 - 3 = 109.
std::unique_ptr<Workspace> smallField() {
  auto ws = test::makeWorkspace();
  ws->starCount[kBlue] = 2;
  ws->starCount[kGreen] = 2;
  // lg 1.2345f is 1.23450005 and prints 1.235; the double 1.2345 would print
  // 1.234, so this shows the float is what gets printed.
  setStar(*ws, kBlue, 0, {5000, 12, 34, 1.2345f, -1, 0, 12.5f, 11.75f});
  setStar(*ws, kBlue, 1, {300, 200, 100, 2.477f, -1, MARK_LARGE, 0.0f, 0.0f});
  setStar(*ws, kGreen, 0, {250, 5, 6, 2.398f, -1, 0, 0.0f, 0.0f});
  setStar(*ws, kGreen, 1, {4000, 14, 33, 3.5f, -1, 0, 0.0f, 0.0f});
  pair(*ws, 0, 1);
  ws->overlapCount = 3;
  std::strcpy(ws->fileTitle[kBlue], "b.st6");
  std::strcpy(ws->fileTitle[kGreen], "g.st6");
  ws->backgroundLevel[kBlue] = 100;
  ws->backgroundLevel[kGreen] = 200;
  ws->algorithm.coefficientCount = 2;
  ws->curves[kBlue][0] = 20.5;
  ws->curves[kBlue][1] = -2.25;
  ws->curves[kBlue][2] = 99.0;  // beyond n: not printed
  ws->curves[kGreen][0] = 19.0;
  ws->curves[kGreen][1] = 1.5;
  return ws;
}

TEST(HtmlReport, ComplexFormMatchesHandWrittenText) {
  auto ws = smallField();
  ws->optionFlags |= OPT_COMPLEX_OUTPUT;
  std::string expected = head(109) + kComplexHeader + R"html(    </tr>
    <tr valign="Top">
      <td valign="Top">1<br>
      </td>
      <td valign="Top">@(12|34)<br>
      </td>
      <td valign="Top">5000<br>
      </td>
      <td valign="Top">1.235<br>
      </td>
      <td valign="Top">12.500<br>
      </td>
      <td valign="Top">4000<br>
      </td>
      <td valign="Top">3.500<br>
      </td>
      <td valign="Top">11.750<br>
      </td>
      <td valign="Top">0.750<br>
      </td>
      <td valign="Top">11.750<br>
      </td>
    </tr>
    <tr valign="Top">
      <td valign="Top"><font color="#ff0000">2</font><br>
      </td>
      <td valign="Top">@(200|100)<br>
      </td>
      <td valign="Top">300<br>
      </td>
      <td valign="Top">2.477<br>
      </td>
      <td valign="Top">0.000<br>
      </td>
)html" + repeat(kEmptyCell, 5) +
                         R"html(    </tr>
    <tr valign="Top">
      <td valign="Top">4<br>
      </td>
      <td valign="Top">@(5|6)<br>
      </td>
)html" + repeat(kEmptyCell, 3) +
                         R"html(      <td valign="Top">250<br>
      </td>
      <td valign="Top">2.398<br>
      </td>
)html" + repeat(kEmptyCell, 3) +
                         R"html(    </tr>
  
  </tbody>
</table>
<br>
Blue: 2 Stars in b.st6 above 100<br>
Green: 2 Stars in g.st6 above 200<br>
3 corresponding stars<br>
Blue: B(x)=20.500*x^0-2.250*x^1<br>
Green: V(x)=19.000*x^01.500*x^1<br>
</body>
</html>
)html";
  EXPECT_EQ(reportText(*ws), expected);
}

TEST(HtmlReport, SimpleFormMatchesHandWrittenText) {
  auto ws = smallField();
  std::string expected = head(109) + kSimpleHeader + R"html(    </tr>
    <tr valign="Top">
      <td valign="Top">1<br>
      </td>
      <td valign="Top">@(12|34)<br>
      </td>
      <td valign="Top">0.750<br>
      </td>
      <td valign="Top">11.750<br>
      </td>
    </tr>
  
  </tbody>
</table>
</html>
)html";
  EXPECT_EQ(reportText(*ws), expected);
}

TEST(HtmlReport, SimpleFormWithEveryPairIgnoredHoldsOnlyTheHeaderRow) {
  auto ws = smallField();
  star(*ws, kBlue, 0).marks |= MARK_IGNORE;
  EXPECT_EQ(reportText(*ws),
            head(109) + kSimpleHeader + "    </tr>\n  \n  </tbody>\n</table>\n</html>\n");
}

TEST(HtmlReport, EmptyWorkspaceStillGivesAReport) {
  auto ws = test::makeWorkspace();
  ws->optionFlags |= OPT_COMPLEX_OUTPUT;
  std::string text = reportText(*ws);
  EXPECT_EQ(text.substr(0, head(0).size()), head(0));
  EXPECT_NE(text.find("Blue: 0 Stars in  above 0<br>\nGreen: 0 Stars in  above 0<br>\n0 "
                      "corresponding stars<br>\n"),
            std::string::npos);
}

struct NumberCase {
  const char* name;
  std::uint32_t blueMarks;
  std::uint32_t greenMarks;
  const char* complexCell;  // the number cell of the pair's row
  bool inSimpleForm;
  const char* simpleCell;
};

const char kPlain[] = "      <td valign=\"Top\">1<br>\n";
const char kRed[] = "      <td valign=\"Top\"><font color=\"#ff0000\">1</font><br>\n";
const char kGrey[] = "      <td valign=\"Top\"><font color=\"#808080\">1</font><br>\n";

class PairNumberColour : public ::testing::TestWithParam<NumberCase> {};

// The text of the first data row: what follows the header row's end.
std::string firstRow(const std::string& text, const std::string& header) {
  std::size_t at = text.find(header);
  if (at == std::string::npos) return {};
  at += header.size() + std::strlen("    </tr>\n    <tr valign=\"Top\">\n");
  return text.substr(at, text.find('\n', at) - at + 1);
}

TEST_P(PairNumberColour, RedForHotOrLargeOfEitherStarWinsOverGrey) {
  const NumberCase& c = GetParam();
  auto ws = smallField();
  star(*ws, kBlue, 0).marks = c.blueMarks;
  star(*ws, kGreen, 1).marks = c.greenMarks;
  ws->optionFlags |= OPT_COMPLEX_OUTPUT;
  EXPECT_EQ(firstRow(reportText(*ws), kComplexHeader), c.complexCell);
  ws->optionFlags &= ~OPT_COMPLEX_OUTPUT;
  std::string simple = reportText(*ws);
  EXPECT_EQ(simple.find("@(12|34)") != std::string::npos, c.inSimpleForm);
  if (c.inSimpleForm) {
    EXPECT_EQ(firstRow(simple, kSimpleHeader), c.simpleCell);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Marks, PairNumberColour,
    ::testing::Values(NumberCase{"Plain", 0, 0, kPlain, true, kPlain},
                      NumberCase{"BlueHot", MARK_HOT, 0, kRed, true, kRed},
                      NumberCase{"BlueLarge", MARK_LARGE, 0, kRed, true, kRed},
                      NumberCase{"GreenHot", 0, MARK_HOT, kRed, true, kRed},
                      NumberCase{"GreenLarge", 0, MARK_LARGE, kRed, true, kRed},
                      NumberCase{"Calibration", MARK_CALIBRATION, MARK_CALIBRATION, kPlain, true,
                                 kPlain},
                      NumberCase{"Ignored", MARK_IGNORE, 0, kGrey, false, ""},
                      NumberCase{"IgnoredAndHot", MARK_IGNORE | MARK_HOT, 0, kRed, false, ""},
                      NumberCase{"IgnoredGreenLarge", MARK_IGNORE, MARK_LARGE, kRed, false, ""},
                      NumberCase{"GreenIgnoreDoesNotCount", 0, MARK_IGNORE, kPlain, true, kPlain}),
    [](const auto& c) { return std::string(c.param.name); });

TEST(HtmlReport, UnpairedRowsAreRedOrPlainNeverGreyAndGreenNumbersSkipOne) {
  auto ws = test::makeWorkspace();
  ws->optionFlags |= OPT_COMPLEX_OUTPUT;
  ws->starCount[kBlue] = 3;
  ws->starCount[kGreen] = 3;
  setStar(*ws, kBlue, 0, {10, 1, 1, 1.0f, -1, MARK_IGNORE, 0.0f, 0.0f});
  setStar(*ws, kBlue, 1, {20, 2, 2, 1.3f, -1, MARK_HOT, 0.0f, 0.0f});
  setStar(*ws, kBlue, 2, {30, 3, 3, 1.5f, -1, 0, 0.0f, 0.0f});
  setStar(*ws, kGreen, 0, {40, 4, 4, 1.6f, -1, MARK_LARGE, 0.0f, 0.0f});
  setStar(*ws, kGreen, 1, {50, 5, 5, 1.7f, -1, 0, 0.0f, 0.0f});
  setStar(*ws, kGreen, 2, {60, 6, 6, 1.8f, -1, 0, 0.0f, 0.0f});
  pair(*ws, 2, 1);
  std::string text = reportText(*ws);
  // Blue rows: the pair (3) first, then the unpaired 1 (ignored: plain) and 2.
  std::size_t pairRow = text.find("<td valign=\"Top\">3<br>");
  std::size_t blue1 =
      text.find("<td valign=\"Top\">1<br>\n      </td>\n      <td valign=\"Top\">@(1|1)");
  std::size_t blue2 = text.find(
      "<font color=\"#ff0000\">2</font><br>\n      </td>\n      <td "
      "valign=\"Top\">@(2|2)");
  // Green rows: blue count 3, so the unpaired green stars are 5 and 6.
  std::size_t green1 = text.find(
      "<font color=\"#ff0000\">5</font><br>\n      </td>\n      <td "
      "valign=\"Top\">@(4|4)");
  std::size_t green3 =
      text.find("<td valign=\"Top\">6<br>\n      </td>\n      <td valign=\"Top\">@(6|6)");
  ASSERT_NE(pairRow, std::string::npos);
  ASSERT_NE(blue1, std::string::npos);
  ASSERT_NE(blue2, std::string::npos);
  ASSERT_NE(green1, std::string::npos);
  ASSERT_NE(green3, std::string::npos);
  EXPECT_LT(pairRow, blue1);
  EXPECT_LT(blue1, blue2);
  EXPECT_LT(blue2, green1);
  EXPECT_LT(green1, green3);
  EXPECT_EQ(text.find("#808080"), std::string::npos);
  EXPECT_EQ(text.find("@(5|5)"), std::string::npos);  // the paired green star has no row
  EXPECT_EQ(text.find(">4<br>"), std::string::npos);
}

TEST(HtmlReport, NoCoefficientsGiveBareCurveLines) {
  auto ws = smallField();
  ws->optionFlags |= OPT_COMPLEX_OUTPUT;
  ws->algorithm.coefficientCount = 0;
  std::string text = reportText(*ws);
  EXPECT_NE(text.find("stars<br>\nBlue: B(x)=<br>\nGreen: V(x)=<br>\n</body>\n</html>\n"),
            std::string::npos);
}

TEST(HtmlReport, HeightIs28PerStarLessTheOverlap) {
  auto ws = test::makeWorkspace();
  ws->starCount[kBlue] = 10;
  ws->starCount[kGreen] = 8;
  ws->overlapCount = 6;
  for (int k = 0; k < 10; ++k) setStar(*ws, kBlue, k, {});
  for (int k = 0; k < 8; ++k) setStar(*ws, kGreen, k, {});
  EXPECT_NE(reportText(*ws).find("width=\"100%\" height=\"498\">"), std::string::npos);
}

TEST(HtmlReport, FileTitlesAreEscaped) {
  auto ws = smallField();
  ws->optionFlags |= OPT_COMPLEX_OUTPUT;
  std::strcpy(ws->fileTitle[kBlue], "a<b>&\"c.st6");
  std::string text = reportText(*ws);
  EXPECT_NE(text.find("Blue: 2 Stars in a&lt;b&gt;&amp;&quot;c.st6 above 100<br>"),
            std::string::npos);
  EXPECT_EQ(text.find("a<b>"), std::string::npos);
}

TEST(HtmlReport, EscapingTable) {
  struct Case {
    const char* in;
    const char* out;
  };
  for (const Case& c :
       {Case{"", ""}, Case{"plain.st6", "plain.st6"}, Case{"&", "&amp;"}, Case{"<>", "&lt;&gt;"},
        Case{"\"q\"", "&quot;q&quot;"}, Case{"it's", "it's"}, Case{"&amp;", "&amp;amp;"}}) {
    EXPECT_EQ(htmlEscaped(c.in), c.out) << c.in;
  }
}

TEST(HtmlReport, LineEndsBecomeCrLf) {
  EXPECT_EQ(withCrLf("a\nb\n\nc"), "a\r\nb\r\n\r\nc");
  EXPECT_EQ(withCrLf("none"), "none");
}

TEST(HtmlReport, WriteReportWritesTheTextWithCrLf) {
  auto ws = smallField();
  ws->optionFlags |= OPT_COMPLEX_OUTPUT;
  auto dir = test::makeTempDir();
  test::RecordingPort port;
  EXPECT_EQ(writeReport(*ws, port, (dir / "r.html").string()), 0);
  EXPECT_TRUE(port.messages().empty());
  std::string file = test::readText(dir / "r.html");
  EXPECT_EQ(file, withCrLf(reportText(*ws)));
  EXPECT_NE(file.find("<td valign=\\\"Top\\\">Star #<br>\r\n"), std::string::npos);
  EXPECT_EQ(test::dirEntries(dir), std::vector<std::string>{"r.html"});
  std::filesystem::remove_all(dir);
}

TEST(HtmlReport, UncreatableFileGivesMessage5) {
  auto ws = smallField();
  auto dir = test::makeTempDir();
  test::RecordingPort port;
  EXPECT_EQ(writeReport(*ws, port, (dir / "missing" / "r.html").string()), 1);
  EXPECT_EQ(port.messages(), std::vector<int>{5});
  EXPECT_EQ(port.events.at(0).owner, MessageOwner::MainWindow);
  EXPECT_TRUE(test::dirEntries(dir).empty());
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace orelith
