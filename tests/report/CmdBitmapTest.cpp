#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <set>
#include <tuple>

#include "tests/report/ReportTestSupport.h"

namespace orelith {
namespace {

namespace fs = std::filesystem;

constexpr int kMono = kCmdMonochrome;
constexpr int kColour = kCmdColour;

// The difference of two float magnitudes above 4.8 is a multiple of 2^-21, so
// it never equals -0.7 or 1.9 exactly: the boundary cases use the last float
// inside each bound and the first one beyond it.

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

// With V = 17.4999981 (the float below 17.5) this B gives B - V = 996147 *
// 2^-19 = 1.8999996, the largest difference below 1.9 at that V.
constexpr float kFaintRedB = 19.3999977f;

// Worked by hand with the rule x = 32 + trunc((BV + 0.699999988) * 0.38461539
// * 507 [+ 0.5]) and y = 488 - trunc((V - 5.5) * 0.083333336 * 467 [+ 0.5]).
const PixelCase kPixelCases[] = {
    // BV = 9.30000019 - 10 = -0.69999981: x product 3.5e-5 -> 32 in both;
    // V 10: 4.5 * 0.083333336 * 467 = 175.125 (175.625 rounded) -> y 313.
    {"JustInsideBlueEdge", 9.3f, 10.0f, true, {32, 313}, {32, 313}},
    {"JustBeyondBlueEdge", before(9.3f), 10.0f, false, {}, {}},
    // BV = 11.8999996 - 10 = 1.8999996: (2.5999996) * 0.38461539 * 507 =
    // 506.99992 -> 538 truncated, 539 rounded.
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
    // BV 1.0, V 6.5: x 1.69999999 * 0.38461539 * 507 = 331.50001 -> 363 / 364;
    // e = 38.916668 -> 38 / 39 -> rows 450 / 449.
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
  // Writes the diagram and returns every pixel that differs from the
  // template, with its new index; the signature is put back and the rest of
  // the header and the palette keep their bytes.
  PixelSet draw(int variant) {
    const std::string out = (dir_ / "cmd.bmp").string();
    EXPECT_EQ(writeDiagram(*ws_, port_, variant, out, {templates()}), 0);
    EXPECT_TRUE(port_.messages().empty());
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

// A missing template gives message 8 or 11, an unwritable target message 5;
// neither leaves a file. The template comes from the first folder that has
// it (with or without a trailing slash) and a short one is padded with FF.
TEST_F(CmdDiagram, TemplateSearchAndFailures) {
  addPair(7.5f, 6.5f);
  const std::string out = (dir_ / "cmd.bmp").string(), nowhere = (dir_ / "nowhere").string();
  for (auto [variant, message] : {std::pair{kMono, 8}, std::pair{kColour, 11}}) {
    test::RecordingPort port;
    EXPECT_EQ(writeDiagram(*ws_, port, variant, out, {nowhere}), 1);
    EXPECT_EQ(port.messages(), std::vector<int>{message});
    EXPECT_EQ(port.events.at(0).owner, MessageOwner::MainWindow);
    EXPECT_FALSE(fs::exists(out));
  }
  EXPECT_EQ(writeDiagram(*ws_, port_, kColour, (dir_ / "no" / "cmd.bmp").string(), {templates()}),
            1);
  EXPECT_EQ(port_.messages(), std::vector<int>{5});
  std::vector<unsigned char> small(1000, 0xFF);  // the offset guard
  EXPECT_EQ(drawCmdStars(*ws_, kMono, small), 1);
  EXPECT_EQ(small, std::vector<unsigned char>(1000, 0xFF));

  port_.clear();
  fs::create_directory(dir_ / "short");
  test::writeBytes(dir_ / "short" / "DIB01.DAT", std::vector<unsigned char>(100, 0x00));
  const std::string shortDir = (dir_ / "short").string() + "/";
  EXPECT_EQ(writeDiagram(*ws_, port_, kMono, out, {nowhere, shortDir, templates()}), 0);
  EXPECT_TRUE(port_.messages().empty());
  const std::vector<unsigned char> bytes = test::readAll(out);
  ASSERT_EQ(bytes.size(), kCmdMonochromeSize);
  // "BM", the short file's zeros, then FF but for 62 + (544 * 450 + 363) / 8,
  // by hand, with bit 7 - 363 % 8 cleared.
  for (std::size_t i = 2; i < bytes.size(); ++i)
    ASSERT_EQ(bytes[i], i < 100 ? 0x00 : i == 30707 ? 0xFF & ~(0x80 >> 3) : 0xFF) << i;
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
    ASSERT_EQ(writeDiagram(*ws_, port_, variant, out.string(), dirs), 0);
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

}  // namespace
}  // namespace orelith
