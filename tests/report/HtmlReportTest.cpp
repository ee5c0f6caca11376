// The HTML report written out by hand, and the Save command that writes it
// or a diagram under the name the extension rule gives; the writer's errors
// (message 5) are seen through the batch program.
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

#include "report/HtmlReport.h"
#include "report/SaveCommand.h"
#include "tests/report/ReportTestSupport.h"

namespace orelith {
namespace {

namespace fs = std::filesystem;

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

// One cell; the header cells carry backslashes before their quotes.
std::string cell(const std::string& content, const std::string& quote = "\"") {
  return "      <td valign=" + quote + "Top" + quote + ">" + content + "<br>\n      </td>\n";
}

std::string headerRow(std::initializer_list<const char*> names) {
  std::string out;
  for (const char* name : names) out += cell(name, "\\\"");
  return out + "    </tr>\n";
}

std::string row(std::initializer_list<std::string> cells) {
  std::string out = "    <tr valign=\"Top\">\n";
  for (const std::string& c : cells) out += cell(c);
  return out + "    </tr>\n";
}

const std::string kComplexHeader =
    headerRow({"Star #", "Position", "Brightness(B)", "lg(B)", "Mag(B)", "Brightness(V)", "lg(V)",
               "Mag(V)", "B-V", "V"});
const std::string kSimpleHeader = headerRow({"Star #", "Position", "B-V", "V"});
const std::string kTableEnd = "  \n  </tbody>\n</table>\n";

// Two blue and two green stars: blue 1 / green 2 a plain pair, blue 2 large
// and unpaired, green 1 unpaired; overlap 3, so height 28 * 4 - 3 = 109; a
// blue file title with every character that needs escaping.
std::unique_ptr<Workspace> smallField() {
  auto ws = test::makeWorkspace();
  ws->starCount[kBlue] = ws->starCount[kGreen] = 2;
  // lg 1.2345f is 1.23450005 and prints 1.235; the double 1.2345 would print
  // 1.234, so this shows the float is what gets printed.
  star(*ws, kBlue, 0) = {5000, 12, 34, 0, 1, 0, 12.5f, 11.75f, 1.2345f, {}};
  star(*ws, kBlue, 1) = {300, 200, 100, 0, -1, MARK_LARGE, 0.0f, 0.0f, 2.477f, {}};
  star(*ws, kGreen, 0) = {250, 5, 6, 0, -1, 0, 0.0f, 0.0f, 2.398f, {}};
  star(*ws, kGreen, 1) = {4000, 14, 33, 0, 0, 0, 0.0f, 0.0f, 3.5f, {}};
  ws->overlapCount = 3;
  std::strcpy(ws->fileTitle[kBlue], "a<b>&\"c.st6");  // printed escaped
  std::strcpy(ws->fileTitle[kGreen], "g.st6");
  ws->backgroundLevel[kBlue] = 100, ws->backgroundLevel[kGreen] = 200;
  ws->algorithm.coefficientCount = 2;
  ws->curves[kBlue][0] = 20.5, ws->curves[kBlue][1] = -2.25;
  ws->curves[kBlue][2] = 99.0;  // beyond n: not printed
  ws->curves[kGreen][0] = 19.0, ws->curves[kGreen][1] = 1.5;
  return ws;
}

TEST(HtmlReport, BothFormsMatchHandWrittenText) {
  auto ws = smallField();
  ws->optionFlags |= OPT_COMPLEX_OUTPUT;
  const std::string expected = head(109) + kComplexHeader +
                               row({"1", "@(12|34)", "5000", "1.235", "12.500", "4000", "3.500",
                                    "11.750", "0.750", "11.750"}) +
                               row({"<font color=\"#ff0000\">2</font>", "@(200|100)", "300",
                                    "2.477", "0.000", "", "", "", "", ""}) +
                               row({"4", "@(5|6)", "", "", "", "250", "2.398", "", "", ""}) +
                               kTableEnd +
                               "<br>\n"
                               "Blue: 2 Stars in a&lt;b&gt;&amp;&quot;c.st6 above 100<br>\n"
                               "Green: 2 Stars in g.st6 above 200<br>\n"
                               "3 corresponding stars<br>\n"
                               "Blue: B(x)=20.500*x^0-2.250*x^1<br>\n"
                               "Green: V(x)=19.000*x^01.500*x^1<br>\n"
                               "</body>\n</html>\n";
  EXPECT_EQ(reportText(*ws), expected);
  ws->algorithm.coefficientCount = 0;  // no terms at all
  EXPECT_NE(reportText(*ws).find("<br>\nBlue: B(x)=<br>\nGreen: V(x)=<br>\n</body>"),
            std::string::npos);
  ws->optionFlags &= ~OPT_COMPLEX_OUTPUT;
  EXPECT_EQ(reportText(*ws), head(109) + kSimpleHeader + row({"1", "@(12|34)", "0.750", "11.750"}) +
                                 kTableEnd + "</html>\n");
}

// The text of the first data row: what follows the header row's end.
std::string firstRow(const std::string& text, const std::string& header) {
  std::size_t at = text.find(header);
  if (at == std::string::npos) return {};
  at += header.size() + std::strlen("    <tr valign=\"Top\">\n");
  return text.substr(at, text.find('\n', at) - at + 1);
}

std::string font(const char* colour, const std::string& text) {
  return "<font color=\"" + std::string(colour) + "\">" + text + "</font>";
}

TEST(HtmlReport, PairNumberIsRedForHotOrLargeOfEitherStarThenGreyForIgnored) {
  const char *red = "#ff0000", *grey = "#808080";
  // Name, blue and green marks, colour of the number (nullptr: plain), shown in the simple form.
  const std::tuple<const char*, std::uint32_t, std::uint32_t, const char*, bool> rows[] = {
      {"Plain", 0, 0, nullptr, true},
      {"BlueHot", MARK_HOT, 0, red, true},
      {"GreenLarge", 0, MARK_LARGE, red, true},
      {"Ignored", MARK_IGNORE, 0, grey, false},
      {"IgnoredGreenLarge", MARK_IGNORE, MARK_LARGE, red, false},
      {"GreenIgnoreDoesNotCount", 0, MARK_IGNORE, nullptr, true}};
  for (const auto& [name, blueMarks, greenMarks, colour, inSimpleForm] : rows) {
    auto ws = smallField();
    star(*ws, kBlue, 0).marks = blueMarks;
    star(*ws, kGreen, 1).marks = greenMarks;
    const std::string cell =
        "      <td valign=\"Top\">" + (colour ? font(colour, "1") : "1") + "<br>\n";
    ws->optionFlags |= OPT_COMPLEX_OUTPUT;
    EXPECT_EQ(firstRow(reportText(*ws), kComplexHeader), cell) << name;
    ws->optionFlags &= ~OPT_COMPLEX_OUTPUT;
    const std::string simple = reportText(*ws);
    EXPECT_EQ(simple.find("@(12|34)") != std::string::npos, inSimpleForm) << name;
    EXPECT_EQ(firstRow(simple, kSimpleHeader) == cell, inSimpleForm) << name;
  }
}

TEST(HtmlReport, UnpairedRowsAreRedOrPlainNeverGreyAndGreenNumbersSkipOne) {
  auto ws = test::makeWorkspace();
  ws->optionFlags |= OPT_COMPLEX_OUTPUT;
  ws->starCount[kBlue] = ws->starCount[kGreen] = 3;
  star(*ws, kBlue, 0) = {10, 1, 1, 0, -1, MARK_IGNORE, 0.0f, 0.0f, 1.0f, {}};
  star(*ws, kBlue, 1) = {20, 2, 2, 0, -1, MARK_HOT, 0.0f, 0.0f, 1.3f, {}};
  star(*ws, kBlue, 2) = {30, 3, 3, 0, 1, 0, 0.0f, 0.0f, 1.5f, {}};
  star(*ws, kGreen, 0) = {40, 4, 4, 0, -1, MARK_LARGE, 0.0f, 0.0f, 1.6f, {}};
  star(*ws, kGreen, 1) = {50, 5, 5, 0, 2, 0, 0.0f, 0.0f, 1.7f, {}};
  star(*ws, kGreen, 2) = {60, 6, 6, 0, -1, 0, 0.0f, 0.0f, 1.8f, {}};
  // The pair (3) first, then the unpaired blue 1 (ignored: plain) and 2; the
  // blue count is 3, so the unpaired green stars are 5 and 6. Height 28 * 6.
  const std::string expected =
      head(168) + kComplexHeader +
      row({"3", "@(3|3)", "30", "1.500", "0.000", "50", "1.700", "0.000", "0.000", "0.000"}) +
      row({"1", "@(1|1)", "10", "1.000", "0.000", "", "", "", "", ""}) +
      row({font("#ff0000", "2"), "@(2|2)", "20", "1.300", "0.000", "", "", "", "", ""}) +
      row({font("#ff0000", "5"), "@(4|4)", "", "", "", "40", "1.600", "", "", ""}) +
      row({"6", "@(6|6)", "", "", "", "60", "1.800", "", "", ""}) + kTableEnd;
  EXPECT_EQ(reportText(*ws).substr(0, expected.size()), expected);
}

TEST(ExtensionRule, AppendsByFilterOnlyWithoutExtension) {
  // Chosen name, filter, name written ("" for refused: message 18).
  const std::tuple<const char*, int, const char*> rows[] = {
      {"report", 1, "report.html"},
      {"report", 3, "report.bmp"},
      {"report", 0, ""},
      {"report", 4, ""},
      {"report.txt", 1, "report.txt"},
      {"report.txt", 0, "report.txt"},
      {"/tmp/run.d/report", 1, "/tmp/run.d/report.html"},  // a folder's dot is no extension
      {"dir/.report", 3, "dir/.report.bmp"},               // nor is a hidden file's
      {"report.", 1, "report..html"}};                     // an empty extension gets one appended
  for (const auto& [name, filter, result] : rows) {
    test::RecordingPort port;
    const bool refused = *result == '\0';
    bool ok = refused;
    EXPECT_EQ(applyExtensionRule(name, filter, port, ok), refused ? name : result) << name;
    EXPECT_EQ(ok, !refused) << name;
    EXPECT_EQ(port.messages(), refused ? std::vector<int>{18} : std::vector<int>{}) << name;
  }
}

class SaveCommand : public test::ReportFolder {
 protected:
  void SetUp() override {
    ReportFolder::SetUp();
    ws_->openFilterIndex = 4;
    addPair(7.5f, 6.5f);
  }
  int save(const std::string& name, int filter) {
    return saveOutput(*ws_, port_, (dir_ / "out" / name).string(), filter, {templates()});
  }
};

TEST_F(SaveCommand, EachFilterWritesItsFileUnderTheExtendedName) {
  fs::create_directory(dir_ / "out");
  EXPECT_EQ(save("result", 1), 0);
  EXPECT_EQ(save("mono", 2), 0);
  EXPECT_EQ(save("colour", 3), 0);
  EXPECT_EQ(save("result", 0), 1);       // message 18: no extension for this filter
  EXPECT_EQ(save("other.html", 7), 0);   // an unknown filter writes nothing
  EXPECT_EQ(save("bitmap.html", 2), 0);  // a bitmap filter never writes the report
  EXPECT_EQ(port_.messages(), std::vector<int>{18});
  EXPECT_EQ(test::dirEntries(dir_ / "out"),
            (std::vector<std::string>{"bitmap.html", "colour.bmp", "mono.bmp", "result.html"}));
  const std::string report = test::readText(dir_ / "out" / "result.html");
  EXPECT_EQ(report, withCrLf(reportText(*ws_)));
  EXPECT_NE(report.find("<td valign=\\\"Top\\\">Star #<br>\r\n      </td>\r\n"), std::string::npos);
  EXPECT_EQ(fs::file_size(dir_ / "out" / "mono.bmp"), kCmdMonochromeSize);
  EXPECT_EQ(fs::file_size(dir_ / "out" / "bitmap.html"), kCmdMonochromeSize);
  EXPECT_EQ(fs::file_size(dir_ / "out" / "colour.bmp"), kCmdColourSize);
  EXPECT_EQ(ws_->filePath, (dir_ / "out" / "bitmap.html").string());
  EXPECT_EQ(ws_->openFilterIndex, 4);
}

}  // namespace
}  // namespace orelith
