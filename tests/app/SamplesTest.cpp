// The shipped samples measured as a user would: orelith-batch as a process,
// run from an empty directory.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "image/St6Loader.h"
#include "tests/support/Process.h"
#include "tests/support/TestWorkspace.h"

namespace orelith {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

const std::string kSamples = ORELITH_SAMPLES_DIR;

struct TrueStar {
  double x, y, greenX, greenY, v, bv;
};

std::vector<TrueStar> readTruth() {
  std::ifstream in(kSamples + "/cluster-truth.csv");
  std::string line;
  std::getline(in, line);
  std::vector<TrueStar> stars;
  while (std::getline(in, line)) {
    TrueStar t{};
    if (std::sscanf(line.c_str(), "%lf,%lf,%lf,%lf,%lf,%lf", &t.x, &t.y, &t.greenX, &t.greenY, &t.v,
                    &t.bv) == 6)
      stars.push_back(t);
  }
  return stars;
}

// Star number covering each pixel, from the pixel lists.
std::map<std::pair<int, int>, int> pixelOwners(const json& stars) {
  std::map<std::pair<int, int>, int> owner;
  for (std::size_t k = 0; k < stars.size(); ++k)
    for (const json& p : stars[k]["pixel_list"])
      owner[{p[0].get<int>(), p[1].get<int>()}] = static_cast<int>(k);
  return owner;
}

class Samples : public testing::Test {
 protected:
  void SetUp() override { dir = test::makeTempDir(); }
  void TearDown() override { fs::remove_all(dir); }

  int run(const std::string& args) { return test::runIn(dir, ORELITH_BATCH, args); }

  fs::path dir;
};

TEST_F(Samples, WholeMeasurement) {
  ASSERT_EQ(run("--blue '" + kSamples + "/cluster.b' --green '" + kSamples +
                "/cluster.g' --background-blue 1130 --background-green 1130 --search --compare "
                "--calibration '" +
                kSamples +
                "/calibration.csv' --calculate --html report "
                "--complex --cmd-color cmd-color.bmp --render-blue blue.png --render-green "
                "green.png --with-pixels --json state.json"),
            0)
      << test::readText(dir / "err.txt");
  for (const char* name : {"report.html", "cmd-color.bmp", "blue.png", "green.png"})
    EXPECT_TRUE(fs::exists(dir / name)) << name;  // the report got its extension

  const json state = json::parse(test::readText(dir / "state.json"));
  ASSERT_EQ(state["compared"], true);
  ASSERT_EQ(state["magnitudes"], true);
  EXPECT_EQ(state["calibration_list"].size(), 10u);
  const json& blue = state["images"][0]["stars"];
  const json& green = state["images"][1]["stars"];
  const std::string report = test::readText(dir / "report.html");
  int paired = 0;
  for (const json& s : blue) {
    if (s["partner"] == -1) continue;
    ++paired;
    const std::string position =
        "@(" + std::to_string(s["x"].get<int>()) + "|" + std::to_string(s["y"].get<int>()) + ")";
    EXPECT_NE(report.find(position), std::string::npos) << position;
  }
  EXPECT_GT(paired, 100);

  // Bright isolated stars: one true star under each of the pair's stars.
  const auto blueOwner = pixelOwners(blue), greenOwner = pixelOwners(green);
  std::map<int, std::vector<int>> inBlue, inGreen;
  const std::vector<TrueStar> truth = readTruth();
  ASSERT_EQ(truth.size(), 150u);
  for (std::size_t i = 0; i < truth.size(); ++i) {
    auto at = [](const auto& owner, double x, double y) {
      auto it = owner.find({static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y))});
      return it == owner.end() ? -1 : it->second;
    };
    inBlue[at(blueOwner, truth[i].x, truth[i].y)].push_back(static_cast<int>(i));
    inGreen[at(greenOwner, truth[i].greenX, truth[i].greenY)].push_back(static_cast<int>(i));
  }
  double sum = 0;
  int count = 0;
  for (std::size_t k = 0; k < blue.size(); ++k) {
    const json& s = blue[k];
    const int p = s["partner"];
    if (p < 0 || s["hot"] || s["large"] || s["calibration"] || green[p]["hot"] || green[p]["large"])
      continue;
    const auto& here = inBlue[static_cast<int>(k)];
    if (here.size() != 1 || inGreen[p] != here || truth[here[0]].v >= 13) continue;
    sum += std::pow(s["V"].get<double>() - truth[here[0]].v, 2);
    ++count;
  }
  ASSERT_GE(count, 20);
  EXPECT_LE(std::sqrt(sum / count), 0.05);
}

// netpbm's reader of SBIG files, written by others, sees the same pixels.
TEST(SamplesRead, SameAsSbigtopgm) {
  if (std::system("command -v sbigtopgm >/dev/null 2>&1") != 0) GTEST_SKIP() << "netpbm missing";
  const fs::path dir = test::makeTempDir();
  for (const char* name : {"cluster.b", "cluster.g"}) {
    const fs::path pgm = dir / "frame.pgm";
    const std::string command =
        "sbigtopgm '" + kSamples + "/" + name + "' >'" + pgm.string() + "' 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string bytes = test::readText(pgm);
    const std::string head = "P5\n375 242\n65535\n";
    ASSERT_EQ(bytes.compare(0, head.size(), head), 0);
    ASSERT_EQ(bytes.size(), head.size() + 2u * kPixelCount);
    std::vector<std::uint16_t> ours(kPixelCount);
    ASSERT_EQ(readSt6File(kSamples + "/" + name, ours.data()), St6Status::Ok);
    for (int i = 0; i < kPixelCount; ++i) {
      const auto hi = static_cast<unsigned char>(bytes[head.size() + 2 * i]);
      const auto lo = static_cast<unsigned char>(bytes[head.size() + 2 * i + 1]);
      ASSERT_EQ(ours[static_cast<std::size_t>(i)], (hi << 8) | lo) << name << " pixel " << i;
    }
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace orelith
