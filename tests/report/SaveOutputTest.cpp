// What Save writes: the HTML report written out by hand, the diagrams pixel by pixel, each under
// the extended name; the report's "Unable to create file." is seen through the batch program.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <set>
#include <tuple>

#include "report/HtmlReport.h"
#include "report/SaveCommand.h"
#include "tests/report/ReportTestSupport.h"

namespace orelith {
namespace {

namespace fs = std::filesystem;

// The expected texts below are written by hand from the report's rules; "\n" ends every line.
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

// Blue 1 / green 2 a plain pair, blue 2 large and unpaired, green 1 unpaired; overlap 3, so
// height 28 * 4 - 3 = 109; a blue file title with every character that needs escaping.
std::unique_ptr<Workspace> smallField() {
  auto ws = test::makeWorkspace();
  ws->starCount[kBlue] = ws->starCount[kGreen] = 2;
  // lg 1.2345f is 1.23450005 and prints 1.235; the double 1.2345 would print 1.234.
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
    star(*ws, kBlue, 0).marks = blueMarks, star(*ws, kGreen, 1).marks = greenMarks;
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
  // The pair (3) first, then the unpaired blue 1 (ignored: plain) and 2; the blue count is 3, so
  // the unpaired green stars are 5 and 6. Height 28 * 6.
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
  // Chosen name, filter, name written ("" for refused: "Unable to extend filename.").
  const std::tuple<const char*, int, const char*> rows[] = {
      {"report", 1, "report.html"},
      {"report", 3, "report.bmp"},
      {"report", 0, ""},
      {"report", 4, ""},
      {"report.txt", 1, "report.txt"},
      {"report.txt", 0, "report.txt"},
      {"/tmp/run.d/report", 1, "/tmp/run.d/report.html"},  // a folder's dot is no extension
      {"dir/.report", 3, "dir/.report.bmp"},               // nor is a hidden file's
      {"report.", 1, "report..html"},                      // an empty extension gets one appended
      {"/dev/null", 2, "/dev/null"},                       // a device is written as it is named
      {"/dev/null", 0, "/dev/null"}};
  auto ws = test::makeWorkspace();
  for (const auto& [name, filter, result] : rows) {
    const bool refused = *result == '\0';
    EXPECT_EQ(extendedName(name, filter), refused ? name : result) << name;
    if (filter != 0 && filter != 4) continue;  // only the filters that write nothing are saved
    EXPECT_EQ(saveOutput(*ws, name, filter, {}).message,
              refused ? std::optional(str::UnableToExtendFilename) : std::nullopt)
        << name;
  }
}

constexpr int kMono = kCmdMonochrome;
constexpr int kColour = kCmdColour;

// The difference of two float magnitudes above 4.8 is a multiple of 2^-21, never -0.7 or 1.9
// exactly: the boundary cases use the last float inside each bound and the first one beyond.

struct PixelCase {
  const char* name;
  float b;
  float v;
  bool plotted;
  CmdPixel mono;
  CmdPixel colour;
};

float after(float x) { return std::nextafter(x, std::numeric_limits<float>::infinity()); }
float before(float x) { return std::nextafter(x, -std::numeric_limits<float>::infinity()); }

// With V = 17.4999981 (the float below 17.5) this B gives B - V = 996147 * 2^-19 = 1.8999996,
// the largest difference below 1.9 at that V.
constexpr float kFaintRedB = 19.3999977f;

// Worked by hand with the rule x = 32 + trunc((BV + 0.699999988) * 0.38461539 * 507 [+ 0.5])
// and y = 488 - trunc((V - 5.5) * 0.083333336 * 467 [+ 0.5]).
const PixelCase kPixelCases[] = {
    // BV = 9.30000019 - 10 = -0.69999981: x product 3.5e-5 -> 32 in both;
    // V 10: 4.5 * 0.083333336 * 467 = 175.125 (175.625 rounded) -> y 313.
    {"JustInsideBlueEdge", 9.3f, 10.0f, true, {32, 313}, {32, 313}},
    {"JustBeyondBlueEdge", before(9.3f), 10.0f, false, {}, {}},
    // BV = 1.8999996: 2.5999996 * 0.38461539 * 507 = 506.99992 -> 538 truncated, 539 rounded.
    {"JustInsideRedEdge", 11.9f, 10.0f, true, {538, 313}, {539, 313}},
    {"JustBeyondRedEdge", after(11.9f), 10.0f, false, {}, {}},
    // V = 5.50000048: (V - 5.5) * 0.083333336 * 467 = 1.9e-5 -> row 488; BV
    // 0.4999995: 1.1999995 * 0.38461539 * 507 = 233.99991 -> 265 / 266.
    {"JustBelowBrightEdge", 6.0f, after(5.5f), true, {265, 488}, {266, 488}},
    {"BrightEdge", 6.0f, 5.5f, false, {}, {}},
    // V = 17.4999981 with B - V = 1.8999996: e = 466.99994 -> 466 / 467, so
    // the faint red corner is (538, 22) in monochrome and (539, 21) in colour.
    {"FaintRedCorner", kFaintRedB, before(17.5f), true, {538, 22}, {539, 21}},
    {"FaintEdge", 18.0f, 17.5f, false, {}, {}},
    // BV 1, V 6.5: 1.69999999 * 0.38461539 * 507 = 331.50001 -> x 363 / 364; e = 38.916668 ->
    // 38 / 39 -> rows 450 / 449.
    {"TruncateOrRound", 7.5f, 6.5f, true, {363, 450}, {364, 449}},
    {"NotANumber", 7.5f, std::numeric_limits<float>::quiet_NaN(), false, {}, {}},
};

TEST(CmdBitmap, StarPixelFollowsTheSinglePrecisionScale) {
  for (const PixelCase& c : kPixelCases)
    for (auto [variant, want] : {std::pair{kMono, c.mono}, std::pair{kColour, c.colour}}) {
      CmdPixel got{-1, -1};
      EXPECT_EQ(cmdStarPixel(c.b, c.v, variant, got), c.plotted) << c.name;
      if (!c.plotted) got = want;
      EXPECT_EQ(std::pair(got.x, got.y), std::pair(want.x, want.y)) << c.name << " " << variant;
    }
}

// A pixel of a diagram: its palette index (0/1 in monochrome).
int pixelOf(const std::vector<unsigned char>& bmp, int variant, int x, int y) {
  if (variant == kMono) return (bmp[62 + (544 * y + x) / 8] >> (7 - x % 8)) & 1;
  unsigned char b = bmp[118 + (544 * y + x) / 2];
  return x % 2 == 0 ? b >> 4 : b & 0x0F;
}

using PixelSet = std::set<std::tuple<int, int, int>>;  // x, y, new index

class CmdDiagram : public test::ReportFolder {
 protected:
  // Writes the diagram and returns every pixel that differs from the template, with its new
  // index; the signature is put back and the rest of the header and the palette keep their bytes.
  PixelSet draw(int variant) {
    const std::string out = (dir_ / "cmd.bmp").string();
    EXPECT_EQ(writeDiagram(*ws_, variant, out, {templates()}), WriteOutcome{});
    const std::vector<unsigned char> bytes = test::readAll(out),
                                     blank = test::blankTemplate(variant);
    EXPECT_EQ(bytes.size(), blank.size());
    if (bytes.size() != blank.size()) return {};
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 2), "BM");
    EXPECT_TRUE(std::equal(blank.begin() + 2, blank.begin() + (variant == kMono ? 62 : 118),
                           bytes.begin() + 2));
    PixelSet changed;
    for (int y = 0; y < kCmdRows; ++y)
      for (int x = 0; x < kCmdWidth; ++x)
        if (int now = pixelOf(bytes, variant, x, y); now != pixelOf(blank, variant, x, y))
          changed.insert({x, y, now});
    return changed;
  }
};

TEST_F(CmdDiagram, MonochromeClearsOneBitPerPlottedStar) {
  EXPECT_TRUE(draw(kMono).empty());  // the template, with its signature put back
  addPair(7.5f, 6.5f);               // (363, 450), see the pixel cases
  addPair(9.3f, 10.0f);              // (32, 313)
  addPair(7.0f, 6.0f, MARK_IGNORE);
  star(*ws_, kBlue, addPair(8.0f, 7.0f)).partner = -1;
  addPair(6.0f, 5.5f);  // V on the bright bound
  EXPECT_EQ(draw(kMono), (PixelSet{{363, 450, 0}, {32, 313, 0}}));
}

TEST_F(CmdDiagram, ColourIndexFirstMatchingRuleWins) {
  // Name, blue and green marks, palette index.
  const std::tuple<const char*, std::uint32_t, std::uint32_t, int> rows[] = {
      {"Plain", 0, 0, 0},
      {"Large", MARK_LARGE, MARK_LARGE, 0},
      {"Calibration", MARK_CALIBRATION, MARK_CALIBRATION, 12},
      {"GreenHot", 0, MARK_HOT, 9},
      {"HotCalibration", MARK_CALIBRATION, MARK_HOT, 9},
      {"IgnoredHot", MARK_IGNORE | MARK_HOT, MARK_HOT, 7},
      {"GreenIgnoreDoesNotCount", 0, MARK_IGNORE, 0}};
  for (const auto& [name, blueMarks, greenMarks, index] : rows) {
    ws_ = test::makeWorkspace();
    addPair(7.5f, 6.5f, blueMarks, greenMarks);
    EXPECT_EQ(draw(kColour), (PixelSet{{364, 449, index}})) << name;
  }
  // Two stars on one pixel: the indices are combined by AND, 9 & 12 = 8.
  ws_ = test::makeWorkspace();
  addPair(7.5f, 6.5f, MARK_HOT);
  addPair(7.5f, 6.5f, MARK_CALIBRATION);
  EXPECT_EQ(draw(kColour), (PixelSet{{364, 449, 8}}));
}

TEST_F(CmdDiagram, ThickStarsAreClippedAtThePlotEdges) {
  ws_->optionFlags |= OPT_THICK_CMD_STARS;
  addPair(9.3f, 10.0f, MARK_CALIBRATION);           // (32, 313): no left arm
  addPair(kFaintRedB, before(17.5f), MARK_IGNORE);  // colour (539, 21): no right, no lower arm
  addPair(7.5f, 6.5f);                              // colour (364, 449): the whole plus
  // clang-format off
  EXPECT_EQ(draw(kColour), (PixelSet{{32, 313, 12}, {33, 313, 12}, {32, 312, 12}, {32, 314, 12},
                                     {539, 21, 7}, {538, 21, 7}, {539, 22, 7},
                                     {364, 449, 0}, {363, 449, 0}, {365, 449, 0}, {364, 448, 0}, {364, 450, 0}}));
  star(*ws_, kBlue, 1).marks = 0;  // mono (538, 22): all arms, down to row 21
  star(*ws_, kBlue, 2).partner = -1;
  EXPECT_EQ(draw(kMono), (PixelSet{{32, 313, 0}, {33, 313, 0}, {32, 312, 0}, {32, 314, 0},
                                   {538, 22, 0}, {537, 22, 0}, {539, 22, 0}, {538, 21, 0}, {538, 23, 0}}));
  // clang-format on
}

// A missing template gives its "Unable to open file" message, an unwritable target "Unable to
// create file."; neither leaves a file. The template comes from the first folder with a usable
// one (trailing slash or not): a FIFO (not blocking), a folder, an empty file, one of the right
// size but not the diagram's BMP, or a longer one are passed over; a short one is padded with FF.
TEST_F(CmdDiagram, TemplateSearchAndFailures) {
  addPair(7.5f, 6.5f);
  const std::string out = (dir_ / "cmd.bmp").string(), nowhere = (dir_ / "nowhere").string();
  const auto failed = [](StringId message) { return WriteOutcome{WriteStatus::Failed, message}; };
  for (auto [variant, message] :
       {std::pair{kMono, str::UnableToOpenDib01}, std::pair{kColour, str::UnableToOpenDib02}}) {
    EXPECT_EQ(writeDiagram(*ws_, variant, out, {nowhere}), failed(message));
    EXPECT_FALSE(fs::exists(out));
  }
  EXPECT_EQ(writeDiagram(*ws_, kColour, (dir_ / "no" / "cmd.bmp").string(), {templates()}),
            failed(str::UnableToCreateFile));
  std::vector<unsigned char> small(1000, 0xFF);  // the offset guard
  EXPECT_EQ(drawCmdStars(*ws_, kMono, small), DrawStatus::Outside);
  EXPECT_EQ(small, std::vector<unsigned char>(1000, 0xFF));

  std::vector<unsigned char> longer = test::blankTemplate(kMono),
                             shorter(longer.begin(), longer.begin() + 100);
  longer.push_back(0xFF);
  std::fill(shorter.begin() + 62, shorter.end(), 0x00);
  const std::vector<unsigned char> files[] = {
      {}, std::vector<unsigned char>(kCmdMonochromeSize, 0xFF), longer, shorter};
  std::vector<std::string> dirs{nowhere};
  for (int i = 0; i < 6; ++i) {
    const fs::path at = dir_ / std::to_string(i) / "DIB01.DAT";
    fs::create_directories(i == 0 ? at : at.parent_path());
    if (i >= 2) test::writeBytes(at, files[i - 2]);
    ASSERT_TRUE(i != 1 || ::mkfifo(at.c_str(), 0600) == 0);
    dirs.push_back(at.parent_path().string() + (i == 5 ? "/" : ""));
  }
  EXPECT_EQ(writeDiagram(*ws_, kMono, out, dirs), WriteOutcome{});
  const std::vector<unsigned char> bytes = test::readAll(out);
  ASSERT_EQ(bytes.size(), kCmdMonochromeSize);
  // By hand: "BM", the short file's bytes, then FF but for 62 + (544 * 450 + 363) / 8, bit 4 clear.
  for (std::size_t i = 2; i < bytes.size(); ++i)
    ASSERT_EQ(bytes[i], i < 100 ? shorter[i] : i == 30707 ? 0xFF & ~(0x80 >> 3) : 0xFF) << i;
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 2), "BM");
}

// The build copies resources/DIB0x.DAT beside the programs (share/orelith): they are the
// generated templates, and netpbm's BMP reader, written by others, reads a diagram drawn on
// them with the star black where the pixel cases put it (file row y is picture row 489 - y).
TEST_F(CmdDiagram, ShippedTemplatesAreTheGeneratedOnesAndNetpbmReadsThem) {
  addPair(7.5f, 6.5f);
  const bool netpbm = std::system("command -v bmptopnm >/dev/null 2>&1") == 0;
  const fs::path out = dir_ / "cmd.bmp", pnm = dir_ / "cmd.pnm";
  const std::string convert = "bmptopnm '" + out.string() + "' >'" + pnm.string() + "' 2>/dev/null";
  const std::vector<std::string> dirs = defaultTemplateDirs("/nonexistent/");
  for (int variant : {kMono, kColour}) {
    std::vector<unsigned char> found;
    for (const std::string& dir : dirs)
      if (found = test::readAll(fs::path(dir) / cmdTemplateName(variant)); !found.empty()) break;
    EXPECT_EQ(found, test::generatedTemplate(variant)) << cmdTemplateName(variant);
    if (!netpbm) continue;
    ASSERT_EQ(writeDiagram(*ws_, variant, out.string(), dirs), WriteOutcome{});
    ASSERT_EQ(std::system(convert.c_str()), 0);
    const std::string bytes = test::readText(pnm);
    const std::string head = variant == kMono ? "P4\n544 490\n" : "P6\n544 490\n255\n";
    ASSERT_EQ(bytes.compare(0, head.size(), head), 0) << variant;
    const auto at = [&](int i) { return static_cast<unsigned char>(bytes.at(head.size() + i)); };
    if (variant == kMono) {  // 68 bytes a row, 1 = black
      EXPECT_EQ(at(39 * 68 + 363 / 8), 0x80 >> 3);
      EXPECT_EQ(at(40 * 68 + 363 / 8), 0);
    } else {
      EXPECT_EQ(at((40 * 544 + 364) * 3), 0);
      EXPECT_EQ(at((40 * 544 + 365) * 3), 255);
    }
  }
  if (!netpbm) GTEST_SKIP() << "netpbm missing";
}

using SaveCommand = test::ReportFolder;

TEST_F(SaveCommand, EachFilterWritesItsFileUnderTheExtendedName) {
  ws_->openFilterIndex = 4;
  addPair(7.5f, 6.5f);
  fs::create_directory(dir_ / "out");
  const auto save = [&](const std::string& name, int filter) {  // the message shown, or none
    return saveOutput(*ws_, (dir_ / "out" / name).string(), filter, {templates()}).message;
  };
  EXPECT_EQ(save("result", 1), std::nullopt);
  EXPECT_EQ(save("mono", 2), std::nullopt);
  EXPECT_EQ(save("colour", 3), std::nullopt);
  EXPECT_EQ(save("other.html", 7), std::nullopt);   // an unknown filter writes nothing
  EXPECT_EQ(save("bitmap.html", 2), std::nullopt);  // a bitmap filter never writes the report
  EXPECT_EQ(test::dirEntries(dir_ / "out"),
            (std::vector<std::string>{"bitmap.html", "colour.bmp", "mono.bmp", "result.html"}));
  const std::string report = test::readText(dir_ / "out" / "result.html");
  std::string lines = reportText(*ws_);  // the file ends each of its lines with "\r\n"
  for (auto at = lines.find('\n'); at != std::string::npos; at = lines.find('\n', at + 2))
    lines.insert(at, 1, '\r');
  EXPECT_EQ(report, lines);
  EXPECT_EQ(fs::file_size(dir_ / "out" / "mono.bmp"), kCmdMonochromeSize);
  EXPECT_EQ(fs::file_size(dir_ / "out" / "bitmap.html"), kCmdMonochromeSize);
  EXPECT_EQ(fs::file_size(dir_ / "out" / "colour.bmp"), kCmdColourSize);
  EXPECT_EQ(ws_->filePath, (dir_ / "out" / "bitmap.html").string());
  EXPECT_EQ(ws_->openFilterIndex, 4);
}

}  // namespace
}  // namespace orelith
