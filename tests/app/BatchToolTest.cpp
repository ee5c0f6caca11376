// orelith-batch run as a user would: as a process, in a temporary directory, on a hand-made
// frame of three stars (m67.b) and on the shipped samples.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <fstream>
#include <nlohmann/json.hpp>

#include "tests/support/ParamName.h"
#include "tests/support/Process.h"
#include "tests/support/TestWorkspace.h"
#include "tools/FieldGenerator.h"
#include "tools/FitsWriter.h"

namespace orelith {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using namespace std::string_literals;

const std::string kSamples = ORELITH_SAMPLES_DIR;
const std::string kSearched =
    "--blue '" + kSamples + "/cluster.b' --green '" + kSamples +
    "/cluster.g' --background-blue 1130 --background-green 1130 --search ";

// Three stars on a sky of 1000: a plus of 9 pixels, a single pixel and a 2 x 2 square.
std::uint16_t threeStars(int x, int y) {
  if ((x == 50 && std::abs(y - 60) <= 2) || (y == 60 && std::abs(x - 50) <= 2))
    return static_cast<std::uint16_t>(3000 - 300 * (std::abs(x - 50) + std::abs(y - 60)));
  if (x == 200 && y == 100) return 1500;
  if (x >= 300 && x <= 301 && y >= 200 && y <= 201) return 1200;
  return 1000;
}

class Batch : public testing::Test {
 protected:
  void SetUp() override {
    dir = test::makeTempDir();
    test::writeBytes(dir / "m67.b", test::st6Bytes(threeStars));
    std::vector<std::uint16_t> counts;  // the same stars as floats over a sky of 0
    for (int k = 0; k < kPixelCount; ++k)
      counts.push_back(threeStars(k % kImageWidth, k / kImageWidth));
    const gen::FitsLayout sky0 = gen::floatLayout(-1000);
    ASSERT_EQ(gen::writeFits((dir / "m67.fits").string(), counts.data(), 375, 242, {}, sky0), "");
    fs::create_symlink("m67.b", dir / "link.b");
    // A FIFO no template reading may wait on: the installed template is taken instead.
    for (const char* fifo : {"fifo.csv", "DIB02.DAT"})
      ASSERT_EQ(::mkfifo((dir / fifo).c_str(), 0600), 0);
  }
  void TearDown() override { fs::remove_all(dir); }

  int run(const std::string& args) { return test::runIn(dir, ORELITH_BATCH, args); }
  std::string read(const std::string& name) { return test::readText(dir / name); }
  void write(const std::string& name, const std::string& text) {
    std::ofstream(dir / name) << text;
  }
  json state() { return json::parse(read("out.txt")); }

  fs::path dir;
};

const json kAbsent = "(absent)";

struct RunRow {
  const char* name;
  std::string csv;  // written as cal.csv first, where not empty
  std::string args;
  int exit;
  std::string error;                                // in standard error
  std::vector<std::pair<const char*, json>> state;  // JSON pointer, value
  std::vector<const char*> kept = {};               // files as they were, or still absent
};

class Runs : public Batch, public testing::WithParamInterface<RunRow> {};

TEST_P(Runs, ExitErrorAndState) {
  const RunRow& row = GetParam();
  if (!row.csv.empty()) write("cal.csv", row.csv);
  const auto contents = [&] {
    std::vector<std::string> now;
    for (const char* name : row.kept) now.push_back(fs::exists(dir / name) ? read(name) : "-");
    return now;
  };
  const std::vector<std::string> before = contents();
  EXPECT_EQ(run(row.args + " --json -"), row.exit) << read("err.txt");
  EXPECT_NE(read("err.txt").find(row.error), std::string::npos) << read("err.txt");
  EXPECT_EQ(contents(), before);
  if (row.exit == 1) {
    EXPECT_EQ(read("out.txt"), "");  // a usage error writes no JSON
    return;
  }
  const json s = state();
  // The text is the dump of its own tree: keys in byte order, as the tree sorts them.
  EXPECT_EQ(read("out.txt"), s.dump(2) + "\n");
  for (const auto& [pointer, value] : row.state) {
    const json::json_pointer at(pointer);
    EXPECT_EQ(s.contains(at) ? s.at(at) : kAbsent, value) << pointer;
  }
}

const std::string kCal = kSearched + "--compare --calibration ";
// The first two rows of the samples' calibration.
const std::string kTwoStars = "x,y,V,BV\n223,126,9.1640,0.0687\n79,143,9.4359,0.0419\n";
const std::string kBadRow = "cal.csv line 2: expected x,y,V,BV";

// Values by hand from the frames: the plus is centre 2000 over the sky, four at 1700, four at
// 1400; three stars appear from level 1199 down to 1000 and the highest level wins; the
// samples' green frame is the blue one shifted by (3, -2).
// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, Runs, testing::Values(
    RunRow{"Search", "", "--blue m67.b --background-blue 1000 --search --with-pixels", 0, "",
           {{"/messages", json::array()}, {"/images/0/file", "m67.b"}, {"/images/0/searched", true},
            {"/images/0/search_rect", {0, 0, 375, 242}}, {"/images/1/loaded", false},
            {"/images/0/stars/0/brightness", 2000 + 4 * 1700 + 4 * 1400},
            {"/images/0/stars/0/pixels", 9}, {"/images/0/stars/0/x", 50},
            {"/images/0/stars/1/pixel_list", {{200, 100}}},
            {"/images/0/stars/2/pixel_list", {{300, 200}, {301, 200}, {301, 201}, {300, 201}}}}},
    RunRow{"ApertureKeysAmongTheOthers", "", "--blue m67.b --background-blue 1000 --search "
           "--photometry aperture --aperture 2", 0, "",
           {{"/images/0/stars/0/aperture/clipped", false}, {"/photometry/images/0/radius", 2.0}}},
    RunRow{"RectangleLimitsBothImages", "",
           "--blue m67.b --rect 150,50,375,242 --background-blue 1000 --search", 0, "",
           {{"/images/0/stars/2", kAbsent}, {"/images/1/search_rect", {150, 50, 375, 242}}}},
    RunRow{"AutomaticBackground", "", "--blue m67.b --auto-background --search", 0, "",
           {{"/images/0/background", 1199}, {"/images/0/stars/2/pixels", 4}}},
    // 199.5 over the float frame's sky of 0 cuts as 1199 over the counts' 1000; an integer
    // frame's level stays whole, refused as CLI11 always refused it.
    RunRow{"FloatFrameFractionalBackground", "", "--background-blue 199.5 --blue m67.fits --search",
           0, "", {{"/images/0/background", 199.5}, {"/images/0/stars/2/pixels", 4}}},
    RunRow{"FloatFrameBackgroundWithin1e38", "", "--blue m67.fits --background-blue -2e38", 1,
           "--background-blue: a floating-point frame's background is a number from -1e38 to "
           "1e38, not -2e38\n", {}},
    RunRow{"St6BackgroundWhole", "", "--blue m67.b --background-blue -2.5", 1,
           "--background-blue: Value -2.5 not in range 0 to 65535\n", {}},
    RunRow{"FloatFrameRangeIsASpan", "", "--blue m67.fits --range-blue 2.5", 0, "", {}},
    RunRow{"St6RangeIsAPosition", "", "--blue m67.b --range-blue 2.5", 1,
           "--range-blue: Value 2.5 not in range 1 to 1024\n", {}},
    RunRow{"MissingFileIsMessage1", "", "--blue missing.b", 2, "ERROR: Unable to open file. missing.b\n",
           {{"/messages", {1}}, {"/images/0/loaded", false}}},
    RunRow{"UsageError", "", "--rect 1,2,3", 1, "--rect", {}},
    // Refused before any work: outputs over inputs or over each other, a folder as a file,
    // NaN, empty or malformed lists, a star named twice.
    RunRow{"OutputOverAFrame", "", "--blue m67.b --search --html m67.b", 1,
           "--html names m67.b, already the file of --blue", {}, {"m67.b"}},
    RunRow{"OutputOverAFrameByALink", "", "--blue link.b --render-blue m67.b", 1,
           "--render-blue names m67.b, already the file of --blue", {}, {"m67.b"}},
    RunRow{"OutputOverTheCalibration", "x,y,V,BV\n", "--calibration cal.csv --csv cal.csv", 1,
           "--csv names cal.csv, already the file of --calibration", {}, {"cal.csv"}},
    RunRow{"TwoOutputsOneFile", "", "--html a --cmd-mono a.html", 1,
           "--cmd-mono names a.html, already the file of --html", {}, {"a.html"}},
    RunRow{"OutputNamesAFolder", "", "--html sub/", 1, "--html: sub/ names a folder", {},
           {"sub/.html"}},
    RunRow{"NaNAperture", "", "--aperture nan", 1, "--aperture: not a number: nan", {}},
    RunRow{"NaNGain", "", "--gain nan", 1, "--gain: not a number: nan", {}},
    RunRow{"NaNReadNoise", "", "--read-noise -nan", 1, "--read-noise: not a number: -nan", {}},
    RunRow{"EmptyAnnulus", "", "--annulus ''", 1, "--annulus: an empty item", {}},
    RunRow{"AnnulusInsideTheAperture", "", "--aperture 4 --annulus 3,8", 1,
           "--annulus must start outside the aperture", {}},
    RunRow{"PlotNeedsSvgOrPng", "", "--plot-cmd x.jpg", 1, "--plot-cmd writes SVG or PNG", {}},
    RunRow{"PairsRepeatedStar", "", "--pairs 0:5,1:5,137:5", 1, "--pairs names green star 5 twice",
           {}},
    RunRow{"PairsTrailingComma", "", "--pairs 0:1,2:3,4:5,", 1, "--pairs: an empty item", {}},
    RunRow{"PairsMalformed", "", "--pairs 0:1,2-3,4:5", 1, "'2-3' is not B:G", {}},
    RunRow{"AutomaticComparison", "", kSearched + "--compare", 0, "",
           {{"/offset", {3, -2}}, {"/compared", true}}},
    // The green rectangle follows the blue one by the offset.
    RunRow{"ManualOffset", "", kSearched + "--offset=-4,5", 0, "",
           {{"/offset", {-4, 5}}, {"/compared", true}, {"/images/1/search_rect", {-4, 5, 371, 247}}}},
    // Three pairs exactly one shift apart (from an automatic run): the map is that shift and
    // the pairing the automatic one, where blue 40 pairs with green 49 and blue 100 with none.
    RunRow{"ThreePairs", "", kSearched + "--pairs 2:4,76:87,136:162", 0, "",
           {{"/compared", true}, {"/overlap", 0}, {"/images/0/stars/40/partner", 49},
            {"/images/0/stars/100/partner", -1}}},
    // Blue stars 15, 16 and 17 lie in row 32.
    RunRow{"PairsOnOneLine", "", kSearched + "--pairs 15:15,16:16,17:17", 2, "--pairs: no pairing",
           {{"/compared", false}}},
    RunRow{"PairsNamingNoStar", "", kSearched + "--pairs 0:0,1:1,1000:2", 2, "1000:2 names no star",
           {{"/compared", false}}},
    RunRow{"CompareBeforeSearch", "", "--blue x --compare", 2,
           "comparing needs both images searched", {{"/compared", false}}},
    RunRow{"CalculateWithoutCalibration", "", "--calculate", 2,
           "calculating magnitudes needs calibration stars", {{"/magnitudes", false}}},
    RunRow{"UnwritableReportIsMessage5", "", kSearched + "--html no-such-folder/t",
           2, "ERROR: Unable to create file. no-such-folder/t.html\n", {{"/messages", {5}}}},
    RunRow{"DeviceWrittenAsItIs", "", "--html /dev/null", 0, "", {}, {"/dev/null.html"}},
    RunRow{"FifoTemplatePassedOver", "", "--cmd-color c", 0, "", {{"/messages", json::array()}}},
    // Star files are refused with their file and line: nothing is read from a device or FIFO,
    // no value that is not a finite decimal number reaches the calibration.
    RunRow{"CalibrationNamesNoStar", "x,y,V,BV\n0,0,12.0,0.5\n", kCal + "cal.csv", 2,
           "cal.csv line 2: no star at blue pixel (0, 0)", {{"/calibration_list", json::array()}}},
    RunRow{"CalibrationHeader", "x;y;V;BV\n1;2;3;4\n", kCal + "cal.csv", 2,
           "cal.csv: the first line must be \"x,y,V,BV\"", {{"/calibration_list", json::array()}}},
    RunRow{"CalibrationInfinite", "x,y,V,BV\n100,100,inf,0.5\n", kCal + "cal.csv", 2, kBadRow, {}},
    // One star cannot fix three coefficients: refused, nothing stored; the transformation
    // with two holds its colour terms at 1 and 0 and says so.
    RunRow{"CurvesRefuseFewerStarsThanCoefficients", kTwoStars.substr(0, 31),
           kCal + "cal.csv --calculate", 2, "1 usable calibration star for 3 coefficients",
           {{"/magnitudes", false}, {"/curves/0/0", 0.0}}},
    RunRow{"TransformOfTwoStarsHoldsTheColourTerms", kTwoStars,
           kCal + "cal.csv --coefficients 2 --calculate --model transform", 0,
           "WARNING [colour-terms-held]: Only 2 usable calibration stars",
           {{"/transform/BV/colour", 1.0}, {"/transform/V/colour", 0.0},
            {"/transform/BV/colour_fitted", false}, {"/warnings/0/code", "extrapolated"},
            {"/calibration_stars/0/measured", {"sum", "sum"}}}},
    RunRow{"CalibrationOverflow", "x,y,V,BV\n\n100,100,3e39,0.5\n", kCal + "cal.csv", 2,
           "cal.csv line 3: expected x,y,V,BV", {}},
    RunRow{"CalibrationOutOfRange", "x,y,V,BV\n63,13,3e38,0.5\n", kCal + "cal.csv", 2,
           "cal.csv line 2: V 3e38 is not within -5..30", {{"/calibration_list", json::array()}}},
    // Blue star 2 covers (63, 13) and (63, 12): the second row would replace the first's values.
    RunRow{"CalibrationStarTwice", "x,y,V,BV\n63,13,12,0.5\n63,12,13,0.6\n", kCal + "cal.csv", 2,
           "cal.csv line 3: the star of line 2 again at blue pixel (63, 12)",
           {{"/calibration_list/0/0", 2}, {"/calibration_list/1", kAbsent}}},
    RunRow{"CalibrationUtf8Mark", "\xEF\xBB\xBFx,y,V,BV\n0,0,12.0,0.5\n", kCal + "cal.csv", 2,
           "cal.csv line 2: no star", {}},
    RunRow{"CalibrationUtf16", "\xFF\xFEx\0,\0y\0"s, kCal + "cal.csv", 2,
           "cal.csv: UTF-16 text; save it as UTF-8 or ASCII", {}},
    RunRow{"CalibrationLongLine", "x,y,V,BV\n" + std::string(5000, '1') + "\n", kCal + "cal.csv",
           2, "cal.csv line 2: longer than 4096", {}},
    RunRow{"CalibrationDevice", "", kCal + "/dev/zero", 2, "/dev/zero: cannot be read", {}},
    RunRow{"CalibrationFifo", "", kCal + "fifo.csv", 2, "fifo.csv: cannot be read", {}},
    RunRow{"CalibrationFolder", "", kCal + ".", 2, ": cannot be read",
           {{"/calibration_list", json::array()}}}),
    test::ParamName());
// clang-format on

// A second user, made for the test and removed after it (so root only), with a group of its
// own that is not its primary group.
class TwoUsers : public Batch {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can make a second user";
    Batch::SetUp();
    fs::permissions(dir, fs::perms::others_read | fs::perms::others_exec, fs::perm_options::add);
    const std::string make = "groupadd " + other + " && useradd -M -N -g nogroup -G " + other +
                             " -s /usr/sbin/nologin " + other;
    ASSERT_EQ(std::system(make.c_str()), 0);
    made = true;
    // A build tree below a private folder (mktemp -d makes them 0700) is out of its reach.
    if (runAs(std::string("'") + ORELITH_BATCH + "' --version >/dev/null") != 0)
      GTEST_SKIP() << "the other user cannot run " << ORELITH_BATCH;
  }
  void TearDown() override {
    if (made) {
      EXPECT_EQ(std::system(("userdel " + other + " && groupdel " + other).c_str()), 0);
    }
    Batch::TearDown();
  }
  int runAs(const std::string& command) {
    return test::runIn(dir, "setpriv",
                       "--reuid=" + other + " --regid=nogroup --init-groups " + command);
  }
  gid_t group() { return ::getgrnam(other.c_str())->gr_gid; }

  const std::string other = "orelith-t" + std::to_string(::getpid());
  bool made = false;
};

// A report replacing a file of a shared folder keeps the file's group (the user may not give
// the file to its owner); a link another user planted in a sticky folder is not followed to
// our file where the kernel refuses to follow it for "echo x >" too.
TEST_F(TwoUsers, SharedGroupKeptAndPlantedLinkRefused) {
  fs::create_directory(dir / "shared");
  write("shared/report.html", "old");
  for (auto [name, mode] : {std::pair{"shared", 0775}, std::pair{"shared/report.html", 0664}}) {
    ASSERT_EQ(::chown((dir / name).c_str(), 0, group()), 0);
    fs::permissions(dir / name, fs::perms(mode));
  }
  EXPECT_EQ(runAs(std::string("'") + ORELITH_BATCH + "' --html shared/report.html"), 0);
  struct stat st {};
  ASSERT_EQ(::stat((dir / "shared/report.html").c_str(), &st), 0);
  EXPECT_EQ(std::pair(st.st_gid, st.st_mode & 0777), std::pair(group(), 0664u));
  EXPECT_NE(read("shared/report.html"), "old");

  fs::create_directory(dir / "sticky");
  fs::permissions(dir / "sticky", fs::perms(01777));
  write("notes.txt", "our notes");
  ASSERT_EQ(runAs("ln -s ../notes.txt sticky/report.html"), 0);
  if (test::readText("/proc/sys/fs/protected_symlinks") != "1\n")
    GTEST_SKIP() << "fs.protected_symlinks is off: the kernel follows any link for anyone";
  EXPECT_EQ(run("--html sticky/report.html"), 2);
  EXPECT_EQ(read("err.txt"), "ERROR: Unable to create file. sticky/report.html\n");
  EXPECT_EQ(read("notes.txt"), "our notes");
}

// Help and version that cannot be written are no success.
TEST_F(Batch, HelpToAFullDevice) {
  for (const char* option : {"--help", "--version"}) {
    const std::string command =
        std::string("'") + ORELITH_BATCH + "' " + option + " >/dev/full 2>&1";
    EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 2) << option;
  }
}

// Blue stars paired by the automatic comparison: (x, y, partner).
std::vector<std::array<int, 3>> pairedStars(const json& s) {
  std::vector<std::array<int, 3>> pairs;
  for (const json& star : s["images"][0]["stars"])
    if (star["partner"] != -1)
      pairs.push_back({star["x"].get<int>(), star["y"].get<int>(), star["partner"].get<int>()});
  return pairs;
}

std::string pixel(const std::array<int, 3>& p) {
  return std::to_string(p[0]) + "," + std::to_string(p[1]);
}

// Rows as the "Star properties" dialog takes them: a V of 0 is message 21, the 17th accepted
// row message 20; an ignored star leaves the calibration. Names without an extension get one.
TEST_F(Batch, CalibrationIgnoreAndSaving) {
  ASSERT_EQ(run(kSearched + "--compare --json -"), 0);
  const auto pairs = pairedStars(state());
  ASSERT_GE(pairs.size(), 18u);
  std::string csv = "x,y,V,BV\r\n" + pixel(pairs[0]) + ",0,0.5\r\n";
  for (int k = 1; k <= 17; ++k)
    csv += pixel(pairs[k]) + "," + std::to_string(9 + k * 0.25) + ",0.5\r\n";
  write("cal.csv", csv);
  write("ignore.csv", "x,y\n" + pixel(pairs[3]) + "\n");
  EXPECT_EQ(run(kCal + "cal.csv --ignore ignore.csv --html table --cmd-mono diagram.img "
                       "--cmd-color colour --thick --json -"),
            2);
  const json s = state();
  EXPECT_EQ(s["messages"], json({21, 20}));
  EXPECT_EQ(s["calibration_list"].size(), 15u);
  EXPECT_EQ(s["calibration_list"][0][1], pairs[1][2]);
  // The messages, then the science's warnings (saturated stars among these rows).
  EXPECT_EQ(read("err.txt").rfind(
                "ERROR: Please enter a value for V-Magnitude!\nERROR: Too many calibration stars.\n"
                "WARNING [",
                0),
            0u);
  int ignored = 0;
  for (const json& star : s["images"][0]["stars"]) ignored += star["ignore"].get<bool>();
  EXPECT_EQ(ignored, 1);
  EXPECT_EQ(read("table.html").find("</body>"), std::string::npos);  // the simple form
  EXPECT_EQ(fs::file_size(dir / "diagram.img"), 33382u);             // an extension is kept
  EXPECT_EQ(fs::file_size(dir / "colour.bmp"), 133398u);
  // Before the comparison a calibration star has no partner.
  EXPECT_EQ(run(kSearched + "--calibration cal.csv --json -"), 2);
  EXPECT_NE(read("err.txt").find("a star without partner"), std::string::npos);
}

// A generated 600 x 400 FITS pair: its 40 brightest unsaturated stars, imported as standards,
// are all listed and all fitted (an ST-6 pair stops at 16, as above).
TEST_F(Batch, FortyStandardsOnAFitsPair) {
  gen::FieldParams p;
  p.width = 600, p.height = 400, p.starCount = 150, p.seed = 3;
  const gen::FieldPair field = gen::generateField(p);
  for (const auto& [name, plane] : {std::pair{"b.fits", &field.blue}, {"g.fits", &field.green}})
    ASSERT_EQ(gen::writeFits((dir / name).string(), plane->data(), 600, 400, {}, {}), "");
  std::string csv = "x,y,V,BV\n";
  int rows = 0;
  for (const gen::TrueStar& t : field.truth)  // brightest first
    if (!t.saturated && rows++ < 40)
      csv += std::to_string(std::lround(t.x)) + "," + std::to_string(std::lround(t.y)) + "," +
             std::to_string(t.V) + "," + std::to_string(t.BV) + "\n";
  write("cal.csv", csv);
  ASSERT_EQ(run("--blue b.fits --green g.fits --background-blue 1100 --background-green 1100 "
                "--search --compare --calibration cal.csv --calculate --json -"),
            0)
      << read("err.txt");
  const json s = state();
  EXPECT_EQ(s["calibration_list"].size(), 40u);
  EXPECT_EQ(s["diagnostics"]["polynomial"]["stars"].size(), 40u);
  EXPECT_LT(s["diagnostics"]["polynomial"]["rms_V"].get<double>(), 0.1);
}

}  // namespace
}  // namespace orelith
