// The shipped samples measured as a user would: orelith-batch as a process, run from an empty
// directory, against the truth table the frames were generated from.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>

#include "image/St6Loader.h"
#include "tests/support/Process.h"
#include "tests/support/TestWorkspace.h"

namespace orelith {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

const std::string kSamples = ORELITH_SAMPLES_DIR;
const std::string kMeasured =
    "--blue '" + kSamples + "/cluster.b' --green '" + kSamples +
    "/cluster.g' --background-blue 1130 --background-green 1130 --search --compare "
    "--calibration '" +
    kSamples +
    "/calibration.csv' --calculate --html report --complex "
    "--cmd-color cmd-color.bmp --render-blue blue.png --render-green green.png ";

// Star number covering each pixel, from the pixel lists.
std::map<std::pair<long, long>, int> pixelOwners(const json& stars) {
  std::map<std::pair<long, long>, int> owner;
  for (std::size_t k = 0; k < stars.size(); ++k)
    for (const json& p : stars[k]["pixel_list"]) owner[{p[0], p[1]}] = static_cast<int>(k);
  return owner;
}

// RMS of V against the truth over bright isolated pairs: one true star under each of the
// pair's stars, neither hot nor large nor a calibration star.
double vErrorAgainstTruth(const json& state, int& count) {
  const json& blue = state["images"][0]["stars"];
  const json& green = state["images"][1]["stars"];
  const auto blueOwner = pixelOwners(blue), greenOwner = pixelOwners(green);
  std::map<int, std::vector<int>> inBlue, inGreen;
  std::vector<double> trueV;
  std::ifstream in(kSamples + "/cluster-truth.csv");
  std::string line;
  std::getline(in, line);
  auto at = [](const auto& owner, double x, double y) {
    auto it = owner.find({std::lround(x), std::lround(y)});
    return it == owner.end() ? -1 : it->second;
  };
  for (double x, y, gx, gy, v, bv; std::getline(in, line);) {
    if (std::sscanf(line.c_str(), "%lf,%lf,%lf,%lf,%lf,%lf", &x, &y, &gx, &gy, &v, &bv) != 6)
      continue;
    inBlue[at(blueOwner, x, y)].push_back(static_cast<int>(trueV.size()));
    inGreen[at(greenOwner, gx, gy)].push_back(static_cast<int>(trueV.size()));
    trueV.push_back(v);
  }
  EXPECT_EQ(trueV.size(), 150u);
  double sum = 0;
  count = 0;
  for (std::size_t k = 0; k < blue.size(); ++k) {
    const json& s = blue[k];
    const int p = s["partner"];
    if (p < 0 || s["hot"] || s["large"] || s["calibration"] || green[p]["hot"] || green[p]["large"])
      continue;
    const auto& here = inBlue[static_cast<int>(k)];
    if (here.size() != 1 || inGreen[p] != here || trueV[here[0]] >= 13) continue;
    sum += std::pow(s["V"].get<double>() - trueV[here[0]], 2);
    ++count;
  }
  return std::sqrt(sum / std::max(count, 1));
}

TEST(Samples, WholeMeasurementAndScienceOptions) {
  const fs::path dir = test::makeTempDir();
  ASSERT_EQ(test::runIn(dir, ORELITH_BATCH, kMeasured + "--with-pixels --json state.json"), 0)
      << test::readText(dir / "err.txt");
  for (const char* name : {"report.html", "cmd-color.bmp", "blue.png", "green.png"})
    EXPECT_TRUE(fs::exists(dir / name)) << name;  // the report got its extension
  const json state = json::parse(test::readText(dir / "state.json"));
  ASSERT_EQ(state["magnitudes"], true);
  EXPECT_EQ(state["calibration_list"].size(), 10u);
  const std::string html = test::readText(dir / "report.html");
  const std::string bmp = test::readText(dir / "cmd-color.bmp");
  int paired = 0;
  for (const json& s : state["images"][0]["stars"]) {
    if (s["partner"] == -1) continue;
    ++paired;
    const std::string at =
        "@(" + std::to_string(s["x"].get<int>()) + "|" + std::to_string(s["y"].get<int>()) + ")";
    EXPECT_NE(html.find(at), std::string::npos) << at;
  }
  EXPECT_GT(paired, 100);
  int count = 0;
  EXPECT_LE(vErrorAgainstTruth(state, count), 0.05);
  EXPECT_GE(count, 20);

  // The science options add results and leave the others byte for byte.
  ASSERT_EQ(test::runIn(dir, ORELITH_BATCH,
                        kMeasured + "--photometry aperture --model transform --csv t.csv "
                                    "--plot-cmd p.png --json -"),
            0);
  EXPECT_EQ(test::readText(dir / "report.html"), html);
  EXPECT_EQ(test::readText(dir / "cmd-color.bmp"), bmp);
  const json s = json::parse(test::readText(dir / "out.txt"));
  EXPECT_EQ(s["images"][0]["stars"][0]["V"], state["images"][0]["stars"][0]["V"]);
  EXPECT_TRUE(s["transform"]["BV"]["colour_fitted"]);
  EXPECT_EQ(s["diagnostics"]["transform"]["stars"].size(), 10u);
  // The calibration stars reach V 13.5: fainter pairs are extrapolated.
  std::set<int> partners;
  for (const json& star : s["images"][0]["stars"]) {
    ASSERT_TRUE(star.contains("blended") && star.contains("aperture"));
    partners.insert(star["partner"].get<int>());
    EXPECT_TRUE(star["partner"] == -1 || star["standard"]["V"].get<double>() <= 14.0 ||
                star["extrapolated"]);
  }
  std::size_t unpaired = s["images"][0]["stars"].size() - paired;
  for (std::size_t g = 0; g < s["images"][1]["stars"].size(); ++g)
    unpaired += !partners.count(static_cast<int>(g));
  const std::string csv = test::readText(dir / "t.csv");
  EXPECT_EQ(csv.rfind("blue,green,x_blue", 0), 0u);
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 1 + paired + unpaired);
  EXPECT_EQ(test::readText(dir / "p.png").substr(1, 3), "PNG");
  EXPECT_EQ(test::runIn(dir, ORELITH_BATCH, "--model transform"), 2);  // no calibration stars
  fs::remove_all(dir);
}

// netpbm's reader of SBIG files, written by others, sees the same pixels.
TEST(Samples, ReadAsSbigtopgmReadsThem) {
  if (std::system("command -v sbigtopgm >/dev/null 2>&1") != 0) GTEST_SKIP() << "netpbm missing";
  const fs::path dir = test::makeTempDir();
  for (const char* name : {"cluster.b", "cluster.g"}) {
    const fs::path pgm = dir / "frame.pgm";
    const std::string command =
        "sbigtopgm '" + kSamples + "/" + name + "' >'" + pgm.string() + "' 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string bytes = test::readText(pgm);
    const std::string head = "P5\n375 242\n65535\n";
    ASSERT_EQ(bytes.size(), head.size() + 2u * kPixelCount);
    ASSERT_EQ(bytes.compare(0, head.size(), head), 0);
    std::vector<std::uint16_t> ours(kPixelCount);
    ASSERT_EQ(readSt6File(kSamples + "/" + name, ours.data()), St6Status::Ok);
    for (std::size_t i = 0; i < ours.size(); ++i) {
      const auto hi = static_cast<unsigned char>(bytes[head.size() + 2 * i]);
      ASSERT_EQ(ours[i], (hi << 8) | static_cast<unsigned char>(bytes[head.size() + 2 * i + 1]))
          << name << " pixel " << i;
    }
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace orelith
