// The comparison, calibration and saving steps of orelith-batch on the
// shipped samples.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "tests/support/Process.h"
#include "tests/support/TestWorkspace.h"

namespace orelith {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

const std::string kSamples = ORELITH_SAMPLES_DIR;
const std::string kSearched =
    "--blue '" + kSamples + "/cluster.b' --green '" + kSamples +
    "/cluster.g' --background-blue 1130 --background-green 1130 --search ";

class BatchSteps : public testing::Test {
 protected:
  void SetUp() override { dir = test::makeTempDir(); }
  void TearDown() override { fs::remove_all(dir); }

  int run(const std::string& args) { return test::runIn(dir, ORELITH_BATCH, args); }
  std::string read(const std::string& name) { return test::readText(dir / name); }
  void write(const std::string& name, const std::string& text) {
    std::ofstream(dir / name) << text;
  }
  json state() { return json::parse(read("out.txt")); }

  // Blue stars paired by the automatic comparison: (x, y, partner).
  std::vector<std::array<int, 3>> pairedStars() {
    EXPECT_EQ(run(kSearched + "--compare --json -"), 0);
    std::vector<std::array<int, 3>> pairs;
    const json all = state();
    for (const json& s : all["images"][0]["stars"])
      if (s["partner"] != -1)
        pairs.push_back({s["x"].get<int>(), s["y"].get<int>(), s["partner"].get<int>()});
    return pairs;
  }

  fs::path dir;
};

TEST_F(BatchSteps, AutomaticComparisonFindsTheShift) {
  ASSERT_EQ(run(kSearched + "--compare --json -"), 0);
  const json s = state();
  EXPECT_EQ(s["offset"], json({3, -2}));
  EXPECT_EQ(s["compared"], true);
  EXPECT_GT(s["overlap"].get<int>(), 1000);
}

TEST_F(BatchSteps, ManualOffsetPairsThereWithoutSearching) {
  ASSERT_EQ(run(kSearched + "--offset=-4,5 --json -"), 0);
  const json s = state();
  EXPECT_EQ(s["offset"], json({-4, 5}));
  EXPECT_EQ(s["compared"], true);
  // The green rectangle follows the blue one by the offset.
  EXPECT_EQ(s["images"][1]["search_rect"], json({-4, 5, 371, 247}));
}

// Three pairs whose brightest pixels lie exactly one shift apart, far from
// each other: the map is that shift, and the pairing nearly the automatic one
// (a star whose brightest pixel misses the green star loses its partner).
TEST_F(BatchSteps, ThreePairsPairLikeTheShift) {
  ASSERT_EQ(run(kSearched + "--compare --json -"), 0);
  const json automatic = state();
  const json& blue = automatic["images"][0]["stars"];
  const json& green = automatic["images"][1]["stars"];
  std::vector<std::string> exact;
  for (std::size_t b = 0; b < blue.size(); ++b) {
    const int g = blue[b]["partner"];
    if (g >= 0 && green[g]["x"].get<int>() - blue[b]["x"].get<int>() == 3 &&
        green[g]["y"].get<int>() - blue[b]["y"].get<int>() == -2)
      exact.push_back(std::to_string(b) + ":" + std::to_string(g));
  }
  ASSERT_GT(exact.size(), 40u);
  const std::string pairs = exact.front() + "," + exact[exact.size() / 2] + "," + exact.back();
  ASSERT_EQ(run(kSearched + "--pairs " + pairs + " --json -"), 0) << read("err.txt");
  const json s = state();
  EXPECT_EQ(s["compared"], true);
  EXPECT_EQ(s["overlap"], 0);  // three-pair mode counts no overlap
  int same = 0;
  for (std::size_t b = 0; b < blue.size(); ++b)
    same += s["images"][0]["stars"][b]["partner"] == blue[b]["partner"];
  EXPECT_GT(same, static_cast<int>(blue.size()) * 9 / 10);
}

TEST_F(BatchSteps, ThreePairsOnOneLineGiveNoPairing) {
  ASSERT_EQ(run(kSearched + "--pairs 0:0,0:0,0:0 --json -"), 2);
  EXPECT_EQ(state()["compared"], false);
  EXPECT_NE(read("err.txt").find("--pairs: no pairing"), std::string::npos);
}

TEST_F(BatchSteps, PairsNamingNoStarAreRefused) {
  ASSERT_EQ(run(kSearched + "--pairs 0:0,1:1,1000:2 --json -"), 2);
  EXPECT_EQ(state()["compared"], false);
  EXPECT_NE(read("err.txt").find("1000:2 names no star"), std::string::npos);
}

TEST_F(BatchSteps, CalibrationRowsNamingNoStarAreErrors) {
  write("cal.csv", "x,y,V,BV\n0,0,12.0,0.5\n");
  EXPECT_EQ(run(kSearched + "--compare --calibration cal.csv --json -"), 2);
  EXPECT_NE(read("err.txt").find("cal.csv line 2: no star at blue pixel (0, 0)"),
            std::string::npos);
  EXPECT_EQ(state()["calibration_list"], json::array());
}

TEST_F(BatchSteps, CalibrationBeforeComparisonHasNoPartner) {
  const auto pairs = pairedStars();
  write("cal.csv", "x,y,V,BV\n" + std::to_string(pairs[0][0]) + "," + std::to_string(pairs[0][1]) +
                       ",12,0.5\n");
  EXPECT_EQ(run(kSearched + "--calibration cal.csv --json -"), 2);
  EXPECT_NE(read("err.txt").find("a star without partner"), std::string::npos);
}

TEST_F(BatchSteps, CalibrationRowsAsTheDialogTakesThem) {
  const auto pairs = pairedStars();
  ASSERT_GE(pairs.size(), 18u);
  std::string csv = "x,y,V,BV\r\n";
  csv +=
      std::to_string(pairs[0][0]) + "," + std::to_string(pairs[0][1]) + ",0,0.5\r\n";  // message 21
  for (int k = 1; k <= 17; ++k)  // the 17th accepted row gives message 20
    csv += std::to_string(pairs[k][0]) + "," + std::to_string(pairs[k][1]) + "," +
           std::to_string(9 + k * 0.25) + ",0.5\r\n";
  write("cal.csv", csv);
  EXPECT_EQ(run(kSearched + "--compare --calibration cal.csv --json -"), 2);
  const json s = state();
  EXPECT_EQ(s["messages"], json({21, 20}));
  EXPECT_EQ(s["calibration_list"].size(), 16u);
  EXPECT_EQ(s["calibration_list"][0][1], pairs[1][2]);
  EXPECT_EQ(read("err.txt"),
            "ERROR: Please enter a value for V-Magnitude!\nERROR: Too many calibration stars.\n");
}

TEST_F(BatchSteps, IgnoredStarsAreMarkedAndLeaveTheCalibration) {
  const auto pairs = pairedStars();
  const std::string pixel = std::to_string(pairs[3][0]) + "," + std::to_string(pairs[3][1]);
  write("cal.csv", "x,y,V,BV\n" + pixel + ",11.5,0.4\n");
  write("ignore.csv", "x,y\n" + pixel + "\n");
  ASSERT_EQ(run(kSearched + "--compare --calibration cal.csv --ignore ignore.csv --json -"), 0);
  const json s = state();
  EXPECT_EQ(s["calibration_list"], json::array());
  int ignored = 0;
  for (const json& star : s["images"][0]["stars"]) ignored += star["ignore"].get<bool>();
  EXPECT_EQ(ignored, 1);
}

// Star files that are refused with their file and line: nothing is read on
// from a device or FIFO (which could block or never end), no value that is
// not a finite decimal number reaches the calibration.
TEST_F(BatchSteps, BadStarFilesAreErrors) {
  ASSERT_EQ(::mkfifo((dir / "fifo.csv").c_str(), 0600), 0);
  const std::pair<std::string, std::string> rows[] = {
      {"x;y;V;BV\n1;2;3;4\n", "cal.csv: the first line must be \"x,y,V,BV\""},
      {"x,y,V,BV\n100,100,inf,0.5\n", "cal.csv line 2: expected x,y,V,BV"},
      {"x,y,V,BV\n100,100,12.0,nan\n", "cal.csv line 2: expected x,y,V,BV"},
      {"x,y,V,BV\n\n100,100,3e39,0.5\n", "cal.csv line 3: expected x,y,V,BV"},
      {"x,y,V,BV\n100,100,0x1p3,0.5\n", "cal.csv line 2: expected x,y,V,BV"},
      {"x,y,V,BV\n" + std::string(5000, '1') + "\n", "cal.csv line 2: longer than 4096"},
      {"", "/dev/zero: cannot be read"},
      {"", "fifo.csv: cannot be read"},
      {"", ": cannot be read"}};  // the folder itself
  const std::string files[] = {"cal.csv", "cal.csv",   "cal.csv",  "cal.csv", "cal.csv",
                               "cal.csv", "/dev/zero", "fifo.csv", "."};
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(rows[i].second);
    if (files[i] == "cal.csv") write("cal.csv", rows[i].first);
    EXPECT_EQ(run(kSearched + "--compare --calibration " + files[i] + " --json -"), 2);
    EXPECT_NE(read("err.txt").find(rows[i].second), std::string::npos) << read("err.txt");
    EXPECT_EQ(state()["calibration_list"], json::array());
  }
}

TEST_F(BatchSteps, SavingTakesTheExtensionRule) {
  ASSERT_EQ(run(kSearched + "--compare --html table --cmd-mono diagram.img --cmd-color colour "
                            "--thick --json -"),
            0)
      << read("err.txt");
  EXPECT_TRUE(fs::exists(dir / "table.html"));
  EXPECT_EQ(fs::file_size(dir / "diagram.img"), 33382u);  // an extension is kept
  EXPECT_EQ(fs::file_size(dir / "colour.bmp"), 133398u);
  // The simple form has no closing body tag.
  EXPECT_EQ(read("table.html").find("</body>"), std::string::npos);
}

struct Refusal {
  const char* args;
  const char* error;
};

// Steps whose buttons the window keeps disabled are refused, not run.
TEST_F(BatchSteps, StepsThatAreNotYetPossible) {
  for (const Refusal& r :
       {Refusal{"--blue x --compare", "comparing needs both images searched"},
        Refusal{"--calculate", "calculating magnitudes needs calibration stars"}}) {
    EXPECT_EQ(run(std::string(r.args) + " --json -"), 2) << r.args;
    EXPECT_NE(read("err.txt").find(r.error), std::string::npos) << read("err.txt");
    const json s = state();
    EXPECT_EQ(s["compared"], false);
    EXPECT_EQ(s["magnitudes"], false);
  }
}

TEST_F(BatchSteps, UnwritableOutputShowsMessage5) {
  EXPECT_EQ(run(kSearched + "--html no-such-folder/table.html --json -"), 2);
  EXPECT_EQ(state()["messages"], json({5}));
}

}  // namespace
}  // namespace orelith
